// Locales as the localisation needs them: the thread locale, the runtime library's locale and the
// names of languages. Language IDs are the 16-bit Windows language identifiers (1031 German, 2057
// English United Kingdom); the primary language is the low 10 bits.
#pragma once
#include <cstdint>
#include <string>

namespace lm {

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
};

// The native implementation of this build; it lives for the whole process.
ILocale& NativeLocale();

} // namespace lm
