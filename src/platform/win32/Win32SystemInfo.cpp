// What Windows tells about itself. The version comes from RtlGetVersion, because GetVersionEx reports
// 6.2 to every program whose manifest does not name the newer systems.
#include "platform/SystemInfo.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <initguid.h>
#include <dxdiag.h>
#include <mmsystem.h>
#include <oleauto.h>

#include <vector>

namespace lm {
namespace {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_)
            p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

bool ReadDword(IDxDiagContainer* c, const wchar_t* name, DWORD& value) {
    VARIANT v;
    VariantInit(&v);
    bool ok = SUCCEEDED(c->GetProp(name, &v)) && v.vt == VT_UI4;
    if (ok)
        value = v.ulVal;
    VariantClear(&v);
    return ok;
}

class Win32SystemInfo final : public ISystemInfo {
public:
    tagOSVERSION GetOsVersion() override {
        tagOSVERSION out;
        OSVERSIONINFOEXW ex{};
        ex.dwOSVersionInfoSize = sizeof ex;
        using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
        auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
        if (rtlGetVersion && rtlGetVersion(&ex) == 0) {
            out.extended = true;
        } else {
            ex = OSVERSIONINFOEXW{};
            ex.dwOSVersionInfoSize = sizeof ex;
            out.extended = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex)) != FALSE;
            if (!out.extended) {
                ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
                if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex)))
                    return out;
            }
        }
        out.known = true;
        out.platformId = ex.dwPlatformId;
        out.major = ex.dwMajorVersion;
        out.minor = ex.dwMinorVersion;
        out.build = ex.dwBuildNumber;
        out.servicePack.assign(ex.szCSDVersion, wcsnlen(ex.szCSDVersion, 128));
        if (out.extended) {
            out.suiteMask = ex.wSuiteMask;
            out.productType = ex.wProductType;
        }
        SYSTEM_INFO si{};
        using NativeInfoFn = void(WINAPI*)(SYSTEM_INFO*);
        auto native = reinterpret_cast<NativeInfoFn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")));
        if (native)
            native(&si);
        else
            GetSystemInfo(&si);
        out.processorArchitecture = si.wProcessorArchitecture;
        out.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
        out.tabletPc = GetSystemMetrics(SM_TABLETPC) != 0;
        out.mediaCenter = GetSystemMetrics(SM_MEDIACENTER) != 0;
        out.starter = GetSystemMetrics(SM_STARTER) != 0;
        return out;
    }

    std::optional<tagDXVERSION> QueryDirectXDiagnostics() override {
        HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        std::optional<tagDXVERSION> result = Query();
        if (SUCCEEDED(init))
            CoUninitialize();
        return result;
    }

    std::optional<tagFILEVERSION> GetFileVersion(const std::wstring& module) override {
        std::wstring path = module;
        if (module.find_first_of(L"\\/") == std::wstring::npos) {
            wchar_t system[MAX_PATH];
            UINT n = GetSystemDirectoryW(system, MAX_PATH);
            if (n == 0 || n >= MAX_PATH)
                return std::nullopt;
            path = std::wstring(system, n) + L"\\" + module;
        }
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
        if (size == 0)
            return std::nullopt;
        std::vector<BYTE> data(size);
        if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()))
            return std::nullopt;
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT len = 0;
        if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) || !fixed ||
            len < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD)
            return std::nullopt;
        tagFILEVERSION v;
        v.part[0] = HIWORD(fixed->dwFileVersionMS);
        v.part[1] = LOWORD(fixed->dwFileVersionMS);
        v.part[2] = HIWORD(fixed->dwFileVersionLS);
        v.part[3] = LOWORD(fixed->dwFileVersionLS);
        return v;
    }

    unsigned WaveOutDeviceCount() override { return waveOutGetNumDevs(); }

    std::optional<std::wstring> WaveOutDeviceName(unsigned index) override {
        WAVEOUTCAPSW caps{};
        if (waveOutGetDevCapsW(index, &caps, sizeof caps) != MMSYSERR_NOERROR)
            return std::nullopt;
        return std::wstring(caps.szPname, wcsnlen(caps.szPname, MAXPNAMELEN));
    }

    bool TokenHasAdministrators() override {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return false;
        DWORD size = 0;
        GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        bool found = false;
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID admins = nullptr;
        if (size && GetTokenInformation(token, TokenGroups, buffer.data(), size, &size) &&
            AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                     0, 0, &admins)) {
            auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buffer.data());
            for (DWORD i = 0; i < groups->GroupCount && !found; ++i)
                found = EqualSid(groups->Groups[i].Sid, admins) != FALSE;
            FreeSid(admins);
        }
        CloseHandle(token);
        return found;
    }

private:
    static std::optional<tagDXVERSION> Query() {
        ComPtr<IDxDiagProvider> provider;
        if (FAILED(CoCreateInstance(CLSID_DxDiagProvider, nullptr, CLSCTX_INPROC_SERVER, IID_IDxDiagProvider,
                                    reinterpret_cast<void**>(provider.Out()))))
            return std::nullopt;
        DXDIAG_INIT_PARAMS params{};
        params.dwSize = sizeof params;
        params.dwDxDiagHeaderVersion = DXDIAG_DX9_SDK_VERSION;
        params.bAllowWHQLChecks = FALSE;
        ComPtr<IDxDiagContainer> root, system;
        if (FAILED(provider->Initialize(&params)) || FAILED(provider->GetRootContainer(root.Out())) ||
            FAILED(root->GetChildContainer(L"DxDiag_SystemInfo", system.Out())))
            return std::nullopt;
        DWORD major = 0, minor = 0;
        if (!ReadDword(system.operator->(), L"dwDirectXVersionMajor", major) ||
            !ReadDword(system.operator->(), L"dwDirectXVersionMinor", minor))
            return std::nullopt;
        tagDXVERSION v;
        v.major = static_cast<int>(major);
        v.minor = static_cast<int>(minor);
        VARIANT letter;
        VariantInit(&letter);
        if (SUCCEEDED(system->GetProp(L"szDirectXVersionLetter", &letter)) && letter.vt == VT_BSTR &&
            letter.bstrVal && letter.bstrVal[0])
            v.letter = letter.bstrVal[0];
        VariantClear(&letter);
        return v;
    }
};

} // namespace

ISystemInfo& NativeSystemInfo() {
    static Win32SystemInfo info;
    return info;
}

} // namespace lm
