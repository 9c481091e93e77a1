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
    // A record in one line: name, executable, path, caption, description, command line, then the preset,
    // modified-preset, HideOsd and SmsInput flags.
    static std::wstring Fields(const tagPRGINFO& r) {
        return FormatBounded(2048, L"%ls|%ls|%ls|%ls|%ls|%ls|%d %d %d %d", r.szName, r.szExecutable,
                             r.szAppPath, r.szWindowCaption, r.szDescription, r.szCommandLine, r.bPreset,
                             r.bModifiedPreset, r.bHideOsd, r.bSmsInput);
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
    // What the user's section lacks: the executable from the preset, the description from the executable.
    ASSERT_EQ(admin->LoadPrgInfo(L"VLC", r, false), 1);
    EXPECT_EQ(Fields(r), L"VLC|vlc.exe|/x/vlc.exe|My VLC|vlc.exe||0 1 0 0");
    ASSERT_EQ(admin->LoadPrgInfo(L"VLC", r, true), 1);
    EXPECT_EQ(Fields(r), L"VLC|vlc.exe||VLC media player|VLC media player||1 0 0 0");
    ASSERT_EQ(admin->LoadPrgInfo(L"Own", r, false), 1);
    EXPECT_EQ(Fields(r), L"Own|own.exe|||own.exe||0 0 0 0");
    EXPECT_EQ(admin->LoadPrgInfo(L"Own", r, true), 0);
    ASSERT_EQ(admin->LoadPrgInfo(L"Kodi", r, false), 1);
    EXPECT_EQ(Fields(r), L"Kodi|kodi.exe|||kodi.exe|-fs|1 0 1 7");
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
    EXPECT_EQ(spy.looks[PresetPath()] * 10 + spy.looks[UserPath()], 11); // one look at each file for all

    // Every set of either file and "---", the preset's "VLC" as the user's "vlc"; the list holds the
    // installed ones, user sets first, with the map's paths.
    auto apps = admin->AppList();
    EXPECT_EQ(apps->map.size(), 5u);
    EXPECT_EQ(apps->map.at(L"---"), MakeNonePrgInfo());
    EXPECT_TRUE(apps->map.count(L"Absent"));
    EXPECT_EQ(Fields(apps->map.at(L"vlc")),
              L"vlc|vlc.exe|" + temp.Path(L"pf/VideoLAN/VLC.EXE") + L"|Mine|vlc.exe||0 1 0 0");
    std::wstring list;
    for (const tagPRGINFO& r : apps->list)
        list += std::wstring(r.szName) + L"=" + r.szAppPath + L";";
    EXPECT_EQ(list, L"Own=" + temp.Path(L"elsewhere/own.exe") + L";vlc=" + temp.Path(L"pf/VideoLAN/VLC.EXE") +
                        L";Kodi=" + temp.Path(L"pf/Kodi/kodi.exe") + L";");

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
    // The places as names (an empty place in brackets), and the places that load.
    auto menu = [&] {
        std::wstring out;
        for (int i = -1; i < 5; ++i) {
            std::wstring name = L"junk";
            out += admin->GetMenuEntryName(i, name) ? name + L" " : L"(" + name + L") ";
        }
        return out;
    };
    EXPECT_EQ(menu(), L"() A () Gone B () ");
    CKeymap keys;
    tagPRGINFO r;
    std::wstring loaded;
    for (int i = 0; i <= 10; ++i)
        loaded += admin->LoadMenuEntry(i, keys, &r) ? r.szName : L"-";
    EXPECT_EQ(loaded, L"A--B-------");
    EXPECT_EQ(admin->LoadMenuEntry(0, keys, nullptr), 0);
    ASSERT_EQ(admin->LoadMenuEntry(0, keys, &r), 1);
    EXPECT_EQ(keys.Find(260)->nType, CMD_NONE);

    // Without a usable user file the menu follows the application list.
    std::filesystem::remove_all(std::filesystem::path(ToUtf8(temp.Path(L"appdata/Lumora"))));
    EXPECT_EQ(menu(), L"() A B () () () ");
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
    EXPECT_EQ(user.GetCount(), defaults.GetCount() + 1); // 283: keys 128 and 999 do not exist
    CKeymap none;                                        // a set that is nowhere is the default keymap
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
    // Folders come after the registry; only one level of the program folders is searched; the 32-bit
    // program folder only on a 64-bit system.
    // clang-format off
    const std::pair<const wchar_t*, const wchar_t*> found[] = {
        {L"Tool.exe", L"pf/Tools/TOOL.EXE"}, {L"QUOTED.exe", L"reg/quoted.exe"}, {L"missing.exe", nullptr},
        {L"notepad.exe", L"sys/notepad.exe"}, {L"readme.txt", nullptr}, {L"explorer.exe", L"win/explorer.exe"},
        {L"ehshell.exe", L"win/ehome/ehshell.exe"}, {L"top.exe", L"pf/top.exe"}, {L"deep.exe", nullptr},
        {L"spot.exe", L"user/Spot/spot.exe"}, {L"roam.exe", L"appdata/Roaming Player/roam.exe"},
        {L"old.exe", nullptr}};
    // clang-format on
    for (auto [name, path] : found)
        EXPECT_EQ(admin->FindExecutable(name), path ? temp.Path(path) : L"") << ToUtf8(name);
    folders.is64Bit = true;
    admin->BuildExecutableMap();
    EXPECT_EQ(admin->FindExecutable(L"old.exe"), temp.Path(L"pf86/Old/old.exe"));
    EXPECT_EQ(admin->ExecutableMap().count(L"tool.exe"), 1u);
}

} // namespace
} // namespace lm
