// Locales as the program needs them: the thread locale, the runtime library's locale, the names of
// languages, and the system's ANSI code page, in which files without a byte-order mark are written.
// Language IDs are the 16-bit Windows language identifiers (1031 German, 2057 English United
// Kingdom); the primary language is the low 10 bits.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace lm {

// A code page of 8-bit text (single or double byte) and its conversion to and from wide text.
class IAnsiCodePage {
public:
    virtual ~IAnsiCodePage() = default;
    // The Windows code page number: 1252 Western European, 1251 Cyrillic, 1250 Central European, 932
    // Japanese.
    virtual uint32_t Number() const = 0;
    // The text of bytes in the code page. Bytes without a character come through as the system's
    // conversion gives them; nothing fails.
    virtual std::wstring Decode(const char* bytes, size_t size) const = 0;
    // Appends the text in the code page to `bytes`. False, with `bytes` unchanged, when the code page
    // lacks a character of the text: nothing is replaced by a look-alike or a default character.
    virtual bool Encode(const std::wstring& text, std::string& bytes) const = 0;
};

class ILocale {
public:
    virtual ~ILocale() = default;
    // The language of the calling thread's locale.
    virtual uint16_t ThreadLocale() = 0;
    // The language of the user's default locale; 0 when the system cannot tell.
    virtual uint16_t UserDefaultLocale() = 0;
    virtual bool SetThreadLocale(uint16_t langId) = 0;
    // Sets the runtime library's locale for all categories to `name`. Where the runtime does not know
    // that name, an equivalent locale of the language's code page is taken instead. Returns the name
    // the runtime accepted, empty when it accepted none.
    virtual std::string SetRuntimeLocale(uint16_t langId, const std::string& name) = 0;
    // The language's name for itself ("Deutsch", "français"), as the system spells it; empty when the
    // system does not know the language.
    virtual std::wstring NativeLanguageName(uint16_t langId) = 0;
    // The upper-case form of one character (unchanged when it has none).
    virtual wchar_t ToUpper(wchar_t c) = 0;
    // The system's ANSI code page (on Windows the one the profile functions use for files without a
    // byte-order mark); it lives as long as the locale object.
    virtual const IAnsiCodePage& AnsiCodePage() = 0;
};

// The native implementation of this build; it lives for the whole process.
ILocale& NativeLocale();

} // namespace lm
