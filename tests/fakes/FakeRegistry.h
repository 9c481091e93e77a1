// An in-memory registry with both hives; key names are matched without regard to case.
#pragma once
#include "platform/Registry.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>
#include <variant>

namespace lm::test {

class FakeRegistry final : public IRegistry {
public:
    struct Value {
        bool isString = true;
        bool expandable = false;
        std::wstring text;
        uint32_t number = 0;
    };
    struct Key {
        std::map<std::wstring, Value> values; // lower-case names
    };

    bool CreateKey(RegistryHive hive, const std::wstring& key, bool* existed = nullptr) override {
        if (failWrites)
            return false;
        std::wstring k = Norm(key);
        auto& keys = Keys(hive);
        if (existed)
            *existed = keys.count(k) != 0;
        // Parents exist too.
        for (size_t pos = k.find(L'\\'); pos != std::wstring::npos; pos = k.find(L'\\', pos + 1))
            keys[k.substr(0, pos)];
        keys[k];
        return true;
    }
    bool KeyExists(RegistryHive hive, const std::wstring& key) override { return Keys(hive).count(Norm(key)) != 0; }
    bool SetString(RegistryHive hive, const std::wstring& key, const std::wstring& name, const std::wstring& value,
                   bool expandable = false) override {
        if (!CreateKey(hive, key))
            return false;
        Keys(hive)[Norm(key)].values[Lower(name)] = Value{true, expandable, value, 0};
        return true;
    }
    bool SetDword(RegistryHive hive, const std::wstring& key, const std::wstring& name, uint32_t value) override {
        if (!CreateKey(hive, key))
            return false;
        Keys(hive)[Norm(key)].values[Lower(name)] = Value{false, false, L"", value};
        return true;
    }
    std::optional<std::wstring> GetString(RegistryHive hive, const std::wstring& key, const std::wstring& name) override {
        const Value* v = Find(hive, key, name);
        if (!v || !v->isString)
            return std::nullopt;
        return v->text;
    }
    std::optional<uint32_t> GetDword(RegistryHive hive, const std::wstring& key, const std::wstring& name) override {
        const Value* v = Find(hive, key, name);
        if (!v || v->isString)
            return std::nullopt;
        return v->number;
    }
    bool DeleteValue(RegistryHive hive, const std::wstring& key, const std::wstring& name) override {
        auto& keys = Keys(hive);
        auto it = keys.find(Norm(key));
        return it != keys.end() && it->second.values.erase(Lower(name)) != 0;
    }
    int CountSubKeys(RegistryHive hive, const std::wstring& key) override {
        auto& keys = Keys(hive);
        std::wstring k = Norm(key);
        if (!keys.count(k))
            return -1;
        return static_cast<int>(ListSubKeys(hive, key).size());
    }
    std::vector<std::wstring> ListSubKeys(RegistryHive hive, const std::wstring& key) override {
        std::vector<std::wstring> out;
        std::wstring prefix = Norm(key) + L"\\";
        for (auto& [name, k] : Keys(hive)) {
            if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
                name.find(L'\\', prefix.size()) == std::wstring::npos)
                out.push_back(name.substr(prefix.size()));
        }
        return out;
    }
    const Value* Find(RegistryHive hive, const std::wstring& key, const std::wstring& name) {
        auto& keys = Keys(hive);
        auto it = keys.find(Norm(key));
        if (it == keys.end())
            return nullptr;
        auto v = it->second.values.find(Lower(name));
        return v == it->second.values.end() ? nullptr : &v->second;
    }

    std::map<std::wstring, Key> user;
    std::map<std::wstring, Key> machine;
    bool failWrites = false;

private:
    std::map<std::wstring, Key>& Keys(RegistryHive hive) { return hive == RegistryHive::CurrentUser ? user : machine; }
    static std::wstring Lower(std::wstring s) {
        std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
        return s;
    }
    static std::wstring Norm(const std::wstring& key) {
        std::wstring k = Lower(key);
        while (!k.empty() && k.back() == L'\\')
            k.pop_back();
        return k;
    }
};

} // namespace lm::test
