// Small text helpers shared by every layer: bounded copies and formats, UTF conversions.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <string>

namespace lm {

// Formats with a wide printf format into at most maxChars characters (the rest is cut).
// Wide strings are passed as %ls. The format must be a literal of the program, never user text.
std::wstring FormatBounded(size_t maxChars, const wchar_t* format, ...);
std::wstring FormatBoundedV(size_t maxChars, const wchar_t* format, va_list args);

// Copies text into a fixed array of `size` characters, cut and always terminated.
void CopyBounded(wchar_t* dest, size_t size, const std::wstring& text);

// Returns text cut to at most maxChars characters.
std::wstring CutTo(const std::wstring& text, size_t maxChars);

// Appends one code point as UTF-8 (surrogates and values past U+10FFFF become U+FFFD).
void AppendUtf8(std::string& out, char32_t codePoint);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
// UTF-16 code units, whatever the width of wchar_t.
std::u16string ToUtf16(const std::wstring& text);
std::wstring FromUtf16(const std::u16string& text);
std::wstring FromUtf16(const char16_t* text, size_t maxUnits);

} // namespace lm
