// The Windows registry. Writes open keys with full access and create them; reads open them for
// reading only. Every handle is closed before the call returns.
#include "platform/Registry.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace lm {
namespace {

HKEY Root(RegistryHive hive) {
    switch (hive) {
    case RegistryHive::CurrentUser:
        return HKEY_CURRENT_USER;
    case RegistryHive::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RegistryHive::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    }
    return HKEY_CURRENT_USER;
}

class Key {
public:
    Key() = default;
    ~Key() {
        if (h_)
            RegCloseKey(h_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    bool Open(RegistryHive hive, const std::wstring& path, REGSAM access) {
        return RegOpenKeyExW(Root(hive), path.c_str(), 0, access, &h_) == ERROR_SUCCESS;
    }
    bool Create(RegistryHive hive, const std::wstring& path, bool* existed) {
        DWORD disposition = 0;
        if (RegCreateKeyExW(Root(hive), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &h_, &disposition) != ERROR_SUCCESS) {
            h_ = nullptr;
            return false;
        }
        if (existed)
            *existed = disposition == REG_OPENED_EXISTING_KEY;
        return true;
    }
    HKEY Get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

class Win32Registry final : public IRegistry {
public:
    bool CreateKey(RegistryHive hive, const std::wstring& key, bool* existed) override {
        Key k;
        return k.Create(hive, key, existed);
    }
    bool KeyExists(RegistryHive hive, const std::wstring& key) override {
        Key k;
        return k.Open(hive, key, KEY_READ);
    }
    bool SetString(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                   const std::wstring& value, bool expandable) override {
        Key k;
        if (!k.Create(hive, key, nullptr))
            return false;
        // The text with its terminating zero.
        auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(k.Get(), name.c_str(), 0, expandable ? REG_EXPAND_SZ : REG_SZ,
                              reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
    }
    bool SetDword(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                  uint32_t value) override {
        Key k;
        if (!k.Create(hive, key, nullptr))
            return false;
        DWORD v = value;
        return RegSetValueExW(k.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                              sizeof v) == ERROR_SUCCESS;
    }
    std::optional<std::wstring> GetString(RegistryHive hive, const std::wstring& key,
                                          const std::wstring& name) override {
        Key k;
        if (!k.Open(hive, key, KEY_READ))
            return std::nullopt;
        DWORD type = 0, size = 0;
        LONG r = RegQueryValueExW(k.Get(), name.c_str(), nullptr, &type, nullptr, &size);
        std::wstring text;
        // The value may grow between the two calls.
        for (int attempt = 0; attempt < 4 && r == ERROR_SUCCESS; ++attempt) {
            if (type != REG_SZ && type != REG_EXPAND_SZ)
                return std::nullopt;
            text.assign(size / sizeof(wchar_t) + 1, L'\0');
            DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
            r = RegQueryValueExW(k.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                                 &got);
            if (r == ERROR_MORE_DATA) {
                size = got;
                r = ERROR_SUCCESS;
                continue;
            }
            if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
                return std::nullopt;
            // The text ends at its first zero, whether the stored value had one or not.
            text.resize(got / sizeof(wchar_t));
            size_t zero = text.find(L'\0');
            if (zero != std::wstring::npos)
                text.resize(zero);
            return text;
        }
        return std::nullopt;
    }
    std::optional<uint32_t> GetDword(RegistryHive hive, const std::wstring& key,
                                     const std::wstring& name) override {
        Key k;
        if (!k.Open(hive, key, KEY_READ))
            return std::nullopt;
        DWORD type = 0, v = 0, size = sizeof v;
        if (RegQueryValueExW(k.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof v)
            return std::nullopt;
        return v;
    }
    bool DeleteValue(RegistryHive hive, const std::wstring& key, const std::wstring& name) override {
        Key k;
        return k.Open(hive, key, KEY_SET_VALUE) && RegDeleteValueW(k.Get(), name.c_str()) == ERROR_SUCCESS;
    }
    int CountSubKeys(RegistryHive hive, const std::wstring& key) override {
        Key k;
        DWORD count = 0;
        if (!k.Open(hive, key, KEY_READ) ||
            RegQueryInfoKeyW(k.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return -1;
        return static_cast<int>(count);
    }
    std::vector<std::wstring> ListSubKeys(RegistryHive hive, const std::wstring& key) override {
        std::vector<std::wstring> out;
        Key k;
        if (!k.Open(hive, key, KEY_READ))
            return out;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256]; // the longest key name the registry allows, and its zero
            DWORD len = 256;
            LONG r = RegEnumKeyExW(k.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
            if (r == ERROR_MORE_DATA)
                continue;
            if (r != ERROR_SUCCESS)
                break;
            out.emplace_back(name, len);
        }
        return out;
    }
};

} // namespace

IRegistry& NativeRegistry() {
    static Win32Registry registry;
    return registry;
}

} // namespace lm
