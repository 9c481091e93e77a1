// The in-memory registry of host builds, fresh for each test, with what tests need on top: writes that
// fail on demand, and whether a string value was stored as an expandable one.
#pragma once
#include "base/Text.h"
#include "platform/Registry.h"

#include <set>

namespace lm::test {

class FakeRegistry final : public IRegistry {
public:
    bool CreateKey(RegistryHive hive, const std::wstring& key, bool* existed = nullptr) override {
        return !failWrites && memory_->CreateKey(hive, key, existed);
    }
    bool KeyExists(RegistryHive hive, const std::wstring& key) override {
        return memory_->KeyExists(hive, key);
    }
    bool SetString(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                   const std::wstring& value, bool expandable = false) override {
        if (failWrites || !memory_->SetString(hive, key, name, value, expandable))
            return false;
        if (expandable)
            expandable_.insert(Path(hive, key, name));
        else
            expandable_.erase(Path(hive, key, name));
        return true;
    }
    bool SetDword(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                  uint32_t value) override {
        return !failWrites && memory_->SetDword(hive, key, name, value);
    }
    std::optional<std::wstring> GetString(RegistryHive hive, const std::wstring& key,
                                          const std::wstring& name) override {
        return memory_->GetString(hive, key, name);
    }
    std::optional<uint32_t> GetDword(RegistryHive hive, const std::wstring& key,
                                     const std::wstring& name) override {
        return memory_->GetDword(hive, key, name);
    }
    bool DeleteValue(RegistryHive hive, const std::wstring& key, const std::wstring& name) override {
        return !failWrites && memory_->DeleteValue(hive, key, name);
    }
    int CountSubKeys(RegistryHive hive, const std::wstring& key) override {
        return memory_->CountSubKeys(hive, key);
    }
    std::vector<std::wstring> ListSubKeys(RegistryHive hive, const std::wstring& key) override {
        return memory_->ListSubKeys(hive, key);
    }

    bool IsExpandable(RegistryHive hive, const std::wstring& key, const std::wstring& name) const {
        return expandable_.count(Path(hive, key, name)) != 0;
    }
    bool failWrites = false;

private:
    static std::wstring Path(RegistryHive hive, const std::wstring& key, const std::wstring& name) {
        return std::to_wstring(static_cast<int>(hive)) + L":" + TextToLower(key) + L"\n" + TextToLower(name);
    }
    std::unique_ptr<IRegistry> memory_ = MakeMemoryRegistry();
    std::set<std::wstring> expandable_;
};

} // namespace lm::test
