// The command-set administration on real files in a temporary folder: where the files are, application
// records, the application list, the main menu, loading and saving keymaps, and the executable map.
#include "CmdSetFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cwctype>

namespace lm {
namespace {

using test::Cmd;

constexpr const wchar_t* kVlcPreset = L"[VLC]\n"
                                      L"Executable=vlc.exe\n"
                                      L"Description=VLC media player\n"
                                      L"WindowCaption=VLC media player\n"
                                      L"260=  3, 32,    0,  0,  0,1000,200,\"Play/Pause\",\"\",\"Play\"\n"
                                      L"241=  3, 38,    2,  0,  1, 500,100,\"Louder\",\"\",\"Volume +\"\n";

class AdminTest : public test::CmdSetFixture {
protected:
    tagPRGINFO Record(const std::wstring& name) {
        tagPRGINFO r;
        CopyBounded(r.szName, kPrgTextChars, name);
        CopyBounded(r.szExecutable, kPrgTextChars, TextToLower(name) + L".exe");
        return r;
    }
    size_t KeyLines(const std::wstring& section) {
        size_t n = 0;
        for (auto& [key, value] : Section(UserPath(), section))
            n += std::iswdigit(key[0]) ? 1 : 0;
        return n;
    }
};

TEST_F(AdminTest, ProgramFilesAndTheUsersMenu) {
    WritePreset(L"[Software]\n0=Windows (Standard)\n1=\"VLC\"\n");
    temp.Write(L"prog/RemoteControl.usr", L"[Mine]\nExecutable=mine.exe\n");
    ASSERT_EQ(::chmod(ToUtf8(temp.Path(L"prog/RemoteControl.usr")).c_str(), 0444), 0);
    auto admin = MakeAdmin();
    EXPECT_EQ(admin->PresetFile(), PresetPath());
    EXPECT_EQ(admin->UserFile(), UserPath());
    // The old user file beside the program was copied into the user's folder, writable there, and got
    // the preset's main menu as it stands.
    EXPECT_FALSE(NativeFileSystem().GetInfo(UserPath()).readOnly);
    EXPECT_EQ(Read(UserPath(), L"Mine", L"Executable"), L"mine.exe");
    EXPECT_EQ(Raw(UserPath(), L"Software", L"1"), L"\"VLC\"");

    // A user file in place is neither replaced by the old one nor given the preset's menu.
    WriteUser(L"[Software]\n0=Kodi\n");
    MakeAdmin();
    EXPECT_EQ(Read(UserPath(), L"Software", L"0"), L"Kodi");
    EXPECT_EQ(Read(UserPath(), L"Software", L"1"), L"<none>");
    EXPECT_EQ(Read(UserPath(), L"Mine", L"Executable"), L"<none>");

    // A user file the seeding creates declares the current layout.
    std::filesystem::remove(ToUtf8(UserPath()));
    std::filesystem::remove(ToUtf8(temp.Path(L"prog/RemoteControl.usr")));
    MakeAdmin();
    EXPECT_EQ(Read(UserPath(), L"Settings", L"RC Layout Version"), L"4");
    EXPECT_EQ(Read(UserPath(), L"Software", L"0"), L"Windows (Standard)");
}

TEST_F(AdminTest, ApplicationRecords) {
    WritePreset(std::wstring(kVlcPreset) +
                L"[Kodi]\nExecutable=kodi.exe\nHideOsd=1\nSmsInput=7x\nCommand-line=-fs\n"
                L"[Software]\n0=VLC\nExecutable=software.exe\n"
                L"[Settings]\nExecutable=settings.exe\n"
                L"[Key names]\nExecutable=keys.exe\n"
                L"[Broken]\nDescription=no executable\n");
    WriteUser(L"[VLC]\nWindowCaption=My VLC\nAppPath=/x/vlc.exe\n[Own]\nExecutable=own.exe\n");
    auto admin = MakeFileAdmin();

    tagPRGINFO r;
    ASSERT_EQ(admin->LoadPrgInfo(L"VLC", r, false), 1);
    EXPECT_STREQ(r.szName, L"VLC");
    EXPECT_STREQ(r.szExecutable, L"vlc.exe"); // the user's section has none: the preset's
    EXPECT_STREQ(r.szWindowCaption, L"My VLC");
    EXPECT_STREQ(r.szAppPath, L"/x/vlc.exe");
    EXPECT_STREQ(r.szDescription, L"vlc.exe"); // the user file has none: the executable
    EXPECT_EQ(r.bPreset * 10 + r.bModifiedPreset, 1);
    ASSERT_EQ(admin->LoadPrgInfo(L"VLC", r, true), 1);
    EXPECT_STREQ(r.szWindowCaption, L"VLC media player");
    EXPECT_STREQ(r.szDescription, L"VLC media player");
    EXPECT_EQ(r.bPreset * 10 + r.bModifiedPreset, 10);
    ASSERT_EQ(admin->LoadPrgInfo(L"Own", r, false), 1);
    EXPECT_EQ(r.bPreset * 10 + r.bModifiedPreset, 0);
    EXPECT_EQ(admin->LoadPrgInfo(L"Own", r, true), 0);
    ASSERT_EQ(admin->LoadPrgInfo(L"Kodi", r, false), 1);
    EXPECT_EQ(r.bHideOsd, 1);
    EXPECT_EQ(r.bSmsInput, 7);
    EXPECT_STREQ(r.szCommandLine, L"-fs");
    for (const wchar_t* none : {L"Software", L"Settings", L"Key names", L"SOFTWARE", L"Broken", L"Missing"})
        EXPECT_EQ(admin->LoadPrgInfo(none, r, false), 0) << none;
}

TEST_F(AdminTest, ApplicationList) {
    temp.Touch(L"pf/VideoLAN/VLC.EXE");
    temp.Touch(L"pf/Kodi/kodi.exe");
    temp.Touch(L"elsewhere/own.exe");
    folders.folders[KnownFolder::ProgramFiles] = temp.Path(L"pf");
    WritePreset(std::wstring(kVlcPreset) + L"[Kodi]\nExecutable=kodi.exe\nAppPath=/nowhere/kodi.exe\n" +
                L"[Absent]\nExecutable=absent.exe\n[Software]\n0=VLC\n[NoExe]\nDescription=x\n");
    WriteUser(L"[Own]\nExecutable=own.exe\nAppPath=" + temp.Path(L"elsewhere/own.exe") +
              L"\n[vlc]\nWindowCaption=Mine\n");
    auto admin = MakeFileAdmin();
    admin->BuildExecutableMap();
    spy.looks.clear();
    ASSERT_EQ(admin->LoadAppList(), 1);
    // One look at each file for the whole list.
    EXPECT_EQ(spy.looks[PresetPath()], 1);
    EXPECT_EQ(spy.looks[UserPath()], 1);

    auto apps = admin->AppList();
    // Every set of either file and "---"; the preset's "VLC" is the user's "vlc" (one section).
    EXPECT_EQ(apps->map.size(), 5u);
    EXPECT_EQ(apps->map.at(L"---"), MakeNonePrgInfo());
    EXPECT_FALSE(apps->map.count(L"VLC"));
    EXPECT_EQ(apps->map.at(L"vlc").bModifiedPreset, 1);
    EXPECT_STREQ(apps->map.at(L"vlc").szWindowCaption, L"Mine");
    EXPECT_TRUE(apps->map.count(L"Absent"));
    // Only installed applications, user sets first; the map's path replaces the file's.
    ASSERT_EQ(apps->list.size(), 3u);
    EXPECT_STREQ(apps->list[0].szName, L"Own");
    EXPECT_EQ(std::wstring(apps->list[1].szAppPath), temp.Path(L"pf/VideoLAN/VLC.EXE"));
    EXPECT_EQ(std::wstring(apps->list[2].szAppPath), temp.Path(L"pf/Kodi/kodi.exe"));

    // Nothing is read again until the list is marked; hundreds of sets are all taken.
    std::wstring many;
    for (int i = 0; i < 400; ++i)
        many +=
            FormatBounded(200, L"[A rather long command set name number %03d]\nExecutable=app%d.exe\n", i, i);
    WritePreset(many);
    admin->LoadAppList();
    EXPECT_TRUE(admin->AppList()->map.count(L"Kodi"));
    admin->Catalog().MarkForReload();
    admin->LoadAppList();
    EXPECT_FALSE(admin->AppList()->map.count(L"Kodi"));
    EXPECT_EQ(admin->AppList()->map.size(), 402u); // and "---" and "Own" ("vlc" lost its executable)
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
    std::filesystem::remove_all(std::filesystem::path(ToUtf8(temp.Path(L"appdata/Lumora"))));
    EXPECT_EQ(admin->GetMenuEntryName(1, name), 1);
    EXPECT_EQ(name, L"B");
    EXPECT_EQ(admin->GetMenuEntryName(2, name), 0);
}

TEST_F(AdminTest, DeleteBringsThePresetBack) {
    WritePreset(kVlcPreset);
    WriteUser(L"[VLC]\nExecutable=vlc.exe\nWindowCaption=Changed\n[Own]\nExecutable=own.exe\n");
    auto admin = MakeFileAdmin();
    admin->LoadAppList();
    EXPECT_EQ(admin->DeleteCommandSet(L"Own"), 1);
    EXPECT_FALSE(admin->AppList()->map.count(L"Own")); // at once, before any reload
    EXPECT_EQ(Read(UserPath(), L"Own", L"Executable"), L"<none>");
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
    WriteUser(L"[VLC]\nExecutable=vlc.exe\n"
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
    spy.looks.clear();
    admin->LoadKeymap(L"VLC", user, false);
    EXPECT_EQ(spy.looks[UserPath()], 1);
    EXPECT_EQ(*user.Find(241), Cmd(CMD_SYSTEM, SYS_VOLUME, 20, 0, 1, 1000, 100, L"Much louder"));
    EXPECT_EQ(*user.Find(260), *preset.Find(260)); // the preset's where the user has nothing
    EXPECT_EQ(*user.Find(283), Cmd(CMD_WINDOW, WIN_CLOSE, 0, 0, 0, 1000, 200, L"Close", L"VLC"));
    EXPECT_FALSE(user.Contains(128)); // no such key
    EXPECT_FALSE(user.Contains(999));
    EXPECT_EQ(user.GetCount(), defaults.GetCount() + 1);
    CKeymap none; // a set that is nowhere is the default keymap
    admin->LoadKeymap(L"Nowhere", none, false);
    EXPECT_EQ(none, defaults);
}

TEST_F(AdminTest, SaveKeepsOnlyDifferencesWithOneWrite) {
    WritePreset(kVlcPreset);
    auto admin = MakeFileAdmin();
    tagPRGINFO record;
    ASSERT_EQ(admin->LoadPrgInfo(L"VLC", record, false), 1);

    // Saving the preset unchanged leaves the application keys only.
    CKeymap keys, again;
    admin->LoadKeymap(L"VLC", keys, false);
    ASSERT_EQ(admin->SaveKeymap(keys, &record), 1);
    EXPECT_EQ(Section(UserPath(), L"VLC").size(), 7u);
    EXPECT_EQ(KeyLines(L"VLC"), 0u);
    EXPECT_EQ(Read(UserPath(), L"VLC", L"HideOsd"), L"0");
    admin->LoadKeymap(L"VLC", again, false);
    EXPECT_EQ(again, keys);
    EXPECT_EQ(admin->IsSameAsPreset(L"VLC"), 1);

    // One change: one line, in one write. Back to the preset's value: the line goes again.
    keys.SetAt(260, Cmd(CMD_KEY, 'P', MOD_KEY_CTRL, 0, 0, 1000, 200, L"Play it", L"vlc window"));
    const int writes = spy.writes;
    admin->SaveKeymap(keys, &record);
    EXPECT_EQ(spy.writes, writes + 1);
    EXPECT_EQ(Raw(UserPath(), L"VLC", L"260"),
              L"3, 80,    2,  0,  0,1000,200,\"Play_it\",\"vlc_window\",\"Play\"");
    EXPECT_EQ(admin->IsSameAsPreset(L"VLC"), 0);
    admin->LoadKeymap(L"VLC", again, false);
    EXPECT_STREQ(again.Find(260)->szWndCaption, L"VLC WINDOW");
    CKeymap presetKeys;
    admin->LoadKeymap(L"VLC", presetKeys, true);
    again.SetAt(260, *presetKeys.Find(260));
    admin->SaveKeymap(again, &record);
    EXPECT_EQ(KeyLines(L"VLC"), 0u);

    // A key the preset leaves to the defaults is compared with the default keymap.
    CKeymap defaults;
    BuildDefaultKeymap(defaults, strings);
    keys.SetAt(200, Cmd(CMD_NONE, 0, 0, 0, 0, 1000, 200));
    admin->SaveKeymap(keys, &record);
    EXPECT_NE(Raw(UserPath(), L"VLC", L"200"), L"<none>");
    keys.SetAt(200, *defaults.Find(200));
    keys.SetAt(260, *presetKeys.Find(260));
    admin->SaveKeymap(keys, &record);
    EXPECT_EQ(KeyLines(L"VLC"), 0u);

    // Removing a key from the keymap deletes only the user's line: the preset's binding returns.
    keys.SetAt(241, Cmd(CMD_KEY, 'U', 0, 0, 0, 1000, 200));
    admin->SaveKeymap(keys, &record);
    ASSERT_EQ(KeyLines(L"VLC"), 1u);
    keys.RemoveKey(241);
    admin->SaveKeymap(keys, &record);
    EXPECT_EQ(KeyLines(L"VLC"), 0u);
    admin->LoadKeymap(L"VLC", again, false);
    EXPECT_STREQ(again.Find(241)->szOsdText, L"Louder");

    // The display flag of a record is never stored and does not make a difference.
    admin->LoadKeymap(L"VLC", keys, false);
    tagWINCMD hidden = *keys.Find(260);
    hidden.bHideOsd = 1;
    keys.SetAt(260, hidden);
    admin->SaveKeymap(keys, &record);
    EXPECT_EQ(KeyLines(L"VLC"), 0u);
    EXPECT_TRUE(admin->Catalog().ReloadPending());
    EXPECT_EQ(admin->SaveKeymap(keys, nullptr), 0);
}

TEST_F(AdminTest, PowerAndMenuNeverRepeat) {
    auto admin = MakeFileAdmin();
    tagPRGINFO record = Record(L"Mine");
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
    // A user-only set holds only what differs from the default keymap.
    EXPECT_EQ(Raw(UserPath(), L"Mine", L"160"), L"<none>");
    EXPECT_EQ(KeyLines(L"Mine"), 2u);
    CKeymap back;
    admin->LoadKeymap(L"Mine", back, false);
    EXPECT_EQ(back.Find(140)->bRepeat, 0);
    EXPECT_EQ(back.Find(160)->bRepeat, 0);
}

// The reader removes one pair of matching quotes and the blanks at the ends; the writer protects them.
TEST_F(AdminTest, ApplicationTextsComeBackAsTheyWereSaved) {
    auto admin = MakeFileAdmin();
    tagPRGINFO record = Record(L"Player");
    const std::vector<std::wstring> texts = {L"\"C:\\My Videos\\holiday.avi\"",
                                             L"  blank edged\t",
                                             L"'single'",
                                             L"\"one end",
                                             L"a \"b\" c",
                                             L"'mixed\"",
                                             L"\"\""};
    for (const std::wstring& text : texts) {
        for (wchar_t* field : {record.szCommandLine, record.szDescription, record.szWindowCaption,
                               record.szAppPath, record.szExecutable})
            CopyBounded(field, kPrgTextChars, text);
        CKeymap keys;
        ASSERT_EQ(admin->SaveKeymap(keys, &record), 1);
        tagPRGINFO back;
        ASSERT_EQ(admin->LoadPrgInfo(L"Player", back, false), 1);
        EXPECT_EQ(back, record) << ToUtf8(text);
    }
}

TEST_F(AdminTest, SavingReportsWhetherTheSetWasWritten) {
    WritePreset(L"[Settings]\nRC Layout Version=4\n[App]\nExecutable=app.exe\n");
    auto admin = MakeAdmin();
    tagPRGINFO record;
    ASSERT_EQ(admin->LoadPrgInfo(L"App", record, false), 1);
    CKeymap keys;
    admin->LoadKeymap(L"App", keys, false);
    keys.SetAt(221, Cmd(CMD_KEY, 'X', 0, 0, 0, 1000, 200, L"Mine"));

    // The user file went away while the program ran: the save makes it again with the current layout,
    // so the next start does not take the user's keys for old numbers.
    std::filesystem::remove(ToUtf8(UserPath()));
    ASSERT_EQ(admin->SaveKeymap(keys, &record), 1);
    EXPECT_EQ(Read(UserPath(), L"Settings", L"RC Layout Version"), L"4");
    auto next = MakeAdmin();
    next->UpgradeLayout();
    CKeymap after;
    next->LoadKeymap(L"App", after, false);
    EXPECT_STREQ(after.Find(221)->szOsdText, L"Mine");

    // A read-only user file, or a text with a line break, is not written, and the save says so.
    ASSERT_EQ(::chmod(ToUtf8(UserPath()).c_str(), 0444), 0);
    EXPECT_EQ(admin->SaveKeymap(keys, &record), 0);
    ASSERT_EQ(::chmod(ToUtf8(UserPath()).c_str(), 0644), 0);
    CopyBounded(record.szDescription, kPrgTextChars, L"two\nlines");
    keys.SetAt(260, Cmd(CMD_KEY, 'Y', 0, 0, 0, 1000, 200));
    EXPECT_EQ(admin->SaveKeymap(keys, &record), 0);
    EXPECT_EQ(Raw(UserPath(), L"App", L"260"), L"<none>");
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
    for (const wchar_t* f :
         {L"reg/Tool.exe", L"reg/quoted.exe", L"sys/notepad.exe", L"sys/readme.txt", L"win/explorer.exe",
          L"win/ehome/ehshell.exe", L"pf/Tools/TOOL.EXE", L"pf/Tools/Deeper/deep.exe", L"pf/top.exe",
          L"pf86/Old/old.exe", L"user/Spot/spot.exe", L"appdata/Roaming Player/roam.exe"})
        temp.Touch(f);
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
