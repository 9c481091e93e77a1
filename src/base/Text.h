// Small text helpers under every layer: bounded copies and formats, trimming, case mapping that does
// not depend on the C library's locale, and the UTF conversions.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <string>

namespace lm {

// Formats with a wide printf format into at most maxChars characters (the rest is cut), whatever the
// C library answers for text that does not fit. Wide strings are passed as %ls. The format must be a
// literal of the program, never user text.
std::wstring FormatBounded(size_t maxChars, const wchar_t* format, ...);
std::wstring FormatBoundedV(size_t maxChars, const wchar_t* format, va_list args);

// Copies text into a fixed array of `size` characters, cut and always terminated.
void CopyBounded(wchar_t* dest, size_t size, const std::wstring& text);

// Returns text cut to at most maxChars characters.
std::wstring CutTo(const std::wstring& text, size_t maxChars);

// A blank or a tab: what most of the program's readers strip.
inline bool IsBlankOrTab(wchar_t c) {
    return c == L' ' || c == L'\t';
}
// Text without the characters `isBlank` names at both ends.
std::wstring Trim(const std::wstring& text, bool (*isBlank)(wchar_t) = IsBlankOrTab);

// Simple one-to-one case mapping of the Latin, Greek, Cyrillic, Armenian and full-width letters, the same
// on every system and in every locale. Other characters stay as they are.
wchar_t FoldChar(wchar_t c);  // to lower case
wchar_t UpperChar(wchar_t c); // to upper case
std::wstring TextToLower(std::wstring text);
std::wstring TextToUpper(std::wstring text);
// True when the texts are equal but for letter case.
bool SameText(const std::wstring& a, const std::wstring& b);

// Appends one code point as UTF-8 (surrogates and values past U+10FFFF become U+FFFD).
void AppendUtf8(std::string& out, char32_t codePoint);
// Appends one code point to wide text: a surrogate pair where wchar_t has 16 bits.
void AppendWide(std::wstring& out, char32_t codePoint);
std::string ToUtf8(const std::wstring& text);
// Strict decoding: every byte of an invalid sequence (a stray continuation byte, an overlong form, a
// surrogate, a value past U+10FFFF, a cut sequence) becomes one U+FFFD.
std::wstring FromUtf8(const std::string& text);
std::wstring FromUtf8(const char* text, size_t bytes);
// UTF-16 code units, whatever the width of wchar_t.
std::u16string ToUtf16(const std::wstring& text);
std::wstring FromUtf16(const std::u16string& text);
std::wstring FromUtf16(const char16_t* text, size_t maxUnits);

} // namespace lm
