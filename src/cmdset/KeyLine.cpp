#include "cmdset/KeyLine.h"

#include "base/Text.h"

#include <climits>
#include <cwctype>
#include <utility>

namespace lm {
namespace {

constexpr size_t kTextMax = kCmdTextChars - 1;

bool IsScanSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

// Reads "%d,%d,..." the way the runtime's scanner does: each number may follow white space, every comma
// must follow its number at once, and the scan stops at the first field that does not fit. Numbers beyond
// the 32-bit range are cut to it. Returns how many numbers were read.
int ScanNumbers(const std::wstring& s, int32_t* out, int count) {
    size_t pos = 0;
    const size_t len = s.size();
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (pos >= len || s[pos] != L',')
                return i;
            ++pos;
        }
        while (pos < len && IsScanSpace(s[pos]))
            ++pos;
        bool negative = false;
        if (pos < len && (s[pos] == L'+' || s[pos] == L'-')) {
            negative = s[pos] == L'-';
            ++pos;
        }
        if (pos >= len || s[pos] < L'0' || s[pos] > L'9')
            return i;
        long long value = 0;
        while (pos < len && s[pos] >= L'0' && s[pos] <= L'9') {
            if (value <= static_cast<long long>(INT32_MAX) + 1)
                value = value * 10 + (s[pos] - L'0');
            ++pos;
        }
        if (negative)
            value = -value;
        if (value > INT32_MAX)
            value = INT32_MAX;
        if (value < INT32_MIN)
            value = INT32_MIN;
        out[i] = static_cast<int32_t>(value);
    }
    return count;
}

// Where the comma-separated fields of a line lie (the first ten of them), and how many there are.
struct Fields {
    static constexpr size_t kKept = 10;
    size_t begin[kKept] = {}, end[kKept] = {};
    size_t count = 0;

    explicit Fields(const std::wstring& s) {
        for (size_t start = 0;; ++count) {
            const size_t comma = s.find(L',', start);
            if (count < kKept) {
                begin[count] = start;
                end[count] = comma == std::wstring::npos ? s.size() : comma;
            }
            if (comma == std::wstring::npos)
                break;
            start = comma + 1;
        }
        ++count;
    }
};

// A text field, characters [b, e) of the line: without double quotes, its first blank-free token, "_" back
// to a blank.
std::wstring ReadTextField(const std::wstring& line, size_t b, size_t e) {
    std::wstring text;
    for (size_t i = b; i < e; ++i) {
        const wchar_t c = line[i];
        if (c == L'"')
            continue;
        if (IsScanSpace(c)) {
            if (text.empty())
                continue;
            break;
        }
        text += c == L'_' ? L' ' : c;
    }
    return text;
}

void SetText(wchar_t* dest, const std::wstring& text) {
    if (!text.empty())
        CopyBounded(dest, kCmdTextChars, text);
}

// A text as it is written: no commas or double quotes, blanks and control characters as "_".
std::wstring WritableText(const wchar_t* text, size_t maxChars) {
    std::wstring out;
    for (size_t i = 0; i < maxChars && text[i]; ++i) {
        wchar_t c = text[i];
        if (c == L',' || c == L'"')
            continue;
        if (c == L' ' || static_cast<uint32_t>(c) < 0x20 || c == 0x7F)
            c = L'_';
        out += c;
    }
    return out;
}

// The key name: only what would break the line is left out.
std::wstring WritableName(const wchar_t* name) {
    std::wstring out;
    for (size_t i = 0; name && i < 127 && name[i]; ++i) {
        wchar_t c = name[i];
        if (c == L',' || c == L'"')
            continue;
        if (static_cast<uint32_t>(c) < 0x20 || c == 0x7F)
            c = L' ';
        out += c;
    }
    return out;
}

// A number as "%*d" writes it: right-aligned in `width` characters.
void AppendNumber(std::wstring& out, int32_t value, size_t width) {
    wchar_t digits[12];
    size_t n = 0;
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        digits[n++] = L'-';
    if (n < width)
        out.append(width - n, L' ');
    while (n)
        out += digits[--n];
}

void ResetRecord(tagWINCMD& cmd) {
    cmd = tagWINCMD();
    cmd.bRepeat = 0;
    cmd.nRepeatDelay = 1000;
    cmd.nRepeatRate = 200;
}

} // namespace

