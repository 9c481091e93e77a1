// The command-set administration on real files in a temporary folder: where the files are, application
// records, the application list, the main menu, loading and saving keymaps, and the executable map.
#include "CmdSetFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cwctype>

namespace lm {
namespace {

using test::Cmd;
using test::CmdSetFixture;
using test::Line;

constexpr const wchar_t* kVlcPreset = L"[VLC]\n"
                                      L"Executable=vlc.exe\n"
                                      L"Description=VLC media player\n"
                                      L"WindowCaption=VLC media player\n"
                                      L"260=  3, 32,    0,  0,  0,1000,200,\"Play/Pause\",\"\",\"Play\"\n"
                                      L"241=  3, 38,    2,  0,  1, 500,100,\"Louder\",\"\",\"Volume +\"\n";

class AdminTest : public CmdSetFixture {};

TEST_F(AdminTest, ProgramFilesAndOldUserFile) {
    WritePreset(L"[Software]\n0=Windows (Standard)\n1=VLC\n");
    temp.Write(L"prog/RemoteControl.usr", L"[Mine]\nExecutable=mine.exe\n");
    ASSERT_EQ(::chmod(ToUtf8(temp.Path(L"prog/RemoteControl.usr")).c_str(), 0444), 0);

    auto admin = MakeAdmin();
    EXPECT_EQ(admin->PresetFile(), PresetPath());
    EXPECT_EQ(admin->UserFile(), UserPath());
    // The old file was copied into the user's folder and is writable there.
    FileInfo info = NativeFileSystem().GetInfo(UserPath());
    ASSERT_TRUE(info.exists);
    EXPECT_FALSE(info.readOnly);
    EXPECT_EQ(Read(UserPath(), L"Mine", L"Executable"), L"mine.exe");
    // The main menu came from the preset.
    EXPECT_EQ(Read(UserPath(), L"Software", L"1"), L"VLC");

    // A user file already in place is not replaced by the old one.
    temp.Write(L"prog/RemoteControl.usr", L"[Other]\nExecutable=other.exe\n");
    auto again = MakeAdmin();
    EXPECT_EQ(Read(UserPath(), L"Mine", L"Executable"), L"mine.exe");
    EXPECT_FALSE(Has(UserPath(), L"Other", L"Executable"));
}

TEST_F(AdminTest, SeedingKeepsTheUsersMenu) {
    WritePreset(L"[Software]\n0=Windows (Standard)\n1=VLC\n");
    WriteUser(L"[Software]\n0=Kodi\n");
    auto admin = MakeAdmin();
    EXPECT_EQ(Read(UserPath(), L"Software", L"0"), L"Kodi");
    EXPECT_FALSE(Has(UserPath(), L"Software", L"1"));
}

TEST_F(AdminTest, ApplicationRecords) {
    WritePreset(std::wstring(kVlcPreset) +
                L"[Kodi]\nExecutable=kodi.exe\nHideOsd=1\nSmsInput=7x\nCommand-line=-fs\n"
                L"[Software]\n0=VLC\nExecutable=software.exe\n"
                L"[Settings]\nExecutable=settings.exe\n"
                L"[Key names]\nExecutable=keys.exe\n"
                L"[Broken]\nDescription=no executable\n");
    WriteUser(
        L"[VLC]\nWindowCaption=My VLC\nAppPath=/x/vlc.exe\n[Own]\nExecutable=own.exe\nDescription=Own\n");
    auto admin = MakeFileAdmin();

    tagPRGINFO r;
    ASSERT_EQ(admin->LoadPrgInfo(L"VLC", r, false), 1);
    EXPECT_STREQ(r.szName, L"VLC");
    EXPECT_STREQ(r.szExecutable, L"vlc.exe"); // the user's section has none: the preset's
    EXPECT_STREQ(r.szWindowCaption, L"My VLC");
    EXPECT_STREQ(r.szAppPath, L"/x/vlc.exe");
    EXPECT_STREQ(r.szDescription, L"vlc.exe"); // from the user file, which has none
    EXPECT_EQ(r.bPreset, 0);
    EXPECT_EQ(r.bModifiedPreset, 1);

    ASSERT_EQ(admin->LoadPrgInfo(L"VLC", r, true), 1);
    EXPECT_STREQ(r.szWindowCaption, L"VLC media player");
    EXPECT_STREQ(r.szDescription, L"VLC media player");
    EXPECT_EQ(r.bPreset, 1);
    EXPECT_EQ(r.bModifiedPreset, 0);

    ASSERT_EQ(admin->LoadPrgInfo(L"Own", r, false), 1);
    EXPECT_EQ(r.bPreset, 0);
    EXPECT_EQ(r.bModifiedPreset, 0);
    EXPECT_EQ(admin->LoadPrgInfo(L"Own", r, true), 0);

    ASSERT_EQ(admin->LoadPrgInfo(L"Kodi", r, false), 1);
    EXPECT_EQ(r.bHideOsd, 1);
    EXPECT_EQ(r.bSmsInput, 7);
    EXPECT_STREQ(r.szCommandLine, L"-fs");

    for (const wchar_t* reserved : {L"Software", L"Settings", L"Key names", L"SOFTWARE"})
        EXPECT_EQ(admin->LoadPrgInfo(reserved, r, false), 0) << reserved;
    EXPECT_EQ(admin->LoadPrgInfo(L"Broken", r, false), 0);
    EXPECT_EQ(admin->LoadPrgInfo(L"Missing", r, false), 0);
}

TEST_F(AdminTest, ApplicationList) {
    temp.Touch(L"pf/VideoLAN/VLC.EXE");
    temp.Touch(L"elsewhere/own.exe");
    folders.folders[KnownFolder::ProgramFiles] = temp.Path(L"pf");
    temp.Touch(L"pf/Kodi/kodi.exe");
    WritePreset(std::wstring(kVlcPreset) + L"[Kodi]\nExecutable=kodi.exe\nAppPath=/nowhere/kodi.exe\n" +
                L"[Absent]\nExecutable=absent.exe\n[Software]\n0=VLC\n[NoExe]\nDescription=x\n");
    WriteUser(L"[Own]\nExecutable=own.exe\nAppPath=" + temp.Path(L"elsewhere/own.exe") +
              L"\n[vlc]\nWindowCaption=Mine\n");
    auto admin = MakeFileAdmin();
    admin->BuildExecutableMap();
    ASSERT_EQ(admin->LoadAppList(), 1);

    auto apps = admin->AppList();
    // Every set of either file and "---"; the preset's "VLC" is the user's "vlc" (one section).
    EXPECT_EQ(apps->map.size(), 5u);
    ASSERT_TRUE(apps->map.count(L"---"));
    EXPECT_EQ(apps->map.at(L"---"), MakeNonePrgInfo());
    ASSERT_TRUE(apps->map.count(L"vlc"));
    EXPECT_FALSE(apps->map.count(L"VLC"));
    EXPECT_EQ(apps->map.at(L"vlc").bModifiedPreset, 1);
    EXPECT_STREQ(apps->map.at(L"vlc").szWindowCaption, L"Mine");
    EXPECT_TRUE(apps->map.count(L"Absent"));
    EXPECT_FALSE(apps->map.count(L"NoExe"));
    EXPECT_FALSE(apps->map.count(L"Software"));

    // Only installed applications, user sets first; the map's path replaces the file's.
    ASSERT_EQ(apps->list.size(), 3u);
    EXPECT_STREQ(apps->list[0].szName, L"Own");
    EXPECT_STREQ(apps->list[1].szName, L"vlc");
    EXPECT_EQ(std::wstring(apps->list[1].szAppPath), temp.Path(L"pf/VideoLAN/VLC.EXE"));
    EXPECT_STREQ(apps->list[2].szName, L"Kodi");
    EXPECT_EQ(std::wstring(apps->list[2].szAppPath), temp.Path(L"pf/Kodi/kodi.exe"));

    // Nothing is read again until the list is marked.
    WriteUser(L"[New]\nExecutable=own.exe\n");
    admin->LoadAppList();
    EXPECT_FALSE(admin->AppList()->map.count(L"New"));
    admin->Catalog().MarkForReload();
    admin->LoadAppList();
    EXPECT_TRUE(admin->AppList()->map.count(L"New"));
    EXPECT_FALSE(admin->AppList()->map.count(L"Own"));
}

TEST_F(AdminTest, ManySetsAreAllListed) {
    std::wstring preset;
    for (int i = 0; i < 400; ++i)
        preset +=
            FormatBounded(200, L"[A rather long command set name number %03d]\nExecutable=app%d.exe\n", i, i);
    WritePreset(preset);
    auto admin = MakeFileAdmin();
    admin->LoadAppList();
    EXPECT_EQ(admin->AppList()->map.size(), 401u);
}

TEST_F(AdminTest, MainMenu) {
    temp.Touch(L"pf/A/a.exe");
    temp.Touch(L"pf/B/b.exe");
    folders.folders[KnownFolder::ProgramFiles] = temp.Path(L"pf");
    WritePreset(L"[A]\nExecutable=a.exe\n260=0,0,0,0,0,1000,200,\"Off\",\"\",\"Play\"\n"
                L"[B]\nExecutable=b.exe\n[Software]\n0=A\n1=---\n2=Gone\n3=B\n");
    auto admin = MakeAdmin();

    std::wstring name = L"junk";
    EXPECT_EQ(admin->GetMenuEntryName(0, name), 1);
    EXPECT_EQ(name, L"A");
    EXPECT_EQ(admin->GetMenuEntryName(1, name), 0);
    EXPECT_EQ(name, L"");
    EXPECT_EQ(admin->GetMenuEntryName(4, name), 0);
    EXPECT_EQ(admin->GetMenuEntryName(-1, name), 0);

    CKeymap keys;
    tagPRGINFO r;
    ASSERT_EQ(admin->LoadMenuEntry(0, keys, &r), 1);
    EXPECT_STREQ(r.szName, L"A");
    EXPECT_EQ(keys.Find(260)->nType, CMD_NONE);
    EXPECT_EQ(admin->LoadMenuEntry(0, keys, nullptr), 0);
    EXPECT_EQ(admin->LoadMenuEntry(1, keys, &r), 0);  // "---"
    EXPECT_EQ(admin->LoadMenuEntry(2, keys, &r), 0);  // no such set
    EXPECT_EQ(admin->LoadMenuEntry(10, keys, &r), 0); // beyond the menu
    ASSERT_EQ(admin->LoadMenuEntry(3, keys, &r), 1);
    EXPECT_STREQ(r.szName, L"B");

    // Without a usable user file the menu follows the application list.
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(ToUtf8(temp.Path(L"appdata/Lumora"))), ec);
    EXPECT_EQ(admin->GetMenuEntryName(1, name), 1);
    EXPECT_EQ(name, L"B");
    EXPECT_EQ(admin->GetMenuEntryName(2, name), 0);
}

TEST_F(AdminTest, DeleteBringsThePresetBack) {
    WritePreset(kVlcPreset);
    WriteUser(L"[VLC]\nExecutable=vlc.exe\nWindowCaption=Changed\n[Own]\nExecutable=own.exe\n");
    auto admin = MakeFileAdmin();
    admin->LoadAppList();
    ASSERT_TRUE(admin->AppList()->map.count(L"Own"));

    EXPECT_EQ(admin->DeleteCommandSet(L"Own"), 1);
    EXPECT_FALSE(admin->AppList()->map.count(L"Own")); // at once, before any reload
    EXPECT_FALSE(Has(UserPath(), L"Own", L"Executable"));
    EXPECT_TRUE(admin->Catalog().ReloadPending());

    admin->DeleteCommandSet(L"VLC");
    admin->LoadAppList();
    tagPRGINFO r;
    ASSERT_TRUE(admin->Catalog().Lookup(L"VLC", r));
    EXPECT_EQ(r.bPreset, 1);
    EXPECT_STREQ(r.szWindowCaption, L"VLC media player");

    EXPECT_EQ(admin->DeleteCommandSet(L"Software"), 0);
}

TEST_F(AdminTest, LoadKeymapLayersDefaultsPresetAndUser) {
    WritePreset(kVlcPreset);
    WriteUser(L"[VLC]\n"
              L"Executable=vlc.exe\n"
              L"241=2,1,20,0,1,1000,100,\"Much_louder\",\"\",\"Volume +\"\n"
              L"999=3,1,0,0,0,1000,200,\"x\",\"\",\"none\"\n"
              L"128=3,1,0,0,0,1000,200,\"x\",\"\",\"none\"\n"
              L"283=4,0,0,0,0,1000,200,\"Close\",\"vlc\",\"Blue\"\n");
    auto admin = MakeFileAdmin();
    CKeymap defaults;
    BuildDefaultKeymap(defaults, strings);

    CKeymap preset;
    ASSERT_EQ(admin->LoadKeymap(L"VLC", preset, true), 1);
    EXPECT_EQ(*preset.Find(260), Cmd(CMD_KEY, 32, 0, 0, 0, 1000, 200, L"Play/Pause"));
    EXPECT_EQ(*preset.Find(241), Cmd(CMD_KEY, 38, 2, 0, 1, 500, 100, L"Louder"));
    EXPECT_EQ(*preset.Find(200), *defaults.Find(200));
    EXPECT_EQ(preset.GetCount(), defaults.GetCount());

    CKeymap user;
    admin->LoadKeymap(L"VLC", user, false);
    EXPECT_EQ(*user.Find(241), Cmd(CMD_SYSTEM, SYS_VOLUME, 20, 0, 1, 1000, 100, L"Much louder"));
    EXPECT_EQ(*user.Find(260), *preset.Find(260)); // the preset's where the user has nothing
    EXPECT_EQ(*user.Find(283), Cmd(CMD_WINDOW, WIN_CLOSE, 0, 0, 0, 1000, 200, L"Close", L"VLC"));
    EXPECT_FALSE(user.Contains(128)); // no such key
    EXPECT_FALSE(user.Contains(999));
    EXPECT_EQ(user.GetCount(), defaults.GetCount() + 1);

    // A set that is nowhere is the default keymap.
    CKeymap none;
    admin->LoadKeymap(L"Nowhere", none, false);
    EXPECT_EQ(none, defaults);
}

TEST_F(AdminTest, SaveKeepsOnlyDifferences) {
    WritePreset(kVlcPreset);
    auto admin = MakeFileAdmin();
    tagPRGINFO record;
    ASSERT_EQ(admin->LoadPrgInfo(L"VLC", record, false), 1);

    // Saving the preset unchanged leaves the application keys only.
    CKeymap keys;
    admin->LoadKeymap(L"VLC", keys, false);
    ASSERT_EQ(admin->SaveKeymap(keys, &record), 1);
    auto section = Section(UserPath(), L"VLC");
    ASSERT_EQ(section.size(), 7u);
    for (auto& [key, value] : section)
        EXPECT_FALSE(std::iswdigit(TextToLower(key)[0])) << key;
    EXPECT_EQ(Read(UserPath(), L"VLC", L"HideOsd"), L"0");
    CKeymap again;
    admin->LoadKeymap(L"VLC", again, false);
    EXPECT_EQ(again, keys);
    EXPECT_EQ(admin->IsSameAsPreset(L"VLC"), 1);

    // One change: one line. Back to the preset's value: the line goes again.
    keys.SetAt(260, Cmd(CMD_KEY, 'P', MOD_KEY_CTRL, 0, 0, 1000, 200, L"Play it", L"vlc window"));
    admin->SaveKeymap(keys, &record);
    EXPECT_EQ(Raw(UserPath(), L"VLC", L"260"),
              L"3, 80,    2,  0,  0,1000,200,\"Play_it\",\"vlc_window\",\"Play\"");
    EXPECT_EQ(admin->IsSameAsPreset(L"VLC"), 0);
    admin->LoadKeymap(L"VLC", again, false);
    EXPECT_STREQ(again.Find(260)->szWndCaption, L"VLC WINDOW");
    CKeymap presetKeys;
    admin->LoadKeymap(L"VLC", presetKeys, true);
    again.SetAt(260, *presetKeys.Find(260));
    admin->SaveKeymap(again, &record);
    EXPECT_FALSE(Has(UserPath(), L"VLC", L"260"));
    EXPECT_EQ(admin->IsSameAsPreset(L"VLC"), 1);

    // A key the preset leaves to the defaults: compared with the default keymap.
    CKeymap defaults;
    BuildDefaultKeymap(defaults, strings);
    admin->LoadKeymap(L"VLC", keys, false);
    keys.SetAt(200, Cmd(CMD_NONE, 0, 0, 0, 0, 1000, 200));
    admin->SaveKeymap(keys, &record);
    EXPECT_TRUE(Has(UserPath(), L"VLC", L"200"));
    keys.SetAt(200, *defaults.Find(200));
    admin->SaveKeymap(keys, &record);
    EXPECT_FALSE(Has(UserPath(), L"VLC", L"200"));

    // Removing a key from the keymap deletes only the user's line: the preset's binding returns.
    keys.SetAt(241, Cmd(CMD_KEY, 'U', 0, 0, 0, 1000, 200));
    admin->SaveKeymap(keys, &record);
    ASSERT_TRUE(Has(UserPath(), L"VLC", L"241"));
    keys.RemoveKey(241);
    admin->SaveKeymap(keys, &record);
    EXPECT_FALSE(Has(UserPath(), L"VLC", L"241"));
    admin->LoadKeymap(L"VLC", again, false);
    EXPECT_STREQ(again.Find(241)->szOsdText, L"Louder");

    // The display flag of a record is never stored and does not make a difference.
    admin->LoadKeymap(L"VLC", keys, false);
    tagWINCMD hidden = *keys.Find(260);
    hidden.bHideOsd = 1;
    keys.SetAt(260, hidden);
    admin->SaveKeymap(keys, &record);
    EXPECT_FALSE(Has(UserPath(), L"VLC", L"260"));
    EXPECT_TRUE(admin->Catalog().ReloadPending());
    EXPECT_EQ(admin->SaveKeymap(keys, nullptr), 0);
}

TEST_F(AdminTest, PowerAndMenuNeverRepeat) {
    auto admin = MakeFileAdmin();
    tagPRGINFO record;
    CopyBounded(record.szName, kPrgTextChars, L"Mine");
    CopyBounded(record.szExecutable, kPrgTextChars, L"mine.exe");
    CKeymap keys;
    admin->LoadKeymap(L"Mine", keys, false);
    keys.SetAt(140, Cmd(CMD_SYSTEM, SYS_POWER, POWER_STANDBY, 0, 1, 1000, 200, L"Sleep"));
    tagWINCMD menu = *keys.Find(160);
    menu.bRepeat = 1; // otherwise the default: saved as the default, so nothing is written
    keys.SetAt(160, menu);
    tagWINCMD up = *keys.Find(180);
    up.nRepeatRate = 50;
    keys.SetAt(180, up);
    admin->SaveKeymap(keys, &record);
    EXPECT_EQ(Raw(UserPath(), L"Mine", L"140"), L"2,  0,    1,  0,  0,1000,200,\"Sleep\",\"\",\"Power\"");
    EXPECT_FALSE(Has(UserPath(), L"Mine", L"160"));
    EXPECT_TRUE(Has(UserPath(), L"Mine", L"180"));
    // A user-only set holds only what differs from the default keymap.
    size_t keyLines = 0;
    for (auto& [key, value] : Section(UserPath(), L"Mine"))
        keyLines += std::iswdigit(key[0]) ? 1 : 0;
    EXPECT_EQ(keyLines, 2u);
    CKeymap back;
    admin->LoadKeymap(L"Mine", back, false);
    EXPECT_EQ(back.Find(140)->bRepeat, 0);
    EXPECT_EQ(back.Find(160)->bRepeat, 0);
}

TEST_F(AdminTest, SameAsPresetComparesApplicationDataToo) {
    WritePreset(kVlcPreset);
    auto admin = MakeFileAdmin();
    EXPECT_EQ(admin->IsSameAsPreset(L"VLC"), 1); // no user section at all
    EXPECT_EQ(admin->IsSameAsPreset(L"Other"), 0);
    WriteUser(L"[VLC]\nExecutable=vlc.exe\nDescription=VLC media player\nWindowCaption=VLC media player\n"
              L"260=3,32,0,0,0,1000,200,\"Play/Pause\",\"\",\"another name\"\n");
    EXPECT_EQ(admin->IsSameAsPreset(L"VLC"), 1);
    WriteUser(L"[VLC]\nExecutable=vlc.exe\nDescription=Changed\nWindowCaption=VLC media player\n");
    EXPECT_EQ(admin->IsSameAsPreset(L"VLC"), 0);
}

TEST_F(AdminTest, ExecutableMapOrderAndPlaces) {
    const std::wstring appPaths = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    temp.Touch(L"reg/Tool.exe");
    temp.Touch(L"reg/quoted.exe");
    temp.Touch(L"sys/notepad.exe");
    temp.Touch(L"sys/readme.txt");
    temp.Touch(L"win/explorer.exe");
    temp.Touch(L"win/ehome/ehshell.exe");
    temp.Touch(L"pf/Tools/TOOL.EXE");
    temp.Touch(L"pf/Tools/Deeper/deep.exe");
    temp.Touch(L"pf/top.exe");
    temp.Touch(L"pf86/Old/old.exe");
    temp.Touch(L"user/Spot/spot.exe");
    temp.Touch(L"appdata/Roaming Player/roam.exe");
    registry.SetString(RegistryHive::LocalMachine, appPaths + L"\\tool.exe", L"", temp.Path(L"reg/Tool.exe"));
    registry.SetString(RegistryHive::LocalMachine, appPaths + L"\\Missing.exe", L"",
                       temp.Path(L"reg/none.exe"));
    registry.SetString(RegistryHive::LocalMachine, appPaths + L"\\quoted.exe", L"",
                       L"\"%BASE%/reg/quoted.exe\"");
    folders.environment[L"BASE"] = temp.Path();
    folders.folders[KnownFolder::System] = temp.Path(L"sys");
    folders.folders[KnownFolder::Windows] = temp.Path(L"win");
    folders.folders[KnownFolder::ProgramFiles] = temp.Path(L"pf");
    folders.folders[KnownFolder::ProgramFilesX86] = temp.Path(L"pf86");
    folders.folders[KnownFolder::UserPrograms] = temp.Path(L"user");

    auto admin = MakeFileAdmin();
    admin->BuildExecutableMap();
    EXPECT_EQ(admin->FindExecutable(L"Tool.exe"), temp.Path(L"pf/Tools/TOOL.EXE")); // folders come later
    EXPECT_EQ(admin->FindExecutable(L"QUOTED.exe"), temp.Path(L"reg/quoted.exe"));
    EXPECT_EQ(admin->FindExecutable(L"missing.exe"), L"");
    EXPECT_EQ(admin->FindExecutable(L"notepad.exe"), temp.Path(L"sys/notepad.exe"));
    EXPECT_EQ(admin->FindExecutable(L"readme.txt"), L"");
    EXPECT_EQ(admin->FindExecutable(L"explorer.exe"), temp.Path(L"win/explorer.exe"));
    EXPECT_EQ(admin->FindExecutable(L"ehshell.exe"), temp.Path(L"win/ehome/ehshell.exe"));
    EXPECT_EQ(admin->FindExecutable(L"top.exe"), temp.Path(L"pf/top.exe"));
    EXPECT_EQ(admin->FindExecutable(L"deep.exe"), L""); // one level only
    EXPECT_EQ(admin->FindExecutable(L"spot.exe"), temp.Path(L"user/Spot/spot.exe"));
    EXPECT_EQ(admin->FindExecutable(L"roam.exe"), temp.Path(L"appdata/Roaming Player/roam.exe"));
    // The 32-bit program folder only on a 64-bit system.
    EXPECT_EQ(admin->FindExecutable(L"old.exe"), L"");
    folders.is64Bit = true;
    admin->BuildExecutableMap();
    EXPECT_EQ(admin->FindExecutable(L"old.exe"), temp.Path(L"pf86/Old/old.exe"));
    EXPECT_EQ(admin->ExecutableMap().count(L"tool.exe"), 1u);
}

} // namespace
} // namespace lm
