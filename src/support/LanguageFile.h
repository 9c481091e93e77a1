// Language files: INI files named after a language ("German.lng") with the texts of section
// "Strings" under their string IDs. In a text, a backslash followed by "n", "t" or another backslash
// stands for a blank followed by a line feed, a tab or a backslash (the text keeps its length).
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lm {

inline constexpr wchar_t kLanguageFileSection[] = L"Strings";

// The two key forms of a string ID: decimal ("1600"), and hexadecimal with lower-case digits ("0x640").
std::wstring LanguageFileKey(uint32_t id);
std::wstring LanguageFileHexKey(uint32_t id);

// Applies the escape rule to a value read from a language file.
std::wstring UnescapeLanguageText(const std::wstring& value);

// The value to write for a text so that reading it back gives the text. `exact` tells whether it does:
// a line feed, or a backslash before "n", "t" or a backslash, reads back with a blank in front, and
// carriage returns and NULs cannot be written. Blanks at either end are kept by quotes around the value.
std::wstring EscapeLanguageText(const std::wstring& text, bool* exact = nullptr);
// The text the program reads for a value written into a language file.
std::wstring LanguageFileReadBack(const std::wstring& value);

enum class LanguageFileEncoding { Utf16LeBom, Utf8Bom };

struct tagLANGUAGEFILEENTRY {
    uint32_t id = 0;
    std::wstring text;
    std::wstring comment; // written as a comment line before the text when not empty
};

// A whole language file: the comment lines, then section "Strings" with one line per text in the
// given order, with CR LF line ends.
std::string ComposeLanguageFile(const std::vector<std::wstring>& comments,
                                const std::vector<tagLANGUAGEFILEENTRY>& texts,
                                LanguageFileEncoding encoding);

} // namespace lm
