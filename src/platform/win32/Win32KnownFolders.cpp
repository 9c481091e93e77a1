// Known folders of Windows.
#include "platform/KnownFolders.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace lm {
namespace {

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    return path;
}

class Win32KnownFolders final : public IKnownFolders {
public:
    std::wstring ExecutablePath() override {
        std::vector<wchar_t> buffer(MAX_PATH);
        for (;;) {
            DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n == 0)
                return std::wstring();
            if (n < buffer.size())
                return std::wstring(buffer.data(), n);
            if (buffer.size() >= 32768)
                return std::wstring();
            buffer.resize(buffer.size() * 2);
        }
    }

    std::wstring Folder(KnownFolder folder) override {
        wchar_t path[MAX_PATH] = {};
        switch (folder) {
        case KnownFolder::UserAppData:
            return ShellFolder(CSIDL_APPDATA);
        case KnownFolder::LocalAppData:
            return ShellFolder(CSIDL_LOCAL_APPDATA);
        case KnownFolder::System: {
            UINT n = GetSystemDirectoryW(path, MAX_PATH);
            return n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
        }
        case KnownFolder::Windows: {
            UINT n = GetWindowsDirectoryW(path, MAX_PATH);
            return n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
        }
        case KnownFolder::ProgramFiles:
            return ShellFolder(CSIDL_PROGRAM_FILES);
        case KnownFolder::ProgramFilesX86:
            return Is64BitSystem() ? ShellFolder(CSIDL_PROGRAM_FILESX86) : std::wstring();
        case KnownFolder::UserPrograms: {
            const std::wstring local = ShellFolder(CSIDL_LOCAL_APPDATA);
            return local.empty() ? local : local + L"\\Programs";
        }
        }
        return std::wstring();
    }

    std::wstring ExpandEnvironment(const std::wstring& text) override {
        if (text.find(L'%') == std::wstring::npos)
            return text;
        DWORD n = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
        if (n == 0)
            return text;
        std::wstring out(n, L'\0');
        DWORD got = ExpandEnvironmentStringsW(text.c_str(), out.data(), n);
        if (got == 0 || got > n)
            return text;
        out.resize(got - 1);
        return out;
    }

    bool Is64BitSystem() override {
#ifdef _WIN64
        return true;
#else
        BOOL wow64 = FALSE;
        return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
    }
};

} // namespace

IKnownFolders& NativeKnownFolders() {
    static Win32KnownFolders folders;
    return folders;
}

} // namespace lm
