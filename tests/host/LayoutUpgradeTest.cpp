// Bringing command-set files of older layouts to the current one.
#include "CmdSetFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cwctype>

namespace lm {
namespace {

using test::Cmd;
using test::CmdSetFixture;

// The host file system, counting what changes files.
class SpyFileSystem final : public IFileSystem {
public:
    FileInfo GetInfo(const std::wstring& path) override { return fs.GetInfo(path); }
    bool ReadAll(const std::wstring& path, std::string& bytes) override { return fs.ReadAll(path, bytes); }
    bool WriteAtomic(const std::wstring& path, const std::string& bytes) override {
        ++writes;
        return fs.WriteAtomic(path, bytes);
    }
    bool SetReadOnly(const std::wstring& path, bool readOnly) override {
        ++attributeChanges;
        return fs.SetReadOnly(path, readOnly);
    }
    bool Remove(const std::wstring& path) override {
        ++writes;
        return fs.Remove(path);
    }
    bool Copy(const std::wstring& from, const std::wstring& to) override {
        ++writes;
        return fs.Copy(from, to);
    }
    bool CreateDirectories(const std::wstring& path) override { return fs.CreateDirectories(path); }
    std::vector<std::wstring> List(const std::wstring& folder) override { return fs.List(folder); }

    IFileSystem& fs = NativeFileSystem();
    int writes = 0;
    int attributeChanges = 0;
};

class LayoutUpgradeTest : public CmdSetFixture {
protected:
    std::unique_ptr<CCmdSetAdmin> SpyAdmin() {
        return std::make_unique<CCmdSetAdmin>(
            CmdSetServices{spyProfiles, registry, folders, strings, keyNames, catalog},
            CmdSetFiles{PresetPath(), UserPath()});
    }
    tagWINCMD Loaded(const std::wstring& file, const std::wstring& section, int key) {
        tagWINCMD c;
        ParseKeyLine(Raw(file, section, std::to_wstring(key)), c);
        return c;
    }

