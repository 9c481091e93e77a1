// Locales on Windows: the thread locale, the C runtime's locale, the system's language names and its
// ANSI code page.
#include "platform/Locale.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <climits>
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

// The conversions of a Windows code page. Encoding refuses what the code page cannot hold instead of
// taking a best-fit look-alike or the default character.
class Win32CodePage final : public IAnsiCodePage {
public:
    explicit Win32CodePage(UINT number) : number_(number) {}
    uint32_t Number() const override { return number_; }
    std::wstring Decode(const char* bytes, size_t size) const override {
        // Files are read whole only up to 2 GB, so one conversion takes any of them.
        const int length = static_cast<int>(std::min<size_t>(size, INT_MAX));
        const int n = length > 0 ? MultiByteToWideChar(number_, 0, bytes, length, nullptr, 0) : 0;
        std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
        if (n > 0)
            MultiByteToWideChar(number_, 0, bytes, length, out.data(), n);
        return out;
    }
    bool Encode(const std::wstring& text, std::string& bytes) const override {
        if (text.empty())
            return true;
        if (text.size() > INT_MAX / 4)
            return false;
        // UTF-8, UTF-7 and the stateful code pages take neither the flag nor the question whether the
        // default character was used; for them a round trip tells.
        const bool checked = number_ != CP_UTF8 && number_ != CP_UTF7 && number_ != 42 && number_ != 54936 &&
                             !(number_ >= 50220 && number_ <= 50229) &&
                             !(number_ >= 57002 && number_ <= 57011);
        const DWORD flags = checked ? WC_NO_BEST_FIT_CHARS : 0;
        BOOL usedDefault = FALSE;
        const int size = static_cast<int>(text.size());
        const int n = WideCharToMultiByte(number_, flags, text.data(), size, nullptr, 0, nullptr,
                                          checked ? &usedDefault : nullptr);
        if (n <= 0 || usedDefault)
            return false;
        std::string out(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(number_, flags, text.data(), size, out.data(), n, nullptr,
                            checked ? &usedDefault : nullptr);
        if (usedDefault || (!checked && Decode(out.data(), out.size()) != text))
            return false;
        bytes += out;
        return true;
    }

private:
    UINT number_;
};

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
    const IAnsiCodePage& AnsiCodePage() override { return codePage_; }

private:
    Win32CodePage codePage_{GetACP()};
};

} // namespace

ILocale& NativeLocale() {
    static Win32Locale locale;
    return locale;
}

} // namespace lm
