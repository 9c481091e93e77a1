// The installer built beside the program, under Wine: a silent install for the user, the installed
// program started from its folder, and a silent uninstall that ends it politely and leaves nothing but
// the user's own data; then the same for all users without autostart.
#include "WinTestSupport.h"

#include "../../res/Version.h"
#include "app/RemoteApp.h"
#include "base/Text.h"
#include "exec/FindWindow.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace lm {
namespace {

using namespace wintest;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\LumoraRemoteControl";

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A string value, or "-" when there is none.
std::wstring RegText(const wchar_t* key, const wchar_t* name, HKEY root = HKEY_CURRENT_USER) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    return RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS ? value
                                                                                                : L"-";
}

// The fixed file version of the file's version resource as "a.b.c.d"; empty without one.
std::wstring FileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    std::vector<unsigned char> data(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length))
        return L"";
    return FormatBounded(64, L"%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                         HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
}

DWORD RunToEnd(const std::wstring& exe, const std::wstring& args) {
    ChildProcess process;
    return process.Start(exe, args) ? process.WaitExit(120000) : 0xFFFFFFFF;
}

TEST(InstallerWinTest, SilentInstallsForTheUserAndForAllUsersAndTheirUninstalls) {
    const std::wstring version(LM_VERSION_TEXT, LM_VERSION_TEXT + std::strlen(LM_VERSION_TEXT));
    const std::wstring setup = BinDir() + L"\\..\\installer\\LumoraRemoteControl-" + version + L"-setup.exe";
    ASSERT_TRUE(Exists(setup)) << "the Windows build makes it (target installer)";
    EXPECT_EQ(FileVersion(setup), version);
    ASSERT_EQ(FindWindowW(nullptr, kEditorTitle), nullptr); // the uninstaller would end that one

    ASSERT_EQ(RunToEnd(setup, L"/S"), 0u);
    const std::wstring dir = ShellFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Lumora Remote Control";
    const std::wstring exe = dir + L"\\RemoteControl.exe";
    for (const wchar_t* file :
         {L"RemoteControl.exe", L"rcset.exe", L"RemoteControl.ini", L"Marvix.css", L"Marvix.jpg",
          L"Marvix.txt", L"English.lng", L"German.lng", L"ChinTrad.lng", L"Uninstall.exe"})
        EXPECT_TRUE(Exists(dir + L"\\" + file)) << file;
    int languages = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*.lng").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        ++languages;
    FindClose(search);
    EXPECT_EQ(languages, 18);
    const std::wstring shortcut = ShellFolder(CSIDL_PROGRAMS) + L"\\Lumora Remote Control.lnk";
    EXPECT_TRUE(Exists(shortcut));
    EXPECT_EQ(RegText(kRunKey, L"Remote Control Editor"), L"\"" + exe + L"\"");
    EXPECT_EQ(RegText(kUninstallKey, L"DisplayVersion"), version);
    EXPECT_EQ(FileVersion(exe), version);

    // The installed program runs from its folder: its single-instance window belongs to that file.
    ChildProcess program;
    ASSERT_TRUE(program.Start(exe, L""));
    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (editor = FindWindowW(nullptr, kEditorTitle)) != nullptr; }, 30000));
    EXPECT_TRUE(SameText(
        WindowExecutablePath(NativeWindows(), NativeProcesses(), reinterpret_cast<WindowHandle>(editor)),
        exe));

    // The user's own command sets stay; the program ends with the uninstall, and its files, shortcut,
    // Run value and uninstall entry go. (The uninstaller runs on from a copy of itself.)
    const std::wstring userData = ShellFolder(CSIDL_APPDATA) + L"\\Lumora\\Remote";
    SHCreateDirectoryExW(nullptr, userData.c_str(), nullptr);
    std::ofstream(std::filesystem::path(userData + L"\\Mine.usr")) << "[Mine]\n";
    ASSERT_EQ(RunToEnd(dir + L"\\Uninstall.exe", L"/S"), 0u);
    EXPECT_EQ(program.WaitExit(30000), 0u);
    EXPECT_TRUE(WaitFor([&] { return !Exists(dir); }, 30000)) << "left in place";
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_EQ(RegText(kRunKey, L"Remote Control Editor"), L"-");
    EXPECT_EQ(RegText(kUninstallKey, L"DisplayName"), L"-");
    EXPECT_TRUE(Exists(userData + L"\\Mine.usr"));
    DeleteFileW((userData + L"\\Mine.usr").c_str());

    // For all users (Wine runs every program as administrator), without autostart: the program files
    // folder, the shared Start menu and the machine's uninstall entry; the settings say no autostart.
    ASSERT_EQ(RunToEnd(setup, L"/S /ALLUSERS /NOAUTOSTART"), 0u);
    const std::wstring shared = ShellFolder(CSIDL_PROGRAM_FILES) + L"\\Lumora Remote Control";
    EXPECT_TRUE(Exists(shared + L"\\RemoteControl.exe"));
    EXPECT_TRUE(Exists(ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\Lumora Remote Control.lnk"));
    EXPECT_EQ(RegText(kUninstallKey, L"InstallLocation", HKEY_LOCAL_MACHINE), shared);
    EXPECT_EQ(RegText(kRunKey, L"Remote Control Editor"), L"-");
    DWORD autostart = 1, size = sizeof(autostart);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kProgramKey, L"Autostart", RRF_RT_REG_DWORD, nullptr,
                           &autostart, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(autostart, 0u);
    ASSERT_EQ(RunToEnd(shared + L"\\Uninstall.exe", L"/S"), 0u);
    EXPECT_TRUE(WaitFor([&] { return !Exists(shared); }, 30000)) << "left in place";
    EXPECT_FALSE(Exists(ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\Lumora Remote Control.lnk"));
    EXPECT_EQ(RegText(kUninstallKey, L"DisplayName", HKEY_LOCAL_MACHINE), L"-");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kProgramKey, L"Autostart");
}

} // namespace
} // namespace lm
