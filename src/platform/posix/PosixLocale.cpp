// Locales on the host: the C library's locales under their POSIX names. The Windows language IDs
// are mapped through a table of the languages the program knows. The host's ANSI code page is
// Windows-1252 by a built-in table, so files read the same on every host.
#include "platform/Locale.h"

#include <clocale>
#include <cstdlib>
#include <cwctype>
#include <locale.h>
#include <mutex>
#include <vector>

namespace lm {
namespace {

struct PosixLanguage {
    uint16_t langId;
    const char* name; // language_TERRITORY
    const wchar_t* nativeName;
};

const PosixLanguage kLanguages[] = {
    {1025, "ar_SA", L"العربية"},     {1026, "bg_BG", L"български"},  {1028, "zh_TW", L"中文(繁體)"},
    {1029, "cs_CZ", L"čeština"},     {1030, "da_DK", L"dansk"},      {1031, "de_DE", L"Deutsch"},
    {1032, "el_GR", L"Ελληνικά"},    {1033, "en_US", L"English"},    {1034, "es_ES", L"español"},
    {1035, "fi_FI", L"suomi"},       {1036, "fr_FR", L"français"},   {1037, "he_IL", L"עברית"},
    {1038, "hu_HU", L"magyar"},      {1040, "it_IT", L"italiano"},   {1041, "ja_JP", L"日本語"},
    {1043, "nl_NL", L"Nederlands"},  {1044, "nb_NO", L"norsk"},      {1045, "pl_PL", L"polski"},
    {1048, "ro_RO", L"română"},      {1049, "ru_RU", L"русский"},    {1050, "hr_HR", L"hrvatski"},
    {1051, "sk_SK", L"slovenčina"},  {1053, "sv_SE", L"svenska"},    {1055, "tr_TR", L"Türkçe"},
    {1060, "sl_SI", L"slovenščina"}, {1061, "et_EE", L"eesti"},      {1062, "lv_LV", L"latviešu"},
    {1063, "lt_LT", L"lietuvių"},    {2052, "zh_CN", L"中文(简体)"}, {2057, "en_GB", L"English"},
    {2070, "pt_PT", L"português"},
};

const PosixLanguage* Find(uint16_t langId) {
    for (const PosixLanguage& l : kLanguages)
        if (l.langId == langId)
            return &l;
    for (const PosixLanguage& l : kLanguages)
        if ((l.langId & 0x3FF) == (langId & 0x3FF))
            return &l;
    return nullptr;
}

thread_local uint16_t tThreadLocale = 0;

// Windows-1252, bytes 0x80..0x9F; the five bytes the code page leaves undefined map to the C1 control
// characters of the same value, as the Windows conversion does, so every byte survives a round trip.
constexpr uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

class Windows1252 final : public IAnsiCodePage {
public:
    uint32_t Number() const override { return 1252; }
    std::wstring Decode(const char* bytes, size_t size) const override {
        std::wstring out(size, L'\0');
        for (size_t i = 0; i < size; ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            out[i] = static_cast<wchar_t>(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : b);
        }
        return out;
    }
    bool Encode(const std::wstring& text, std::string& bytes) const override {
        std::string out;
        out.reserve(text.size());
        for (wchar_t c : text) {
            const auto u = static_cast<uint32_t>(c);
            if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
                out += static_cast<char>(u);
                continue;
            }
            int i = 0;
            while (i < 32 && kCp1252High[i] != u)
                ++i;
            if (i == 32)
                return false;
            out += static_cast<char>(0x80 + i);
        }
        bytes += out;
        return true;
    }
};

class PosixLocale final : public ILocale {
public:
    uint16_t ThreadLocale() override {
        if (tThreadLocale == 0) {
            uint16_t user = UserDefaultLocale();
            tThreadLocale = user ? user : 1033;
        }
        return tThreadLocale;
    }
    uint16_t UserDefaultLocale() override {
        for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* v = std::getenv(var);
            if (!v || !*v)
                continue;
            std::string value = v;
            for (const PosixLanguage& l : kLanguages)
                if (value.compare(0, 5, l.name) == 0)
                    return l.langId;
            return 0;
        }
        return 0;
    }
    bool SetThreadLocale(uint16_t langId) override {
        tThreadLocale = langId;
        return true;
    }
    std::string SetRuntimeLocale(uint16_t langId, const std::string& name) override {
        // The C library's locale is one per process; keep its changes from overlapping.
        static std::mutex mutex;
        std::lock_guard lock(mutex);
        std::vector<std::string> candidates{name};
        if (const PosixLanguage* l = Find(langId)) {
            candidates.push_back(std::string(l->name) + ".UTF-8");
            candidates.push_back(std::string(l->name) + ".utf8");
            candidates.push_back(l->name);
        }
        // Every language's characters have a code in UTF-8, the host's one code page.
        candidates.push_back("C.UTF-8");
        candidates.push_back("C.utf8");
        candidates.push_back("C");
        for (const std::string& candidate : candidates)
            if (std::setlocale(LC_ALL, candidate.c_str()))
                return candidate;
        return std::string();
    }
    std::wstring NativeLanguageName(uint16_t langId) override {
        const PosixLanguage* l = Find(langId);
        return l ? l->nativeName : std::wstring();
    }
    wchar_t ToUpper(wchar_t c) override {
        static locale_t utf8 = [] {
            locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
            return loc ? loc : newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(0));
        }();
        if (utf8)
            return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), utf8));
        return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    }
    const IAnsiCodePage& AnsiCodePage() override { return codePage_; }

private:
    Windows1252 codePage_;
};

} // namespace

ILocale& NativeLocale() {
    static PosixLocale locale;
    return locale;
}

} // namespace lm
