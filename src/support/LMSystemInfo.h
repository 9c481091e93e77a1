// CLMSystemInfo: the lines the about page shows about the computer (Windows edition, DirectX, wave
// mapper), file versions of modules, and whether the user is an administrator.
#pragma once
#include <cstddef>
#include <string>

#include "platform/Registry.h"
#include "platform/SystemInfo.h"

namespace lm {

class CLMSystemInfo {
public:
    // Each text fits a buffer of this many characters with its terminating zero.
    static constexpr size_t kTextChars = 256;

    CLMSystemInfo(ISystemInfo& system, IRegistry& registry);

    // Product name, edition, service pack and build, for example
    // "Windows 10 Professional (Build 19045)". False when the version cannot be read.
    bool GetWindowsVersion(std::wstring& text);
    // "9.0c", or from the registry "9.0c (4.09.00.0904)". False when it cannot be found out.
    bool GetDirectXVersion(std::wstring& text);
    // The playback device of the wave mapper; always gives a text.
    bool GetWaveMapperDevice(std::wstring& text);
    // "%d.%02d.%02d.%02d" of the module's fixed file version, or "unknown".
    std::wstring GetFileVersion(const std::wstring& module);
    bool IsAdministrator();

    // The text of a version record (the registry is asked only where the record falls short).
    std::wstring WindowsVersionText(const tagOSVERSION& v);

private:
    ISystemInfo& system_;
    IRegistry& registry_;
};

// DirectX release derived from the file versions of its modules; nothing when no module is there.
std::optional<tagDXVERSION> DirectXFromModules(ISystemInfo& system);

} // namespace lm
