// The registry as the program needs it: single values below keys of the user's or the machine's hive.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lm {

// The classes root is the merged view of the file types of the machine and the user.
enum class RegistryHive { CurrentUser, LocalMachine, ClassesRoot };

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // Opens or creates a key (and its parents); `existed` tells whether it was there before.
    virtual bool CreateKey(RegistryHive hive, const std::wstring& key, bool* existed = nullptr) = 0;
    virtual bool KeyExists(RegistryHive hive, const std::wstring& key) = 0;
    // Values are set on existing or newly created keys. An empty name is the key's default value.
    virtual bool SetString(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                           const std::wstring& value, bool expandable = false) = 0;
    virtual bool SetDword(RegistryHive hive, const std::wstring& key, const std::wstring& name, uint32_t value) = 0;
    // Reads open the key for reading only; nothing when the key or the value is missing or of another type.
    virtual std::optional<std::wstring> GetString(RegistryHive hive, const std::wstring& key,
                                                  const std::wstring& name) = 0;
    virtual std::optional<uint32_t> GetDword(RegistryHive hive, const std::wstring& key, const std::wstring& name) = 0;
    virtual bool DeleteValue(RegistryHive hive, const std::wstring& key, const std::wstring& name) = 0;
    // Number of sub-keys, or -1 when the key cannot be opened.
    virtual int CountSubKeys(RegistryHive hive, const std::wstring& key) = 0;
    virtual std::vector<std::wstring> ListSubKeys(RegistryHive hive, const std::wstring& key) = 0;
};

// The registry of this computer: the system's on Windows, an empty one in memory elsewhere (host tools).
// It lives for the whole process and may be used from any thread.
IRegistry& NativeRegistry();

// A fresh, empty registry in memory, as host builds use for NativeRegistry; for tests and tools.
std::unique_ptr<IRegistry> MakeMemoryRegistry();

} // namespace lm
