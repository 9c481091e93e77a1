#include "support/Text.h"

#include <cwchar>
#include <vector>

namespace lm {

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::wstring FormatBoundedV(size_t maxChars, const wchar_t* format, va_list args) {
    if (!format)
        return {};
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    va_list copy;
    va_copy(copy, args);
    int n = std::vswprintf(buffer.data(), buffer.size(), format, copy);
    va_end(copy);
    if (n >= 0)
        return std::wstring(buffer.data(), static_cast<size_t>(n));
    // vswprintf fails when the text does not fit: format into a larger buffer and cut.
    for (size_t size = (maxChars + 1) * 4; size <= (1u << 20); size *= 4) {
        buffer.assign(size, L'\0');
        va_copy(copy, args);
        n = std::vswprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (n >= 0)
            return std::wstring(buffer.data(), std::min(static_cast<size_t>(n), maxChars));
    }
    return {};
}

std::wstring FormatBounded(size_t maxChars, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatBoundedV(maxChars, format, args);
    va_end(args);
    return text;
}

void CopyBounded(wchar_t* dest, size_t size, const std::wstring& text) {
    if (!dest || size == 0)
        return;
    size_t n = std::min(text.size(), size - 1);
    text.copy(dest, n);
    dest[n] = L'\0';
}

std::wstring CutTo(const std::wstring& text, size_t maxChars) {
    return text.size() <= maxChars ? text : text.substr(0, maxChars);
}

namespace {

void AppendWide(std::wstring& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(cp);
}

// Reads one code point from UTF-16 or UTF-32 wide text; unpaired surrogates become U+FFFD.
template <typename Ch>
char32_t NextCodePoint(const Ch* s, size_t n, size_t& i) {
    char32_t c = static_cast<char32_t>(s[i++]);
    if constexpr (sizeof(Ch) == 2) {
        c &= 0xFFFF;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i < n) {
                char32_t d = static_cast<char32_t>(s[i]) & 0xFFFF;
                if (d >= 0xDC00 && d <= 0xDFFF) {
                    ++i;
                    return 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
                }
            }
            return 0xFFFD;
        }
        if (c >= 0xDC00 && c <= 0xDFFF)
            return 0xFFFD;
    }
    return c > 0x10FFFF ? 0xFFFD : c;
}

} // namespace

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();)
        AppendUtf8(out, NextCodePoint(text.data(), text.size(), i));
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char b = s[i];
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0) {
            AppendWide(out, 0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (!ok) {
            AppendWide(out, 0xFFFD);
            ++i;
            continue;
        }
        AppendWide(out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::u16string ToUtf16(const std::wstring& text) {
    if constexpr (sizeof(wchar_t) == 2) {
        return std::u16string(text.begin(), text.end());
    } else {
        std::u16string out;
        out.reserve(text.size());
        for (wchar_t w : text) {
            char32_t cp = static_cast<char32_t>(w);
            if (cp >= 0x10000 && cp <= 0x10FFFF) {
                cp -= 0x10000;
                out += static_cast<char16_t>(0xD800 + (cp >> 10));
                out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            } else {
                out += static_cast<char16_t>(cp > 0x10FFFF ? 0xFFFD : cp);
            }
        }
        return out;
    }
}

std::wstring FromUtf16(const char16_t* text, size_t maxUnits) {
    std::wstring out;
    if (!text)
        return out;
    size_t n = 0;
    while (n < maxUnits && text[n])
        ++n;
    if constexpr (sizeof(wchar_t) == 2) {
        out.assign(text, text + n);
    } else {
        for (size_t i = 0; i < n;)
            AppendWide(out, NextCodePoint(text, n, i));
    }
    return out;
}

std::wstring FromUtf16(const std::u16string& text) { return FromUtf16(text.c_str(), text.size()); }

} // namespace lm
