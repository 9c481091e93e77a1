// Locales in the test: records what was set, knows a few languages' names.
#pragma once
#include "platform/Locale.h"

#include <cwctype>
#include <map>
#include <set>
#include <vector>

namespace lm::test {

class FakeLocale final : public ILocale {
public:
    uint16_t ThreadLocale() override { return threadLocale; }
    uint16_t UserDefaultLocale() override { return userDefault; }
    bool SetThreadLocale(uint16_t langId) override {
        threadLocale = langId;
        threadLocaleCalls.push_back(langId);
        return true;
    }
    std::string SetRuntimeLocale(uint16_t langId, const std::string& name) override {
        runtimeCalls.emplace_back(langId, name);
        // A runtime that does not know the name falls back to "C".
        bool known = knownRuntimeNames.empty() || knownRuntimeNames.count(name) != 0;
        runtimeLocale = known ? name : std::string(1, 'C');
        return runtimeLocale;
    }
    std::wstring NativeLanguageName(uint16_t langId) override {
        auto it = nativeNames.find(langId);
        return it == nativeNames.end() ? std::wstring() : it->second;
    }
    wchar_t ToUpper(wchar_t c) override {
        switch (c) {
        case L'ç':
            return L'Ç';
        case L'č':
            return L'Č';
        case L'р':
            return L'Р';
        default:
            return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
        }
    }

    uint16_t threadLocale = 1033;
    uint16_t userDefault = 1031;
    std::string runtimeLocale;
    std::set<std::string> knownRuntimeNames; // empty: every name is known
    std::vector<uint16_t> threadLocaleCalls;
    std::vector<std::pair<uint16_t, std::string>> runtimeCalls;
    std::map<uint16_t, std::wstring> nativeNames = {
        {1031, L"Deutsch"},  {2057, L"English"}, {1036, L"français"},
        {1040, L"italiano"}, {1029, L"čeština"}, {1041, L"日本語"},
    };
};

} // namespace lm::test