    SpyFileSystem spy;
    CProfileStore spyProfiles{spy};
};

TEST_F(LayoutUpgradeTest, OldNumberingIsRenumberedAndConverted) {
    WritePreset(L"[Settings]\nRC Layout Version=2\n"
                L"[Software]\n0=App\n139=kept\n"
                L"[App]\nExecutable=app.exe\n"
                L"139=3,13,0,0,\"Enter_key\",\"Main_window\"\n" // Menu key of old
                L"141=3,33,0,0,\"from_141\",\"\"\n"             // both to 221: 221 wins
                L"221=3,34,0,0,\"from_221\",\"\"\n"
                L"138=3,1,0,0,\"from_138\",\"\"\n" // both to 140: 208 comes later
                L"208=3,2,0,0,\"from_208\",\"\"\n"
                L"128=3,96,0,0,\"zero\",\"\"\n"
                L"170=3,3,0,0,\"dropped\",\"\"\n"
                L"240=3,4,0,0,\"outside\",\"\"\n"
                L" 60=3,5,0,0,\"note\",\"\"\n");
    temp.MakeFolder(L"appdata/Lumora/Remote");
    auto admin = MakeFileAdmin();
    admin->LoadAppList();
    ASSERT_FALSE(catalog.ReloadPending());
    EXPECT_FALSE(admin->UpgradeLayout()); // no user file
    EXPECT_TRUE(catalog.ReloadPending());

    EXPECT_EQ(Read(PresetPath(), L"Settings", L"RC Layout Version"), L"4");
    EXPECT_EQ(Raw(PresetPath(), L"App", L"160"),
              L"3, 13,    0,  0,  0,1000,200,\"Enter_key\",\"MAIN_WINDOW\",\"Menu\"");
    EXPECT_EQ(Loaded(PresetPath(), L"App", 221), Cmd(CMD_KEY, 34, 0, 0, 0, 1000, 200, L"from 221"));
    EXPECT_EQ(Loaded(PresetPath(), L"App", 140), Cmd(CMD_KEY, 2, 0, 0, 0, 1000, 200, L"from 208"));
    EXPECT_EQ(Loaded(PresetPath(), L"App", 200), Cmd(CMD_KEY, 96, 0, 0, 0, 1000, 200, L"zero"));
    // Keys outside the old numbering keep their numbers; lines below 140 are not converted.
    EXPECT_EQ(Loaded(PresetPath(), L"App", 240), Cmd(CMD_KEY, 4, 0, 0, 0, 1000, 200, L"outside"));
    EXPECT_EQ(Raw(PresetPath(), L"App", L"60"), L"3,5,0,0,\"note\",\"\"");
    // Nothing is left under old or parking numbers.
    for (auto& [key, value] : Section(PresetPath(), L"App")) {
        if (!std::iswdigit(key[0]))
            continue;
        const int id = std::stoi(key);
        EXPECT_TRUE(id == 60 || id == 140 || id == 160 || id == 200 || id == 221 || id == 240) << id;
    }
    // Reserved sections are no command sets.
    EXPECT_EQ(Raw(PresetPath(), L"Software", L"139"), L"kept");

    // The user file was created with the version only.
    EXPECT_EQ(Read(UserPath(), L"Settings", L"RC Layout Version"), L"4");
    CProfileStore fresh(NativeFileSystem());
    EXPECT_EQ(fresh.GetSectionNames(UserPath()), std::vector<std::wstring>{L"Settings"});

    // The keymap reads the result.
    CKeymap keys;
    admin->LoadKeymap(L"App", keys, false);
    EXPECT_EQ(*keys.Find(160), Cmd(CMD_KEY, 13, 0, 0, 0, 1000, 200, L"Enter key", L"MAIN WINDOW"));
}

TEST_F(LayoutUpgradeTest, EveryPairOfTheRenumbering) {
    // One old key per line; the display text names the old key.
    const std::vector<std::pair<int, int>> pairs = {
        {128, 200}, {137, 209}, {138, 140}, {139, 160}, {140, 141}, {142, 220}, {143, 241}, {144, 240},
        {145, 223}, {146, 210}, {147, 243}, {148, 242}, {149, 180}, {150, 181}, {151, 182}, {152, 183},
        {153, 186}, {154, 187}, {155, 161}, {156, 264}, {157, 265}, {158, 263}, {159, 260}, {160, 266},
        {161, 267}, {162, 262}, {163, 261}, {205, 143}, {219, 160}, {220, 144}, {231, 185}, {232, 141}};
    for (auto [from, to] : pairs) {
        WritePreset(FormatBounded(
            200, L"[Settings]\nRC Layout Version=1\n[S]\nExecutable=s.exe\n%d=3,1,0,0,\"old%d\",\"\"\n", from,
            from));
        auto admin = MakeFileAdmin();
        admin->UpgradeLayout();
        EXPECT_STREQ(Loaded(PresetPath(), L"S", to).szOsdText, (L"old" + std::to_wstring(from)).c_str())
            << from << " -> " << to;
    }
}

TEST_F(LayoutUpgradeTest, Layout3KeepsNumbers) {
    WriteUser(L"[Settings]\nRC Layout Version=3\n[App]\nExecutable=app.exe\n"
              L"139=3,13,0,0,\"stays\",\"\"\n"
              L"140=4,0,0,0,\"Close_it\",\"App_Window\"\n"
              L"324=5,2,1001,3,\"Combo\",\"\"\n");
    WritePreset(L"[Settings]\nRC Layout Version=4\n");
    auto admin = MakeFileAdmin();
    EXPECT_TRUE(admin->UpgradeLayout());
    EXPECT_EQ(Raw(UserPath(), L"App", L"139"), L"3,13,0,0,\"stays\",\"\"");
    EXPECT_EQ(Raw(UserPath(), L"App", L"140"),
              L"4,  0,    0,  0,  0,1000,200,\"Close_it\",\"APP_WINDOW\",\"Power\"");
    EXPECT_EQ(Loaded(UserPath(), L"App", 324),
              Cmd(CMD_CONTROL, CTL_COMBOBOX, 1001, 3, 0, 1000, 200, L"Combo"));
    EXPECT_EQ(Read(UserPath(), L"Settings", L"RC Layout Version"), L"4");
}

TEST_F(LayoutUpgradeTest, CurrentFilesAreNotTouched) {
    WritePreset(L"[Settings]\nRC Layout Version=4\n[App]\nExecutable=a.exe\n140=3,1,0,0,\"x\",\"\"\n");
    WriteUser(L"[Settings]\nRC Layout Version=7\n");
    ASSERT_EQ(::chmod(ToUtf8(UserPath()).c_str(), 0444), 0);
    const std::string before = temp.ReadRaw(L"prog/RemoteControl.ini");
    auto admin = SpyAdmin();
    EXPECT_TRUE(admin->UpgradeLayout());
    EXPECT_EQ(spy.writes, 0);
    EXPECT_EQ(spy.attributeChanges, 0);
    EXPECT_EQ(temp.ReadRaw(L"prog/RemoteControl.ini"), before);
}

TEST_F(LayoutUpgradeTest, NegativeVersionConvertsNothing) {
    WritePreset(L"[Settings]\nRC Layout Version=-2\n[App]\nExecutable=a.exe\n139=3,1,0,0,\"x\",\"\"\n");
    WriteUser(L"[Settings]\nRC Layout Version=4\n");
    auto admin = MakeFileAdmin();
    EXPECT_TRUE(admin->UpgradeLayout());
    EXPECT_EQ(Read(PresetPath(), L"Settings", L"RC Layout Version"), L"4");
    EXPECT_EQ(Raw(PresetPath(), L"App", L"139"), L"3,1,0,0,\"x\",\"\"");
}

TEST_F(LayoutUpgradeTest, ReadOnlyFilesAreConvertedAndStayReadOnly) {
    WritePreset(L"[Settings]\nRC Layout Version=4\n");
    WriteUser(L"[App]\nExecutable=a.exe\n139=3,1,0,0,\"x\",\"\"\n");
    ASSERT_EQ(::chmod(ToUtf8(UserPath()).c_str(), 0444), 0);
    auto admin = SpyAdmin();
    EXPECT_TRUE(admin->UpgradeLayout());
    EXPECT_EQ(spy.attributeChanges, 2);
    EXPECT_TRUE(NativeFileSystem().GetInfo(UserPath()).readOnly);
    EXPECT_EQ(Read(UserPath(), L"Settings", L"RC Layout Version"), L"4");
    EXPECT_EQ(Loaded(UserPath(), L"App", 160), Cmd(CMD_KEY, 1, 0, 0, 0, 1000, 200, L"x"));
}

TEST_F(LayoutUpgradeTest, MissingFilesGetTheVersionOnly) {
    temp.MakeFolder(L"appdata/Lumora/Remote");
    auto admin = MakeFileAdmin();
    EXPECT_EQ(admin->RenumberKeys(PresetPath()), 0);
    EXPECT_EQ(admin->ConvertKeyLines(PresetPath()), 0);
    EXPECT_FALSE(admin->UpgradeLayout());
    for (const std::wstring& file : {PresetPath(), UserPath()}) {
        CProfileStore fresh(NativeFileSystem());
        EXPECT_EQ(fresh.GetSectionNames(file), std::vector<std::wstring>{L"Settings"});
        EXPECT_EQ(fresh.GetSection(file, L"Settings").size(), 1u);
        EXPECT_EQ(Read(file, L"Settings", L"RC Layout Version"), L"4");
    }
    EXPECT_TRUE(admin->UpgradeLayout()); // now current
}

} // namespace
} // namespace lm
