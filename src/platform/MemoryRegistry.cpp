// A registry in memory: the host build's stand-in for the system's registry, and a fresh one for tests
// and tools of every build. Key and value names are matched without regard to ASCII case.
#include "platform/Registry.h"

#include <map>
#include <mutex>

namespace lm {
namespace {

class MemoryRegistry final : public IRegistry {
public:
    bool CreateKey(RegistryHive hive, const std::wstring& key, bool* existed) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Create(hive, key, existed);
        return true;
    }
    bool KeyExists(RegistryHive hive, const std::wstring& key) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return Find(hive, key) != nullptr;
    }
    bool SetString(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                   const std::wstring& value, bool) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Create(hive, key, nullptr).values[Lower(name)] = Value{true, value, 0};
        return true;
    }
    bool SetDword(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                  uint32_t value) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Create(hive, key, nullptr).values[Lower(name)] = Value{false, {}, value};
        return true;
    }
    std::optional<std::wstring> GetString(RegistryHive hive, const std::wstring& key,
                                          const std::wstring& name) override {
        std::lock_guard<std::mutex> lock(mutex_);
        const Value* v = FindValue(hive, key, name);
        if (!v || !v->isString)
            return std::nullopt;
        return v->text;
    }
    std::optional<uint32_t> GetDword(RegistryHive hive, const std::wstring& key,
                                     const std::wstring& name) override {
        std::lock_guard<std::mutex> lock(mutex_);
        const Value* v = FindValue(hive, key, name);
        if (!v || v->isString)
            return std::nullopt;
        return v->number;
    }
    bool DeleteValue(RegistryHive hive, const std::wstring& key, const std::wstring& name) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Key* k = Find(hive, key);
        return k && k->values.erase(Lower(name)) != 0;
    }
    int CountSubKeys(RegistryHive hive, const std::wstring& key) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!Find(hive, key))
            return -1;
        return static_cast<int>(SubKeys(hive, key).size());
    }
    std::vector<std::wstring> ListSubKeys(RegistryHive hive, const std::wstring& key) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return SubKeys(hive, key);
    }

private:
    struct Value {
        bool isString = true;
        std::wstring text;
        uint32_t number = 0;
    };
    struct Key {
        std::wstring name; // as first created
        std::map<std::wstring, Value> values;
    };
    using Keys = std::map<std::wstring, Key>; // by lower-case path without trailing separators

    static std::wstring Lower(std::wstring s) {
        for (auto& c : s)
            if (c >= L'A' && c <= L'Z')
                c = static_cast<wchar_t>(c + 32);
        return s;
    }
    static std::wstring Clean(std::wstring key) {
        while (!key.empty() && key.back() == L'\\')
            key.pop_back();
        while (!key.empty() && key.front() == L'\\')
            key.erase(0, 1);
        return key;
    }
    Keys& Hive(RegistryHive hive) { return hives_[static_cast<int>(hive)]; }
    Key* Find(RegistryHive hive, const std::wstring& key) {
        std::wstring k = Clean(key);
        if (k.empty())
            return &roots_[static_cast<int>(hive)];
        auto it = Hive(hive).find(Lower(k));
        return it == Hive(hive).end() ? nullptr : &it->second;
    }
    const Value* FindValue(RegistryHive hive, const std::wstring& key, const std::wstring& name) {
        Key* k = Find(hive, key);
        if (!k)
            return nullptr;
        auto it = k->values.find(Lower(name));
        return it == k->values.end() ? nullptr : &it->second;
    }
    Key& Create(RegistryHive hive, const std::wstring& key, bool* existed) {
        std::wstring k = Clean(key);
        if (existed)
            *existed = Find(hive, k) != nullptr;
        if (k.empty())
            return roots_[static_cast<int>(hive)];
        for (size_t pos = k.find(L'\\'); pos != std::wstring::npos; pos = k.find(L'\\', pos + 1))
            Hive(hive).try_emplace(Lower(k.substr(0, pos)), Key{k.substr(0, pos), {}});
        return Hive(hive).try_emplace(Lower(k), Key{k, {}}).first->second;
    }
    std::vector<std::wstring> SubKeys(RegistryHive hive, const std::wstring& key) {
        std::vector<std::wstring> out;
        std::wstring k = Clean(key);
        std::wstring prefix = k.empty() ? std::wstring() : Lower(k) + L"\\";
        for (auto& [path, entry] : Hive(hive))
            if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
                path.find(L'\\', prefix.size()) == std::wstring::npos)
                out.push_back(entry.name.substr(prefix.size()));
        return out;
    }

    std::mutex mutex_;
    Keys hives_[3];
    Key roots_[3];
};

} // namespace

std::unique_ptr<IRegistry> MakeMemoryRegistry() {
    return std::make_unique<MemoryRegistry>();
}

} // namespace lm
