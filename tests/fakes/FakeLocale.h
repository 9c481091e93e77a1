// Locales in the test: records what was set, knows a few languages' names and has the system's ANSI code
// page; and on the host any Windows code page that the C library's iconv converts.
#pragma once
#include "base/Text.h"
#include "platform/Locale.h"

#include <map>
#ifndef _WIN32
#include <iconv.h>
#endif

namespace lm::test {

#ifndef _WIN32
// A Windows code page through iconv ("CP1251", "CP932"). Bytes iconv cannot decode come through as the
// character of the same value, as the Windows conversion gives the undefined bytes of a code page.
class IconvCodePage final : public IAnsiCodePage {
public:
    explicit IconvCodePage(uint32_t number) : number_(number) {}
    uint32_t Number() const override { return number_; }
    std::wstring Decode(const char* bytes, size_t size) const override {
        std::string utf8;
        for (size_t i = 0; i < size;) {
            size_t step = 1;
            while (step <= 2 && i + step <= size &&
                   !Convert(Name(), "UTF-8", std::string(bytes + i, step), utf8))
                ++step;
            if (step > 2 || i + step > size) {
                AppendUtf8(utf8, static_cast<unsigned char>(bytes[i]));
                step = 1;
            }
            i += step;
        }
        return FromUtf8(utf8);
    }
    bool Encode(const std::wstring& text, std::string& bytes) const override {
        return Convert("UTF-8", Name(), ToUtf8(text), bytes);
    }

private:
    std::string Name() const { return "CP" + std::to_string(number_); }
    static bool Convert(const std::string& from, const std::string& to, std::string in, std::string& out) {
        iconv_t cd = iconv_open(to.c_str(), from.c_str());
        if (cd == reinterpret_cast<iconv_t>(-1))
            return false;
        std::string buffer(in.size() * 4 + 4, '\0');
        char *src = in.data(), *dst = buffer.data();
        size_t left = in.size(), room = buffer.size();
        const bool ok = iconv(cd, &src, &left, &dst, &room) != static_cast<size_t>(-1) && left == 0;
        iconv_close(cd);
        if (ok)
            out.append(buffer.data(), buffer.size() - room);
        return ok;
    }
    uint32_t number_;
};
#endif

class FakeLocale final : public ILocale {
public:
    uint16_t ThreadLocale() override { return threadLocale; }
    uint16_t UserDefaultLocale() override { return userDefault; }
    bool SetThreadLocale(uint16_t langId) override { return (threadLocale = langId, true); }
    std::string SetRuntimeLocale(uint16_t, const std::string& name) override { return runtimeLocale = name; }
    std::wstring NativeLanguageName(uint16_t langId) override {
        auto it = nativeNames.find(langId);
        return it == nativeNames.end() ? std::wstring() : it->second;
    }
    wchar_t ToUpper(wchar_t c) override { return TextToUpper(std::wstring(1, c))[0]; }
    const IAnsiCodePage& AnsiCodePage() override { return NativeLocale().AnsiCodePage(); }

    uint16_t threadLocale = 1033;
    uint16_t userDefault = 1031;
    std::string runtimeLocale;
    std::map<uint16_t, std::wstring> nativeNames = {
        {1031, L"Deutsch"},  {2057, L"English"}, {1036, L"français"},
        {1040, L"italiano"}, {1029, L"čeština"}, {1041, L"日本語"},
    };
};

} // namespace lm::test
