// What the system tells about itself for the about page and the write check: its true version and
// edition, DirectX, the wave-out devices and whether the user is an administrator. Registry values
// that belong to these questions are read through IRegistry by the caller.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace lm {

// Values as the Windows version record gives them.
enum : uint32_t { kPlatformWin32s = 0, kPlatformWindows9x = 1, kPlatformNT = 2 };
enum : uint8_t { kProductWorkstation = 1, kProductDomainController = 2, kProductServer = 3 };
enum : uint16_t {
    kSuiteEnterprise = 0x0002,
    kSuiteDatacenter = 0x0080,
    kSuitePersonal = 0x0200,
    kSuiteBlade = 0x0400,
};
enum : uint16_t { kArchX86 = 0, kArchIA64 = 6, kArchAMD64 = 9, kArchARM64 = 12 };

struct tagOSVERSION {
    bool known = false;    // false: nothing could be read
    bool extended = false; // the extended record (product type, suites, service pack numbers) was read
    uint32_t platformId = kPlatformNT;
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    std::wstring servicePack; // "Service Pack 2", or the letter of a Windows 95/98 release
    uint16_t suiteMask = 0;
    uint8_t productType = kProductWorkstation;
    uint16_t processorArchitecture = kArchX86; // of the machine, not of the process
    // System metrics of special editions.
    bool serverR2 = false;
    bool tabletPc = false;
    bool mediaCenter = false;
    bool starter = false;
};

struct tagFILEVERSION {
    uint16_t part[4] = {0, 0, 0, 0}; // major, minor, build, revision
};

struct tagDXVERSION {
    int major = 0;
    int minor = 0;
    wchar_t letter = L' '; // L' ' when the release has no letter
};

class ISystemInfo {
public:
    virtual ~ISystemInfo() = default;
    // The true version of the running system, not the one shown to programs for compatibility.
    virtual tagOSVERSION GetOsVersion() = 0;
    // The DirectX version of the system's diagnostic object.
    virtual std::optional<tagDXVERSION> QueryDirectXDiagnostics() = 0;
    // The fixed file version of a module; a bare file name is looked up in the system folder.
    virtual std::optional<tagFILEVERSION> GetFileVersion(const std::wstring& module) = 0;
    virtual unsigned WaveOutDeviceCount() = 0;
    virtual std::optional<std::wstring> WaveOutDeviceName(unsigned index) = 0;
    // True when the groups of the process token hold the built-in Administrators group.
    virtual bool TokenHasAdministrators() = 0;
};

// The services of this computer; they live for the whole process.
ISystemInfo& NativeSystemInfo();

} // namespace lm
