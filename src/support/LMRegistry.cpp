#include "support/LMRegistry.h"

#include "support/LMDebug.h"
#include "base/Text.h"

namespace lm {

CLMRegistry::CLMRegistry(IRegistry& registry, RegistryHive root, const std::wstring& baseKey)
    : registry_(registry), root_(root) {
    SetBaseKey(baseKey);
}

void CLMRegistry::SetBaseKey(const std::wstring& baseKey) {
    base_ = CutTo(baseKey, kMaxKeyChars);
}

std::wstring CLMRegistry::FullKey(const std::wstring& subKey) const {
    if (subKey.empty())
        return base_;
    return FormatBounded(kMaxKeyChars, L"%ls\\%ls", base_.c_str(), subKey.c_str());
}

bool CLMRegistry::WriteDword(const std::wstring& name, uint32_t value, const std::wstring& subKey) {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CLMRegistry::WriteDword", L"%ls", name.c_str());
    return registry_.SetDword(root_, FullKey(subKey), name, value);
}

bool CLMRegistry::ReadDword(const std::wstring& name, uint32_t& value, const std::wstring& subKey) {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CLMRegistry::ReadDword", L"%ls", name.c_str());
    auto v = registry_.GetDword(root_, FullKey(subKey), name);
    if (!v)
        return false;
    value = *v;
    return true;
}

bool CLMRegistry::ReadString(const std::wstring& name, wchar_t* buffer, int size,
                             const std::wstring& subKey) {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CLMRegistry::ReadString", L"%ls", name.c_str());
    if (size <= 0)
        return true;
    if (!buffer)
        return false;
    auto v = registry_.GetString(root_, FullKey(subKey), name);
    if (!v || v->size() >= static_cast<size_t>(size))
        return false;
    CopyBounded(buffer, static_cast<size_t>(size), *v);
    return true;
}

bool CLMRegistry::ReadString(const std::wstring& name, std::wstring& value, int size,
                             const std::wstring& subKey) {
    if (size <= 0)
        return true;
    std::wstring buffer(static_cast<size_t>(size), L'\0');
    if (!ReadString(name, buffer.data(), size, subKey))
        return false;
    value.assign(buffer.c_str());
    return true;
}

bool CLMRegistry::WriteString(const std::wstring& name, const std::wstring& value,
                              const std::wstring& subKey) {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CLMRegistry::WriteString", L"%ls", name.c_str());
    return registry_.SetString(root_, FullKey(subKey), name, value);
}

int CLMRegistry::CountSubKeys() {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CLMRegistry::CountSubKeys");
    return registry_.CountSubKeys(root_, base_);
}

} // namespace lm
