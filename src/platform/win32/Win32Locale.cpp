// Locales on Windows: the thread locale, the C runtime's locale and the system's language names.
#include "platform/Locale.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <clocale>
#include <cstdio>
#include <mutex>
#include <vector>

namespace lm {
namespace {

std::wstring LocaleInfo(LCID lcid, LCTYPE type) {
    wchar_t buffer[128] = {};
    int n = GetLocaleInfoW(lcid, type, buffer, 128);
    return n > 1 ? std::wstring(buffer, static_cast<size_t>(n - 1)) : std::wstring();
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

class Win32Locale final : public ILocale {
public:
    uint16_t ThreadLocale() override { return LANGIDFROMLCID(GetThreadLocale()); }
    uint16_t UserDefaultLocale() override { return LANGIDFROMLCID(GetUserDefaultLCID()); }
    bool SetThreadLocale(uint16_t langId) override {
        return ::SetThreadLocale(MAKELCID(langId, SORT_DEFAULT)) != FALSE;
    }
    std::string SetRuntimeLocale(uint16_t langId, const std::string& name) override {
        static std::mutex mutex;
        std::lock_guard lock(mutex);
        LCID lcid = MAKELCID(langId, SORT_DEFAULT);
        std::wstring codePage = LocaleInfo(lcid, LOCALE_IDEFAULTANSICODEPAGE);
        if (codePage.empty() || codePage == L"0")
            codePage = L"1252";
        std::vector<std::string> candidates{name};
        // The runtime libraries differ in the names they know: language and country in English with
        // the code page ("German_Germany.1252") is understood by all of them, the short form
        // ("de-DE") by the newer ones, and a bare code page keeps at least the characters right.
        const std::string language = Narrow(LocaleInfo(lcid, LOCALE_SENGLANGUAGE));
        const std::string country = Narrow(LocaleInfo(lcid, LOCALE_SENGCOUNTRY));
        const std::string page = Narrow(codePage);
        if (!language.empty()) {
            std::string full = language;
            if (!country.empty()) {
                full.append("_").append(country).append(".").append(page);
                candidates.push_back(full);
            }
            full = language;
            full.append(".").append(page);
            candidates.push_back(full);
        }
        std::string shortName = Narrow(LocaleInfo(lcid, LOCALE_SNAME));
        if (!shortName.empty())
            candidates.push_back(shortName);
        std::string bare = ".";
        bare.append(page);
        candidates.push_back(bare);
        candidates.push_back("C");
        for (const std::string& candidate : candidates)
            if (std::setlocale(LC_ALL, candidate.c_str()))
                return candidate;
        return std::string();
    }
    std::wstring NativeLanguageName(uint16_t langId) override {
        return LocaleInfo(MAKELCID(langId, SORT_DEFAULT), LOCALE_SNATIVELANGNAME);
    }
    wchar_t ToUpper(wchar_t c) override {
        wchar_t text[2] = {c, 0};
        CharUpperBuffW(text, 1);
        return text[0];
    }
};

} // namespace

ILocale& NativeLocale() {
    static Win32Locale locale;
    return locale;
}

} // namespace lm