std::wstring FormatKeyLineKey(int32_t key) {
    std::wstring text;
    AppendNumber(text, key, 3);
    return text;
}

// "%3d,%3d,%5d,%3d,%3d,%3d,%3d,"%ls","%ls","%ls"", written out by hand: the layout upgrade writes a line for
// every key of every set.
std::wstring FormatKeyLine(const tagWINCMD& cmd, const wchar_t* englishKeyName) {
    std::wstring line;
    line.reserve(128);
    const std::pair<int32_t, size_t> numbers[] = {
        {cmd.nType, 3},   {cmd.nSubType, 3},     {cmd.nParam, 5},     {cmd.nParam2, 3},
        {cmd.bRepeat, 3}, {cmd.nRepeatDelay, 3}, {cmd.nRepeatRate, 3}};
    for (const auto& [value, width] : numbers) {
        AppendNumber(line, value, width);
        line += L',';
    }
    line += L'"';
    line += WritableText(cmd.szOsdText, kTextMax);
    line += L"\",\"";
    line += WritableText(cmd.szWndCaption, kTextMax);
    line += L"\",\"";
    line += WritableName(englishKeyName);
    line += L'"';
    return CutTo(line, kKeyLineChars - 1);
}

int ParseKeyLine(const std::wstring& value, tagWINCMD& cmd) {
    ResetRecord(cmd);
    int32_t n[7] = {cmd.nType,   cmd.nSubType,     cmd.nParam,     cmd.nParam2,
                    cmd.bRepeat, cmd.nRepeatDelay, cmd.nRepeatRate};
    const int scanned = ScanNumbers(value, n, 7);
    cmd.nType = n[0];
    cmd.nSubType = n[1];
    cmd.nParam = n[2];
    cmd.nParam2 = n[3];
    cmd.bRepeat = n[4];
    cmd.nRepeatDelay = n[5];
    cmd.nRepeatRate = n[6];

    const Fields fields(value);
    if (fields.count > 7)
        SetText(cmd.szOsdText, ReadTextField(value, fields.begin[7], fields.end[7]));
    if (fields.count > 9)
        SetText(cmd.szWndCaption, TextToUpper(ReadTextField(value, fields.begin[8], fields.end[8])));
    return scanned;
}

int ParseLayout3Line(const std::wstring& value, tagWINCMD& cmd) {
    ResetRecord(cmd);
    int32_t n[4] = {0, 0, 0, 0};
    const int scanned = ScanNumbers(value, n, 4);
    cmd.nType = n[0];
    cmd.nSubType = n[1];
    cmd.nParam = n[2];
    cmd.nParam2 = n[3];

    // The caption is the last field of these lines: it is read without a field after it.
    const Fields fields(value);
    if (fields.count > 4)
        SetText(cmd.szOsdText, ReadTextField(value, fields.begin[4], fields.end[4]));
    if (fields.count > 5)
        SetText(cmd.szWndCaption, TextToUpper(ReadTextField(value, fields.begin[5], fields.end[5])));
    return scanned;
}

std::wstring CheckKeyLine(const std::wstring& value) {
    tagWINCMD cmd;
    const int scanned = ParseKeyLine(value, cmd);
    if (scanned < 7)
        return FormatBounded(255, L"only %d of the seven numbers can be read", scanned);
    if (cmd.nType < 0 || cmd.nType >= kCmdTypeCount)
        return FormatBounded(255, L"unknown command type %d", cmd.nType);
    if (!IsKnownCommand(cmd))
        return FormatBounded(255, L"subtype %d, parameter %d or second parameter %d is not one of type %ls",
                             cmd.nSubType, cmd.nParam, cmd.nParam2, CmdTypeShortName(cmd.nType));
    if (cmd.bRepeat != 0 && cmd.bRepeat != 1)
        return FormatBounded(255, L"repeat flag %d is neither 0 nor 1", cmd.bRepeat);
    if (cmd.nRepeatDelay < 0 || cmd.nRepeatRate < 0)
        return L"negative repeat delay or rate";
    const size_t fields = Fields(value).count;
    if (fields < 10)
        return FormatBounded(255, L"%d fields instead of ten (display text, caption and key name)",
                             static_cast<int>(fields));
    return std::wstring();
}

} // namespace lm
