#include "base/Text.h"

#include <algorithm>
#include <cstdint>
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
    // C libraries disagree on text that does not fit: some return -1 (and may leave the buffer without
    // its terminator), MinGW returns the length the whole text would have had. So the answer is only
    // trusted when it is below the buffer's size, and otherwise only what the buffer holds is taken.
    constexpr size_t kLargest = size_t(1) << 22;
    std::vector<wchar_t> buffer;
    for (size_t size = maxChars + 1;; size = std::min(size * 4, kLargest)) {
        buffer.assign(size, L'\0');
        va_list copy;
        va_copy(copy, args);
        const int n = std::vswprintf(buffer.data(), size, format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < size)
            return std::wstring(buffer.data(), std::min(static_cast<size_t>(n), maxChars));
        if (n >= 0 || size >= kLargest)
            break;
    }
    // The text was cut (or could not be formatted whole): what the buffer holds, up to maxChars.
    buffer.back() = L'\0';
    return std::wstring(buffer.data(), std::min(std::wcslen(buffer.data()), maxChars));
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

std::wstring Trim(const std::wstring& text, bool (*isBlank)(wchar_t)) {
    size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

wchar_t FoldChar(wchar_t c) {
    if (c < 0x80)
        return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    const auto w = static_cast<uint32_t>(c);
    uint32_t r = w;
    if ((w >= 0xC0 && w <= 0xDE && w != 0xD7) || (w >= 0x391 && w <= 0x3AB && w != 0x3A2) ||
        (w >= 0x410 && w <= 0x42F) || (w >= 0xFF21 && w <= 0xFF3A))
        r = w + 32;
    else if (w == 0x130)
        r = 0x69;
    else if ((w >= 0x100 && w <= 0x137) || (w >= 0x14A && w <= 0x177) || (w >= 0x460 && w <= 0x481) ||
             (w >= 0x48A && w <= 0x4BF) || (w >= 0x4D0 && w <= 0x52F) || (w >= 0x1E00 && w <= 0x1E95) ||
             (w >= 0x1EA0 && w <= 0x1EFF))
        r = w | 1;
    else if ((w >= 0x139 && w <= 0x148) || (w >= 0x179 && w <= 0x17E) || (w >= 0x4C1 && w <= 0x4CE))
        r = (w & 1) ? w + 1 : w;
    else if (w == 0x178)
        r = 0xFF;
    else if (w >= 0x400 && w <= 0x40F)
        r = w + 80;
    else if (w >= 0x531 && w <= 0x556)
        r = w + 48;
    else if (w == 0x386)
        r = 0x3AC;
    else if (w >= 0x388 && w <= 0x38A)
        r = w + 37;
    else if (w == 0x38C)
        r = 0x3CC;
    else if (w == 0x38E || w == 0x38F)
        r = w + 63;
    return static_cast<wchar_t>(r);
}

// The inverse of FoldChar, and final sigma to capital sigma.
wchar_t UpperChar(wchar_t c) {
    if (c < 0x80)
        return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
    const auto w = static_cast<uint32_t>(c);
    uint32_t r = w;
    if ((w >= 0xE0 && w <= 0xFE && w != 0xF7) || (w >= 0x3B1 && w <= 0x3CB && w != 0x3C2) ||
        (w >= 0x430 && w <= 0x44F) || (w >= 0xFF41 && w <= 0xFF5A))
        r = w - 32;
    else if (w == 0xFF)
        r = 0x178;
    else if (w == 0x3C2)
        r = 0x3A3;
    else if (w == 0x131)
        r = L'I';
    else if ((w >= 0x100 && w <= 0x137) || (w >= 0x14A && w <= 0x177) || (w >= 0x460 && w <= 0x481) ||
             (w >= 0x48A && w <= 0x4BF) || (w >= 0x4D0 && w <= 0x52F) || (w >= 0x1E00 && w <= 0x1E95) ||
             (w >= 0x1EA0 && w <= 0x1EFF))
        r = w & ~1u;
    else if ((w >= 0x13A && w <= 0x148) || (w >= 0x17A && w <= 0x17E) || (w >= 0x4C2 && w <= 0x4CE))
        r = (w & 1) ? w : w - 1;
    else if (w >= 0x450 && w <= 0x45F)
        r = w - 80;
    else if (w >= 0x561 && w <= 0x586)
        r = w - 48;
    else if (w == 0x3AC)
        r = 0x386;
    else if (w >= 0x3AD && w <= 0x3AF)
        r = w - 37;
    else if (w == 0x3CC)
        r = 0x38C;
    else if (w == 0x3CD || w == 0x3CE)
        r = w - 63;
    return static_cast<wchar_t>(r);
}

std::wstring TextToLower(std::wstring text) {
    for (wchar_t& c : text)
        c = FoldChar(c);
    return text;
}

std::wstring TextToUpper(std::wstring text) {
    for (wchar_t& c : text)
        c = UpperChar(c);
    return text;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i]))
            return false;
    return true;
}

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

namespace {

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

std::wstring FromUtf8(const char* text, size_t bytes) {
    std::wstring out;
    out.reserve(bytes);
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < bytes;) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            out += static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        const int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        char32_t cp = extra < 0 ? 0 : (b & (0x3F >> extra));
        bool ok = extra > 0;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + static_cast<size_t>(k) >= bytes || (s[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (s[i + k] & 0x3Fu);
        }
        static constexpr char32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
        if (ok && (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        AppendWide(out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    return FromUtf8(text.data(), text.size());
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

std::wstring FromUtf16(const std::u16string& text) {
    return FromUtf16(text.c_str(), text.size());
}

} // namespace lm
