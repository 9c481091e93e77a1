// The command sets that ship beside the program: every set loads, every binding is a command the
// executors know, every key exists, and every line is in the current form with its key's English name.
#include "CmdSetFixture.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <filesystem>
#include <set>

namespace lm {
namespace {

using test::CmdSetFixture;

class PresetFileTest : public CmdSetFixture {
protected:
    void SetUp() override {
        CmdSetFixture::SetUp();
        std::filesystem::copy_file(std::filesystem::path(LM_SOURCE_DIR) / "res" / "RemoteControl.ini",
                                   std::filesystem::path(ToUtf8(PresetPath())));
    }
};

TEST_F(PresetFileTest, EverySetLoadsWithValidCommands) {
    auto admin = MakeAdmin(); // seeds the main menu, loads the list
    EXPECT_EQ(admin->LayoutVersion(PresetPath()), kCurrentLayoutVersion);
    EXPECT_TRUE(admin->UpgradeLayout());

    const std::vector<std::wstring> sets = admin->CommandSetNames(PresetPath());
    EXPECT_GE(sets.size(), 14u); // the standard set, the TV application and at least 12 applications
    std::set<std::wstring> executables;
    CKeymap defaults;
    BuildDefaultKeymap(defaults, strings);
    for (const std::wstring& name : sets) {
        SCOPED_TRACE(ToUtf8(name));
        tagPRGINFO record;
        ASSERT_EQ(admin->LoadPrgInfo(name, record, true), 1);
        EXPECT_EQ(record.bPreset, 1);
        const std::wstring exe = TextToLower(record.szExecutable);
        EXPECT_GT(exe.size(), 4u);
        EXPECT_EQ(exe.substr(exe.size() - 4), L".exe");
        EXPECT_TRUE(executables.insert(exe).second) << "two sets for one executable";
        EXPECT_NE(std::wstring(record.szDescription), std::wstring(record.szExecutable));

        CKeymap keys;
        admin->LoadKeymap(name, keys, true);
        for (const auto& [key, cmd] : keys) {
            EXPECT_TRUE(keyNames.KeyExists(key)) << key;
            EXPECT_TRUE(IsKnownCommand(cmd)) << key;
            EXPECT_GE(cmd.nRepeatDelay, 0);
            if (cmd.bRepeat) {
                EXPECT_GT(cmd.nRepeatRate, 0) << key; // a repeated command needs a rate
            }
            if (IsNeverRepeatedKey(key)) {
                EXPECT_EQ(cmd.bRepeat, 0) << key;
            }
        }
        // A preset line that only restates the default keymap would be noise.
        size_t lines = 0;
        for (auto& [lineKey, value] : Section(PresetPath(), name)) {
            if (!std::iswdigit(lineKey[0]))
                continue;
            ++lines;
            const int id = std::stoi(lineKey);
            ASSERT_TRUE(IsKeyIdInRange(id)) << id;
            EXPECT_TRUE(keyNames.KeyExists(id)) << id;
            EXPECT_EQ(CheckKeyLine(value), L"") << id;
            tagWINCMD cmd;
            ParseKeyLine(value, cmd);
            // The line is exactly what the program itself would write, English key name included.
            std::wstring canonical = FormatKeyLine(cmd, keyNames.EnglishName(id));
            canonical.erase(0, canonical.find_first_not_of(L' '));
            EXPECT_EQ(value, canonical) << id;
            const tagWINCMD* builtIn = defaults.Find(id);
            EXPECT_FALSE(builtIn && *builtIn == cmd) << id << " repeats the default keymap";
        }
        EXPECT_GT(lines, 0u);
        EXPECT_EQ(admin->IsSameAsPreset(name), 1);
    }

    // The main menu names sets of the file.
    for (int place = 0; place < kMainMenuPlaces; ++place) {
        std::wstring name;
        if (admin->GetMenuEntryName(place, name)) {
            EXPECT_NE(std::find(sets.begin(), sets.end(), name), sets.end()) << ToUtf8(name);
        }
    }
    std::wstring first;
    ASSERT_EQ(admin->GetMenuEntryName(0, first), 1);
    EXPECT_EQ(first, kStandardSetName);
    EXPECT_EQ(admin->AppList()->map.size(), sets.size() + 1);
}

TEST_F(PresetFileTest, InstalledApplicationsAreListed) {
    // VLC lies two levels deep; its installer registers its path.
    temp.Touch(L"pf/VideoLAN/VLC/vlc.exe");
    registry.SetString(RegistryHive::LocalMachine,
                       L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\vlc.exe", L"",
                       temp.Path(L"pf/VideoLAN/VLC/vlc.exe"));
    temp.Touch(L"win/explorer.exe");
    folders.folders[KnownFolder::ProgramFiles] = temp.Path(L"pf");
    folders.folders[KnownFolder::Windows] = temp.Path(L"win");
    auto admin = MakeAdmin();
    auto apps = admin->AppList();
    ASSERT_EQ(apps->list.size(), 2u);
    EXPECT_STREQ(apps->list[0].szName, kStandardSetName);
    EXPECT_STREQ(apps->list[1].szName, L"VLC media player");
}

} // namespace
} // namespace lm
