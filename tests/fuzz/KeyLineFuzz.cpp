// Fuzzes the key-line reader. The input is the value of a key line (UTF-8, or UTF-16 units when the first
// byte is odd). Besides not crashing, the reader and the writer must agree: whatever a line reads as is
// written so that it reads back the same, and no written line can break the file.
#include "cmdset/KeyLine.h"
#include "base/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

std::wstring Input(const uint8_t* data, size_t size) {
    if (size == 0)
        return std::wstring();
    if (data[0] & 1) {
        std::u16string units;
        for (size_t i = 1; i + 1 < size; i += 2)
            units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
        return lm::FromUtf16(units);
    }
    return lm::FromUtf8(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
}

// Texts as the writer can keep them: control characters become blanks.
void Normalise(wchar_t* text) {
    for (; *text; ++text)
        if (static_cast<uint32_t>(*text) < 0x20 || *text == 0x7F)
            *text = L' ';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring value = Input(data, size);

    lm::tagWINCMD cmd;
    const int numbers = lm::ParseKeyLine(value, cmd);
    Check(numbers >= 0 && numbers <= 7);
    Check(cmd.bHideOsd == 0);
    Check(std::wcslen(cmd.szOsdText) < lm::kCmdTextChars &&
          std::wcslen(cmd.szWndCaption) < lm::kCmdTextChars);
    for (const wchar_t* t : {cmd.szOsdText, cmd.szWndCaption})
        for (; *t; ++t)
            Check(*t != L'"' && *t != L',' && *t != L'_' && *t != L'\t' && *t != L'\n' && *t != L'\r');
    (void)lm::CheckKeyLine(value);

    lm::tagWINCMD old;
    Check(lm::ParseLayout3Line(value, old) <= 4);
    Check(old.bRepeat == 0 && old.nRepeatDelay == 1000 && old.nRepeatRate == 200);

    // Write what was read, read it again.
    const std::wstring line = lm::FormatKeyLine(cmd, L"Key, \"name\"");
    Check(line.size() < lm::kKeyLineChars);
    Check(line.find_first_of(L"\r\n") == std::wstring::npos);
    lm::tagWINCMD back;
    Check(lm::ParseKeyLine(line, back) == 7);
    const bool valid = lm::IsKnownCommand(cmd) && (cmd.bRepeat == 0 || cmd.bRepeat == 1) &&
                       cmd.nRepeatDelay >= 0 && cmd.nRepeatRate >= 0;
    Check(lm::CheckKeyLine(line).empty() == valid);
    lm::tagWINCMD expected = cmd;
    Normalise(expected.szOsdText);
    Normalise(expected.szWndCaption);
    Check(back == expected);
    return 0;
}
