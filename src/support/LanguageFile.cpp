#include "support/LanguageFile.h"

#include "base/Text.h"

namespace lm {

std::wstring LanguageFileKey(uint32_t id) {
    return std::to_wstring(id);
}

std::wstring LanguageFileHexKey(uint32_t id) {
    return FormatBounded(16, L"0x%x", static_cast<unsigned>(id));
}

std::wstring UnescapeLanguageText(const std::wstring& value) {
    std::wstring text = value;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'\\')
            continue;
        wchar_t next = text[i + 1];
        wchar_t replaced = next == L'n' ? L'\n' : next == L't' ? L'\t' : next == L'\\' ? L'\\' : 0;
        if (!replaced)
            continue;
        text[i] = L' ';
        text[i + 1] = replaced;
        ++i; // the pair is done; a backslash it produced starts nothing new
    }
    return text;
}

namespace {

// The characters the INI reader strips from both ends of a value (the white space of Unicode).
bool StrippedAtEnds(wchar_t c) {
    switch (c) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x1A:
    case 0x20:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

bool IsQuote(wchar_t c) {
    return c == L'"' || c == L'\'';
}

// What the reader makes of a written value: ends stripped, one pair of matching quotes removed.
std::wstring AsRead(const std::wstring& value) {
    size_t first = 0, last = value.size();
    while (first < last && StrippedAtEnds(value[first]))
        ++first;
    while (last > first && StrippedAtEnds(value[last - 1]))
        --last;
    std::wstring v = value.substr(first, last - first);
    if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

wchar_t EscapeLetter(wchar_t c) {
    return c == L'\n' ? L'n' : c == L'\t' ? L't' : c == L'\\' ? L'\\' : 0;
}

} // namespace

std::wstring EscapeLanguageText(const std::wstring& text, bool* exact) {
    std::wstring out;
    out.reserve(text.size() + 8);
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        wchar_t c = text[i];
        // A blank before a line feed, tab or backslash is exactly what an escape reads back as.
        if (c == L' ' && i + 1 < n && (text[i + 1] == L'\n' || text[i + 1] == L'\\')) {
            out += L'\\';
            out += EscapeLetter(text[i + 1]);
            ++i;
            continue;
        }
        switch (c) {
        case L'\r':
            if (i + 1 < n && text[i + 1] == L'\n')
                continue; // the line feed that follows is written
            out += L"\\n";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\0':
            break;
        case L'\\':
            // A backslash that would start an escape is written as one; the others stay as they are.
            if (i + 1 < n && (text[i + 1] == L'n' || text[i + 1] == L't' || text[i + 1] == L'\\' ||
                              text[i + 1] == L'\n' || text[i + 1] == L'\r'))
                out += L"\\\\";
            else if (i + 2 < n && text[i + 1] == L' ' && (text[i + 2] == L'\n' || text[i + 2] == L'\\'))
                out += L"\\\\";
            else
                out += L'\\';
            break;
        default:
            out += c;
        }
    }
    // Blanks at the ends and a quoted text are kept by quotes around the value, which the reader removes.
    if (!out.empty() && (StrippedAtEnds(out.front()) || StrippedAtEnds(out.back()) ||
                         (out.size() >= 2 && IsQuote(out.front()) && out.back() == out.front())))
        out = L"\"" + out + L"\"";
    if (exact)
        *exact = LanguageFileReadBack(out) == text;
    return out;
}

std::wstring LanguageFileReadBack(const std::wstring& value) {
    return UnescapeLanguageText(AsRead(value));
}

std::string ComposeLanguageFile(const std::vector<std::wstring>& comments,
                                const std::vector<tagLANGUAGEFILEENTRY>& texts,
                                LanguageFileEncoding encoding) {
    std::wstring body;
    for (const std::wstring& line : comments)
        body += L"; " + line + L"\r\n";
    body += L"[";
    body += kLanguageFileSection;
    body += L"]\r\n";
    for (const tagLANGUAGEFILEENTRY& entry : texts) {
        if (!entry.comment.empty())
            body += L"; " + entry.comment + L"\r\n";
        body += LanguageFileKey(entry.id) + L"=" + EscapeLanguageText(entry.text) + L"\r\n";
    }

    std::string bytes;
    if (encoding == LanguageFileEncoding::Utf8Bom) {
        bytes = "\xEF\xBB\xBF" + ToUtf8(body);
    } else {
        std::u16string units = ToUtf16(body);
        bytes.reserve(2 + units.size() * 2);
        bytes += "\xFF\xFE";
        for (char16_t u : units) {
            bytes += static_cast<char>(u & 0xFF);
            bytes += static_cast<char>((u >> 8) & 0xFF);
        }
    }
    return bytes;
}

} // namespace lm
