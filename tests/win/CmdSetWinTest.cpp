// The command-set administration on Windows: the known folders, the executable map on the real system,
// the program's own files beside RemoteControl.exe, and what interrupted writes leave beside a file.
#include "WinTestSupport.h"

#include "fakes/FakeStrings.h"
#include "cmdset/CmdSetAdmin.h"
#include "platform/FileSystem.h"
#include "platform/KnownFolders.h"
#include "platform/Registry.h"
#include "support/ProfileFile.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lm {
namespace {

TEST(CmdSetWinTest, KnownFolders) {
    IKnownFolders& folders = NativeKnownFolders();
    IFileSystem& fs = NativeFileSystem();
    const std::wstring exe = folders.ExecutablePath();
    EXPECT_EQ(PathFileName(exe), L"lm_win_tests.exe");
    EXPECT_TRUE(fs.GetInfo(exe).exists);
    for (KnownFolder f : {KnownFolder::UserAppData, KnownFolder::LocalAppData, KnownFolder::System,
                          KnownFolder::Windows, KnownFolder::ProgramFiles}) {
        const std::wstring path = folders.Folder(f);
        EXPECT_TRUE(fs.GetInfo(path).directory) << static_cast<int>(f);
    }
    EXPECT_TRUE(fs.GetInfo(PathJoin(folders.Folder(KnownFolder::System), L"kernel32.dll")).exists);
    EXPECT_TRUE(folders.Is64BitSystem()); // the program is a 64-bit one
    EXPECT_EQ(folders.ExpandEnvironment(L"%SystemRoot%"), folders.Folder(KnownFolder::Windows));
    EXPECT_EQ(folders.ExpandEnvironment(L"no references"), L"no references");
}

TEST(CmdSetWinTest, ExecutableMapKnowsTheSystemsPrograms) {
    CProfileStore profiles(NativeFileSystem());
    test::FakeStrings words;
    CKeyNames keyNames;
    CAppCatalog catalog;
    tagCMDSETSERVICES services{profiles, NativeRegistry(), NativeKnownFolders(), words, keyNames, catalog};
    CCmdSetAdmin admin(services, tagCMDSETFILES{L"", L""});
    admin.BuildExecutableMap();
    const std::wstring system = NativeKnownFolders().Folder(KnownFolder::System);
    EXPECT_FALSE(admin.FindExecutable(L"NOTEPAD.EXE").empty());
    EXPECT_TRUE(NativeFileSystem().GetInfo(admin.FindExecutable(L"explorer.exe")).exists);
    EXPECT_EQ(admin.FindExecutable(L"cmd.exe"), PathJoin(system, L"cmd.exe"));
}

TEST(CmdSetWinTest, PresetFileShipsBesideTheProgram) {
    // The tests run from the folder of RemoteControl.exe.
    const std::wstring folder = PathFolder(NativeKnownFolders().ExecutablePath());
    CProfileStore profiles(NativeFileSystem());
    const std::wstring preset = PathJoin(folder, L"RemoteControl.ini");
    EXPECT_EQ(profiles.GetString(preset, L"Settings", L"RC Layout Version"), L"4");
    EXPECT_TRUE(profiles.SectionExists(preset, L"Windows (Standard)"));
}

TEST(CmdSetWinTest, LeftoverTemporariesOfAtomicWritesGo) {
    IFileSystem& fs = NativeFileSystem();
    const std::wstring dir = wintest::NewTempDir(L"leftover");
    const std::wstring file = dir + L"\\RemoteControl.usr";
    ASSERT_TRUE(fs.WriteAtomic(file, "[s]\r\n"));
    for (const wchar_t* name :
         {L"RemoteControl.usr.1f4-2.tmp", L"remotecontrol.USR.A0-1B.TMP", L"RemoteControl.usr.tmp",
          L"RemoteControl.usr.x-1.tmp", L"Other.usr.1f4-2.tmp"})
        ASSERT_TRUE(fs.WriteAtomic(dir + L"\\" + name, "left over"));
    fs.SetReadOnly(dir + L"\\RemoteControl.usr.1f4-2.tmp", true);
    EXPECT_EQ(fs.RemoveLeftoverTemporaries(file), 2);
    std::vector<std::wstring> names = fs.List(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Other.usr.1f4-2.tmp", L"RemoteControl.usr",
                                                L"RemoteControl.usr.tmp", L"RemoteControl.usr.x-1.tmp"}));
}

} // namespace
} // namespace lm
