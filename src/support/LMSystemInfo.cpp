#include "support/LMSystemInfo.h"

#include "support/LMDebug.h"
#include "base/Text.h"

#include <cwchar>

namespace lm {
namespace {

constexpr size_t kMaxText = CLMSystemInfo::kTextChars - 1;

bool SameTextNoCase(const std::wstring& a, const wchar_t* b) {
    size_t n = std::wcslen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z')
            x = static_cast<wchar_t>(x + 32);
        if (y >= L'A' && y <= L'Z')
            y = static_cast<wchar_t>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

// The product name, ending with a blank.
std::wstring ProductName(const tagOSVERSION& v) {
    const bool workstation = v.productType == kProductWorkstation;
    const uint32_t version = v.major * 100 + v.minor;
    if (v.major >= 10) {
        if (v.major > 10)
            return FormatBounded(kMaxText, L"Windows %u.%u ", v.major, v.minor);
        if (workstation)
            return v.build >= 22000 ? L"Windows 11 " : L"Windows 10 ";
        if (v.build >= 26100)
            return L"Windows Server 2025 ";
        if (v.build >= 20348)
            return L"Windows Server 2022 ";
        if (v.build >= 17763)
            return L"Windows Server 2019 ";
        return L"Windows Server 2016 ";
    }
    switch (version) {
    case 603:
        return workstation ? L"Windows 8.1 " : L"Windows Server 2012 R2 ";
    case 602:
        return workstation ? L"Windows 8 " : L"Windows Server 2012 ";
    case 601:
        return workstation ? L"Windows 7 " : L"Windows Server 2008 R2 ";
    case 600:
        return workstation ? L"Windows Vista " : L"Windows Server \"Longhorn\" ";
    case 502:
        if (v.serverR2)
            return L"Microsoft Windows Server 2003 \"R2\" ";
        if (workstation && v.processorArchitecture == kArchAMD64)
            return L"Microsoft Windows XP Professional x64 Edition ";
        return L"Microsoft Windows Server 2003, ";
    case 501:
        return L"Microsoft Windows XP ";
    case 500:
        return L"Microsoft Windows 2000 ";
    default:
        break;
    }
    if (v.major < 5)
        return L"Microsoft Windows NT ";
    return FormatBounded(kMaxText, L"Windows %u.%u ", v.major, v.minor);
}

// The edition from the extended version record.
std::wstring EditionName(const tagOSVERSION& v) {
    const uint32_t version = v.major * 100 + v.minor;
    const uint16_t suite = v.suiteMask;
    // The special editions of XP (and Starter up to Windows 7); later systems set these metrics on
    // ordinary editions.
    if (version == 501 && v.tabletPc)
        return L"Tablet PC Edition ";
    if (version == 501 && v.mediaCenter)
        return L"Media Center Edition ";
    if (version >= 501 && version <= 601 && v.starter)
        return L"Starter Edition ";
    if (v.productType == kProductWorkstation) {
        if (version == 502 && v.processorArchitecture == kArchAMD64)
            return L""; // the product name says it all
        if (v.major == 4)
            return L"Workstation 4.0 ";
        return (suite & kSuitePersonal) ? L"Home Edition " : L"Professional ";
    }
    if (v.productType != kProductServer && v.productType != kProductDomainController)
        return L"";
    if (version == 502) {
        if (v.processorArchitecture == kArchIA64) {
            if (suite & kSuiteDatacenter)
                return L"Datacenter Edition for Itanium-based Systems";
            if (suite & kSuiteEnterprise)
                return L"Enterprise Edition for Itanium-based Systems";
            return L"";
        }
        if (v.processorArchitecture == kArchAMD64) {
            if (suite & kSuiteDatacenter)
                return L"Datacenter x64 Edition ";
            if (suite & kSuiteEnterprise)
                return L"Enterprise x64 Edition ";
            return L"Standard x64 Edition ";
        }
    }
    if (version == 500) {
        if (suite & kSuiteDatacenter)
            return L"Datacenter Server ";
        if (suite & kSuiteEnterprise)
            return L"Advanced Server ";
        return L"Server ";
    }
    if (v.major == 4)
        return (suite & kSuiteEnterprise) ? L"Server 4.0, Enterprise Edition " : L"Server 4.0 ";
    if (suite & kSuiteDatacenter)
        return L"Datacenter Edition ";
    if (suite & kSuiteEnterprise)
        return L"Enterprise Edition ";
    if (suite == kSuiteBlade)
        return L"Web Edition ";
    return L"Standard Edition ";
}

void TrimRight(std::wstring& s) {
    while (!s.empty() && s.back() == L' ')
        s.pop_back();
}

uint64_t Packed(const tagFILEVERSION& f) {
    return (uint64_t(f.part[0]) << 48) | (uint64_t(f.part[1]) << 32) | (uint64_t(f.part[2]) << 16) |
           f.part[3];
}

constexpr uint64_t V(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    return (uint64_t(a) << 48) | (uint64_t(b) << 32) | (uint64_t(c) << 16) | d;
}

} // namespace

std::optional<tagDXVERSION> DirectXFromModules(ISystemInfo& system) {
    // Each module and file version marks the release that brought it; the newest found wins.
    struct Step {
        const wchar_t* module;
        uint64_t atLeast;
        tagDXVERSION release;
    };
    static const Step kSteps[] = {
        {L"ddraw.dll", V(4, 2, 0, 95), {1, 0, L' '}},  {L"ddraw.dll", V(4, 3, 0, 1096), {2, 0, L'a'}},
        {L"ddraw.dll", V(4, 4, 0, 68), {3, 0, L' '}},  {L"d3drg8x.dll", 0, {3, 0, L'a'}},
        {L"ddraw.dll", V(4, 5, 0, 155), {5, 0, L' '}}, {L"ddraw.dll", V(4, 6, 2, 436), {6, 0, L' '}},
        {L"ddraw.dll", V(4, 6, 3, 518), {6, 1, L' '}}, {L"dplayx.dll", V(4, 6, 3, 518), {6, 1, L'a'}},
        {L"ddraw.dll", V(4, 7, 0, 700), {7, 0, L' '}}, {L"dinput.dll", V(4, 7, 0, 716), {7, 0, L'a'}},
        {L"d3d8.dll", V(4, 8, 0, 400), {8, 0, L' '}},  {L"d3d8.dll", V(4, 8, 1, 881), {8, 1, L' '}},
        {L"d3d8.dll", V(4, 8, 1, 901), {8, 1, L'a'}},  {L"mpg2splt.ax", V(6, 3, 1, 68), {8, 1, L'b'}},
        {L"dpnet.dll", V(4, 9, 0, 134), {8, 2, L' '}}, {L"d3d9.dll", 0, {9, 0, L' '}},
        {L"d3d9.dll", V(4, 9, 0, 901), {9, 0, L'a'}},  {L"d3d9.dll", V(4, 9, 0, 902), {9, 0, L'b'}},
        {L"d3d9.dll", V(4, 9, 0, 903), {9, 0, L'c'}},
    };
    std::optional<tagDXVERSION> found;
    const wchar_t* lastModule = nullptr;
    std::optional<tagFILEVERSION> version;
    for (const Step& step : kSteps) {
        if (!lastModule || std::wcscmp(lastModule, step.module) != 0) {
            version = system.GetFileVersion(step.module);
            lastModule = step.module;
        }
        if (version && Packed(*version) >= step.atLeast)
            found = step.release;
    }
    return found;
}

CLMSystemInfo::CLMSystemInfo(ISystemInfo& system, IRegistry& registry)
    : system_(system), registry_(registry) {}

std::wstring CLMSystemInfo::WindowsVersionText(const tagOSVERSION& v) {
    std::wstring text;
    switch (v.platformId) {
    case kPlatformNT: {
        text = ProductName(v);
        if (v.extended) {
            text += EditionName(v);
        } else {
            auto type =
                registry_.GetString(RegistryHive::LocalMachine,
                                    L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions", L"ProductType");
            if (type && SameTextNoCase(*type, L"WINNT"))
                text += L"Workstation ";
            else if (type && SameTextNoCase(*type, L"LANMANNT"))
                text += L"Server ";
            else if (type && SameTextNoCase(*type, L"SERVERNT"))
                text += L"Advanced Server ";
            text += FormatBounded(kMaxText, L"%u.%u ", v.major, v.minor);
        }
        if (!text.empty() && text.back() != L' ')
            text += L' ';
        std::wstring servicePack = v.servicePack;
        if (v.major == 4 && SameTextNoCase(servicePack, L"Service Pack 6") &&
            registry_.KeyExists(RegistryHive::LocalMachine,
                                L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009"))
            servicePack = L"Service Pack 6a";
        if (!servicePack.empty())
            text += servicePack + L" ";
        text += FormatBounded(kMaxText, L"(Build %u)", v.build & 0xFFFF);
        break;
    }
    case kPlatformWindows9x: {
        wchar_t release = v.servicePack.size() > 1 ? v.servicePack[1] : L' ';
        if (v.major == 4 && v.minor == 0)
            text = std::wstring(L"Microsoft Windows 95 ") +
                   ((release == L'B' || release == L'C') ? L"OSR2" : L"");
        else if (v.major == 4 && v.minor == 10)
            text =
                std::wstring(L"Microsoft Windows 98 ") + ((release == L'A' || release == L'B') ? L"SE" : L"");
        else if (v.major == 4 && v.minor == 90)
            text = L"Microsoft Windows Millennium Edition";
        else
            text = FormatBounded(kMaxText, L"Microsoft Windows %u.%u", v.major, v.minor);
        break;
    }
    default:
        text = L"Microsoft Win32s";
        break;
    }
    TrimRight(text);
    return CutTo(text, kMaxText);
}

bool CLMSystemInfo::GetWindowsVersion(std::wstring& text) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CLMSystemInfo::GetWindowsVersion");
    tagOSVERSION v = system_.GetOsVersion();
    if (!v.known)
        return false;
    text = WindowsVersionText(v);
    return true;
}

bool CLMSystemInfo::GetDirectXVersion(std::wstring& text) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CLMSystemInfo::GetDirectXVersion");
    tagOSVERSION v = system_.GetOsVersion();
    if (v.known && v.platformId == kPlatformNT && v.major >= 6) {
        std::optional<tagDXVERSION> dx = system_.QueryDirectXDiagnostics();
        if (!dx)
            dx = DirectXFromModules(system_);
        if (!dx)
            return false;
        wchar_t letter = dx->letter;
        if (letter >= L'A' && letter <= L'Z')
            letter = static_cast<wchar_t>(letter + 32);
        text = (letter == L' ' || letter == L'\0')
                   ? FormatBounded(kMaxText, L"%d.%d", dx->major, dx->minor)
                   : FormatBounded(kMaxText, L"%d.%d%lc", dx->major, dx->minor, static_cast<wint_t>(letter));
        return true;
    }
    auto version =
        registry_.GetString(RegistryHive::LocalMachine, L"SOFTWARE\\Microsoft\\DirectX", L"Version");
    int p[4] = {0, 0, 0, 0};
    if (!version || std::swscanf(version->c_str(), L"%d.%d.%d.%d", &p[0], &p[1], &p[2], &p[3]) != 4)
        return false;
    const wchar_t* format = L"%d.%d (%d.%02d.%02d.%02d)";
    if (*version == L"4.09.00.0904")
        format = L"%d.%dc (%d.%02d.%02d.%02d)";
    else if (*version == L"4.09.00.0902")
        format = L"%d.%db (%d.%02d.%02d.%02d)";
    text = FormatBounded(kMaxText, format, p[1], p[2], p[0], p[1], p[2], p[3]);
    return true;
}

bool CLMSystemInfo::GetWaveMapperDevice(std::wstring& text) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CLMSystemInfo::GetWaveMapperDevice");
    text = L"n.a.";
    auto playback = registry_.GetString(RegistryHive::CurrentUser,
                                        L"Software\\Microsoft\\Multimedia\\Sound Mapper", L"Playback");
    if (playback && !playback->empty()) {
        text = CutTo(*playback, kMaxText);
    } else if (system_.WaveOutDeviceCount() == 0) {
        text = L"No Wave Out device installed";
    } else if (auto name = system_.WaveOutDeviceName(0)) {
        text = CutTo(*name, kMaxText);
    }
    return true;
}

std::wstring CLMSystemInfo::GetFileVersion(const std::wstring& module) {
    auto v = system_.GetFileVersion(module);
    if (!v)
        return L"unknown";
    return FormatBounded(kMaxText, L"%d.%02d.%02d.%02d", v->part[0], v->part[1], v->part[2], v->part[3]);
}

bool CLMSystemInfo::IsAdministrator() {
    tagOSVERSION v = system_.GetOsVersion();
    if (v.known && v.platformId != kPlatformNT)
        return true;
    return system_.TokenHasAdministrators();
}

} // namespace lm
