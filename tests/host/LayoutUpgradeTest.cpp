// Bringing command-set files of older layouts to the current one, also when the program is killed in the
// middle of it.
#include "CmdSetFixture.h"
#include "bench/ProfileSample.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cwctype>
#include <random>
#include <thread>

namespace lm {
namespace {

using test::Cmd;

class LayoutUpgradeTest : public test::CmdSetFixture {
protected:
    tagWINCMD Loaded(const std::wstring& file, const std::wstring& section, int key) {
        tagWINCMD c;
        ParseKeyLine(Raw(file, section, std::to_wstring(key)), c);
        return c;
    }
    // Every section and line of a file, as a fresh reader finds them.
    std::vector<std::pair<std::wstring, ProfilePairs>> Content(const std::wstring& file) {
        std::vector<std::pair<std::wstring, ProfilePairs>> out;
        for (const std::wstring& name :
             CProfileStore(NativeFileSystem()).GetSectionNames(file, size_t(1) << 20))
            out.emplace_back(name, Section(file, name));
        return out;
    }
};

TEST_F(LayoutUpgradeTest, OldNumberingIsRenumberedAndConvertedWithOneWrite) {
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
    EXPECT_EQ(spy.writes, 2); // one for each file

    EXPECT_EQ(Read(PresetPath(), L"Settings", L"RC Layout Version"), L"4");
    EXPECT_EQ(Raw(PresetPath(), L"App", L"160"),
              L"3, 13,    0,  0,  0,1000,200,\"Enter_key\",\"MAIN_WINDOW\",\"Menu\"");
    EXPECT_EQ(Loaded(PresetPath(), L"App", 221), Cmd(CMD_KEY, 34, 0, 0, 0, 1000, 200, L"from 221"));
    EXPECT_EQ(Loaded(PresetPath(), L"App", 140), Cmd(CMD_KEY, 2, 0, 0, 0, 1000, 200, L"from 208"));
    EXPECT_EQ(Loaded(PresetPath(), L"App", 200), Cmd(CMD_KEY, 96, 0, 0, 0, 1000, 200, L"zero"));
    // Keys outside the old numbering keep their numbers; lines below 140 are not converted.
    EXPECT_EQ(Loaded(PresetPath(), L"App", 240), Cmd(CMD_KEY, 4, 0, 0, 0, 1000, 200, L"outside"));
    EXPECT_EQ(Raw(PresetPath(), L"App", L"60"), L"3,5,0,0,\"note\",\"\"");
    std::vector<int> keys;
    for (auto& [key, value] : Section(PresetPath(), L"App"))
        if (std::iswdigit(key[0]))
            keys.push_back(std::stoi(key));
    EXPECT_EQ(keys, (std::vector<int>{240, 60, 200, 140, 160, 221}));
    // Reserved sections are no command sets.
    EXPECT_EQ(Raw(PresetPath(), L"Software", L"139"), L"kept");
    // The missing user file was made with the version only.
    EXPECT_EQ(Content(UserPath()), (std::vector<std::pair<std::wstring, ProfilePairs>>{
                                       {L"Settings", {{L"RC Layout Version", L"4"}}}}));
}

TEST_F(LayoutUpgradeTest, EveryPairOfTheRenumbering) {
    const std::vector<std::pair<int, int>> pairs = {
        {128, 200}, {137, 209}, {138, 140}, {139, 160}, {140, 141}, {142, 220}, {143, 241}, {144, 240},
        {145, 223}, {146, 210}, {147, 243}, {148, 242}, {149, 180}, {150, 181}, {151, 182}, {152, 183},
        {153, 186}, {154, 187}, {155, 161}, {156, 264}, {157, 265}, {158, 263}, {159, 260}, {160, 266},
        {161, 267}, {162, 262}, {163, 261}, {205, 143}, {219, 160}, {220, 144}, {231, 185}, {232, 141}};
    for (auto [from, to] : pairs) {
        WritePreset(FormatBounded(
            200, L"[Settings]\nRC Layout Version=1\n[S]\nExecutable=s.exe\n%d=3,1,0,0,\"old%d\",\"\"\n", from,
            from));
        MakeFileAdmin()->UpgradeLayout();
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
    EXPECT_TRUE(MakeFileAdmin()->UpgradeLayout());
    EXPECT_EQ(Raw(UserPath(), L"App", L"139"), L"3,13,0,0,\"stays\",\"\"");
    EXPECT_EQ(Raw(UserPath(), L"App", L"140"),
              L"4,  0,    0,  0,  0,1000,200,\"Close_it\",\"APP_WINDOW\",\"Power\"");
    EXPECT_EQ(Loaded(UserPath(), L"App", 324),
              Cmd(CMD_CONTROL, CTL_COMBOBOX, 1001, 3, 0, 1000, 200, L"Combo"));
    EXPECT_EQ(Read(UserPath(), L"Settings", L"RC Layout Version"), L"4");
}

TEST_F(LayoutUpgradeTest, VersionAloneAndProtectedFiles) {
    // Current files are not touched, not even their attributes.
    WritePreset(L"[Settings]\nRC Layout Version=4\n[App]\nExecutable=a.exe\n140=3,1,0,0,\"x\",\"\"\n");
    WriteUser(L"[Settings]\nRC Layout Version=7\n");
    ASSERT_EQ(::chmod(ToUtf8(UserPath()).c_str(), 0444), 0);
    const std::string before = temp.ReadRaw(L"prog/RemoteControl.ini");
    EXPECT_TRUE(MakeFileAdmin()->UpgradeLayout());
    EXPECT_EQ(spy.writes + spy.attributeChanges, 0);
    EXPECT_EQ(temp.ReadRaw(L"prog/RemoteControl.ini"), before);

    // A read-only file is converted and stays read-only; a negative version only becomes the current one.
    WriteUser(L"[App]\nExecutable=a.exe\n139=3,1,0,0,\"x\",\"\"\n");
    ASSERT_EQ(::chmod(ToUtf8(UserPath()).c_str(), 0444), 0);
    WritePreset(L"[Settings]\nRC Layout Version=-2\n[App]\nExecutable=a.exe\n139=3,1,0,0,\"x\",\"\"\n");
    EXPECT_TRUE(MakeFileAdmin()->UpgradeLayout());
    EXPECT_EQ(spy.attributeChanges, 2);
    EXPECT_TRUE(NativeFileSystem().GetInfo(UserPath()).readOnly);
    EXPECT_EQ(Loaded(UserPath(), L"App", 160), Cmd(CMD_KEY, 1, 0, 0, 0, 1000, 200, L"x"));
    EXPECT_EQ(Read(PresetPath(), L"Settings", L"RC Layout Version"), L"4");
    EXPECT_EQ(Raw(PresetPath(), L"App", L"139"), L"3,1,0,0,\"x\",\"\"");

    // Missing files get the version only.
    std::filesystem::remove(ToUtf8(UserPath()));
    std::filesystem::remove(ToUtf8(PresetPath()));
    auto admin = MakeFileAdmin();
    EXPECT_FALSE(admin->UpgradeLayout());
    for (const std::wstring& file : {PresetPath(), UserPath()})
        EXPECT_EQ(Content(file), (std::vector<std::pair<std::wstring, ProfilePairs>>{
                                     {L"Settings", {{L"RC Layout Version", L"4"}}}}));
    EXPECT_TRUE(admin->UpgradeLayout()); // now current
}

// Upgrades killed at random moments leave the old file or the upgraded one, never a mixture. The next
// start removes the temporary files of the killed writes and finishes the upgrade; an upgraded file it
// leaves as it is. The files are in memory where the system has such a file system: a kill ends a
// process there as anywhere, and a flush to disk would only make the test slow.
TEST_F(LayoutUpgradeTest, KilledUpgradesLeaveTheOldOrTheNewFile) {
    const test::TempFolder folder(std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                                            : ToUtf8(temp.Path()));
    ASSERT_TRUE(folder.Valid());
    const std::wstring preset = folder.Path(L"RemoteControl.ini");
    const std::string layout2 = bench::Layout2Profile(3);
    auto start = [&] {
        CProfileStore store(NativeFileSystem());
        CCmdSetAdmin(tagCMDSETSERVICES{store, registry, folders, strings, keyNames, catalog},
                     tagCMDSETFILES{preset, folder.Path(L"RemoteControl.usr")})
            .UpgradeLayout();
    };
    auto run = [&] {
        folder.WriteBytes(L"RemoteControl.ini", layout2);
        std::filesystem::remove(ToUtf8(folder.Path(L"RemoteControl.usr")));
        const pid_t child = fork();
        if (child == 0) {
            start();
            _exit(0);
        }
        return child;
    };
    folder.WriteBytes(L"RemoteControl.ini", layout2);
    const auto before = Content(preset);
    const auto t0 = std::chrono::steady_clock::now();
    waitpid(run(), nullptr, 0);
    const auto duration = std::chrono::steady_clock::now() - t0;
    const auto after = Content(preset);
    ASSERT_NE(after, before);

    std::mt19937 random(20240611);
    std::uniform_int_distribution<long long> moment(0, std::chrono::nanoseconds(duration).count() * 6 / 5);
    int old = 0, upgraded = 0, mixed = 0;
    for (int i = 0; i < 100; ++i) {
        const pid_t child = run();
        std::this_thread::sleep_for(std::chrono::nanoseconds(moment(random)));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const auto found = Content(preset);
        const std::string bytes = folder.ReadRaw(L"RemoteControl.ini");
        found == before ? ++old : found == after ? ++upgraded : ++mixed;
        start();
        EXPECT_EQ(Content(preset), after);
        if (found == after) {
            EXPECT_EQ(folder.ReadRaw(L"RemoteControl.ini"), bytes);
        }
        for (const std::wstring& name : NativeFileSystem().List(folder.Path()))
            EXPECT_EQ(name.find(L".tmp"), std::wstring::npos) << ToUtf8(name);
    }
    std::printf(
        "killed upgrades: %d old, %d upgraded, %d mixed (one upgrade %lld us)\n", old, upgraded, mixed,
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(duration).count()));
    EXPECT_EQ(mixed, 0);
    EXPECT_GT(old, 0);
    EXPECT_GT(upgraded, 0);
}

} // namespace
} // namespace lm
