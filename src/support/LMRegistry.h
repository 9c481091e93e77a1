// CLMRegistry: single values below one base key of the registry. Settings are kept through it.
// Every operation reports true on success; on failure the caller's defaults stay as they were and
// nothing else is reported.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace lm {

class CLMRegistry {
public:
    // Longest key path, base path and "%s\%s" of base path and sub-key alike.
    static constexpr size_t kMaxKeyChars = 260;

    explicit CLMRegistry(IRegistry& registry, RegistryHive root = RegistryHive::CurrentUser,
                         const std::wstring& baseKey = std::wstring());

    void SetRootKey(RegistryHive root) { root_ = root; }
    RegistryHive RootKey() const { return root_; }
    // The base key below the root, for example "Software\Lumora\Remote Control"; cut to kMaxKeyChars.
    void SetBaseKey(const std::wstring& baseKey);
    const std::wstring& BaseKey() const { return base_; }
    // The key a call with this sub-key works on: the base key, or "base\sub" cut to kMaxKeyChars.
    std::wstring FullKey(const std::wstring& subKey = std::wstring()) const;

    // Opens the key with full access, creating it when missing, and stores a 32-bit number.
    bool WriteDword(const std::wstring& name, uint32_t value, const std::wstring& subKey = std::wstring());
    // Opens the key for reading; false when the key or the value is missing or is no number.
    bool ReadDword(const std::wstring& name, uint32_t& value, const std::wstring& subKey = std::wstring());
    // Reads a text into a buffer of `size` characters: false when the key or value is missing or the
    // text and its terminating zero do not fit (the buffer is then untouched). A size of 0 or less
    // receives nothing and succeeds.
    bool ReadString(const std::wstring& name, wchar_t* buffer, int size,
                    const std::wstring& subKey = std::wstring());
    // The same for a string; `value` is only changed on success.
    bool ReadString(const std::wstring& name, std::wstring& value, int size,
                    const std::wstring& subKey = std::wstring());
    // Opens or creates the key with full access and stores the text as a string value.
    bool WriteString(const std::wstring& name, const std::wstring& value,
                     const std::wstring& subKey = std::wstring());
    // Number of sub-keys of the base key, or -1 when it cannot be opened.
    int CountSubKeys();

    IRegistry& Registry() { return registry_; }

private:
    IRegistry& registry_;
    RegistryHive root_;
    std::wstring base_;
};

} // namespace lm
