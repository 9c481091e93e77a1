// The program's settings on the registry fake: defaults and the first run, the machine's defaults,
// bad values, the autostart entry, and the dispatcher reading while the options page writes.
#include "app/Settings.h"

#include "fakes/FakeRegistry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace lm {
namespace {

const wchar_t kMain[] = L"Software\\Lumora\\Remote Control";
const wchar_t kOsd[] = L"Software\\Lumora\\Remote Control\\OSD";
const wchar_t kRc[] = L"Software\\Lumora\\Remote Control\\RC";
const wchar_t kProgram[] = L"C:\\Program Files\\Lumora\\RemoteControl.exe";
constexpr auto kUser = RegistryHive::CurrentUser;
constexpr auto kMachine = RegistryHive::LocalMachine;

class SettingsTest : public ::testing::Test {
protected:
    struct FirstRun : IFirstRun {
        void AutoFindApps() override { ++calls; }
        int calls = 0;
    };
    std::optional<uint32_t> Number(RegistryHive hive, const wchar_t* key, const wchar_t* name) {
        return fake.GetDword(hive, key, name);
    }
    std::optional<std::wstring> Text(RegistryHive hive, const wchar_t* key, const wchar_t* name) {
        return fake.GetString(hive, key, name);
    }
    test::FakeRegistry fake;
    CLMRegistry registry{fake, kUser, kMain};
    FirstRun firstRun;
    CSettings settings{registry, firstRun, kProgram};
};

TEST_F(SettingsTest, AFirstRunGetsTheDefaultsAndWritesEveryValue) {
    EXPECT_TRUE(settings.LoadPending());
    settings.SettingsLoad();
    EXPECT_EQ(firstRun.calls, 1);
    EXPECT_EQ(settings.Get(), tagSETTINGS{});
    EXPECT_FALSE(settings.LoadPending());

    const struct {
        const wchar_t* key;
        const wchar_t* name;
        uint32_t value;
    } numbers[] = {
        {kMain, L"RC Layout Version", 4},
        {kMain, L"Autostart", 1},
        {kMain, L"Disable sound", 0},
        {kMain, L"Hidden", 0},
        {kMain, L"Exclusive", 0},
        {kOsd, L"OSD On", 1},
        {kOsd, L"OSD Time", 2},
        {kOsd, L"OSD Text Color", 0xF0CAA6},
        {kOsd, L"OSD Background Color", 0xA56E3A},
        {kOsd, L"OSD Gradient Color", 0},
        {kOsd, L"OSD Use Gradient", 1},
        {kRc, L"Selection", 0xFFFFFFFE},
        {kRc, L"Vistar: Disable Key 0", 0},
    };
    for (const auto& n : numbers)
        EXPECT_EQ(Number(kUser, n.key, n.name), n.value) << n.name;
    EXPECT_EQ(Text(kUser, kMain, L"Exclusive Application"), L"");
    EXPECT_EQ(Text(kUser, kRc, L"MIDI device"), L"");
    EXPECT_EQ(Text(kUser, CSettings::kRunKey, L"Remote Control Editor"),
              L"\"C:\\Program Files\\Lumora\\RemoteControl.exe\"");

    // The registry is read once per process.
    fake.SetDword(kUser, kOsd, L"OSD Time", 9);
    fake.SetString(kUser, kMain, L"Exclusive Application", L"TV");
    settings.SettingsLoad();
    EXPECT_EQ(settings.Get(), tagSETTINGS{});
    EXPECT_EQ(firstRun.calls, 1);
}

TEST_F(SettingsTest, TheMachineFillsWhatTheUserLacksForFiveValues) {
    fake.SetDword(kMachine, kMain, L"Autostart", 0);
    fake.SetDword(kMachine, kMain, L"Hidden", 1);
    fake.SetDword(kMachine, kMain, L"Exclusive", 1);
    fake.SetString(kMachine, kMain, L"Exclusive Application", L"Media Player");
    fake.SetDword(kMachine, kOsd, L"OSD Time", 7); // no fallback for these
    fake.SetDword(kMachine, kRc, L"Selection", 3);
    fake.SetDword(kUser, kMain, L"Hidden", 0);
    fake.SetDword(kUser, kOsd, L"OSD Time", 5);
    fake.SetDword(kUser, kRc, L"Selected", 2);
    fake.SetString(kUser, kRc, L"MIDI device", L"USB Keyboard");
    for (RegistryHive hive : {kUser, kMachine}) {
        fake.SetString(hive, CSettings::kRunKey, L"Lumora Remote Control", L"old.exe");
        fake.SetString(hive, CSettings::kRunKey, L"Remote Control Editor", L"old.exe");
    }

    settings.SettingsLoad();
    EXPECT_EQ(firstRun.calls, 0);
    tagSETTINGS s = settings.Get();
    EXPECT_EQ(s.autostart, 0u);
    EXPECT_EQ(s.hidden, 0u);
    EXPECT_EQ(s.exclusive, 1u);
    EXPECT_EQ(s.exclusiveApplication, L"Media Player");
    EXPECT_EQ(s.osd.time, 5u);
    EXPECT_EQ(s.selection, 0xFFFFFFFEu);
    EXPECT_EQ(s.midiDevice, L"USB Keyboard");

    // The save writes the machine's values for the user, and no autostart entry is left anywhere.
    EXPECT_EQ(Number(kUser, kMain, L"Autostart"), 0u);
    EXPECT_EQ(Text(kUser, kMain, L"Exclusive Application"), L"Media Player");
    EXPECT_FALSE(Number(kUser, kRc, L"Selected"));
    for (RegistryHive hive : {kUser, kMachine}) {
        EXPECT_FALSE(Text(hive, CSettings::kRunKey, L"Lumora Remote Control"));
        EXPECT_FALSE(Text(hive, CSettings::kRunKey, L"Remote Control Editor"));
    }
    // With nothing left to remove, switching autostart off reports failure; on sets the one entry.
    EXPECT_EQ(settings.SetAutostart(0), 0);
    EXPECT_EQ(settings.SetAutostart(1), 1);
    EXPECT_EQ(Text(kUser, CSettings::kRunKey, L"Remote Control Editor"),
              std::wstring(L"\"") + kProgram + L"\"");
    EXPECT_EQ(settings.SetAutostart(0), 1);
    EXPECT_FALSE(Text(kUser, CSettings::kRunKey, L"Remote Control Editor"));
}

TEST_F(SettingsTest, ValuesOfTheWrongKindOrTooLongLeaveTheDefaults) {
    fake.SetString(kUser, kOsd, L"OSD Time", L"5");
    fake.SetString(kUser, kOsd, L"OSD Text Color", L"0xFFFFFF");
    fake.SetString(kUser, kMain, L"Autostart", L"0");
    fake.SetString(kMachine, kMain, L"Autostart", L"0");
    // An unreadable user value falls back to the machine's.
    fake.SetString(kUser, kMain, L"Disable sound", L"1");
    fake.SetDword(kMachine, kMain, L"Disable sound", 1);
    fake.SetDword(kUser, kMain, L"Exclusive Application", 7);
    fake.SetString(kUser, kRc, L"MIDI device", std::wstring(CSettings::kMidiDeviceChars, L'm'));
    fake.SetString(kUser, kRc, L"Selection", L"all");

    settings.SettingsLoad();
    tagSETTINGS expected;
    expected.disableSound = 1;
    EXPECT_EQ(settings.Get(), expected);

    // The longest texts that fit their arrays are read whole.
    CSettings again(registry, firstRun, kProgram);
    fake.SetString(kUser, kRc, L"MIDI device", std::wstring(CSettings::kMidiDeviceChars - 1, L'm'));
    fake.SetString(kUser, kMain, L"Exclusive Application",
                   std::wstring(CSettings::kExclusiveApplicationChars, L'x'));
    again.SettingsLoad();
    EXPECT_EQ(again.Get().midiDevice.size(), CSettings::kMidiDeviceChars - 1);
    EXPECT_EQ(again.Get().exclusiveApplication, L"");
}

// The key dispatcher reads its five values while the options page changes the block: every read
// is one whole block. Run under ThreadSanitizer this also finds unguarded access.
TEST_F(SettingsTest, TheDispatcherReadsWholeBlocksWhileTheOptionsPageWrites) {
    tagSETTINGS a, b;
    b.disableSound = b.hidden = b.exclusive = 1;
    b.exclusiveApplication = std::wstring(300, L'e'); // cut to the array
    b.osd.on = 0;
    settings.Set(b);
    EXPECT_EQ(settings.Get().exclusiveApplication.size(), CSettings::kExclusiveApplicationChars - 1);

    std::atomic<bool> done{false};
    std::thread page([&] {
        for (int i = 0; i < 5000; ++i)
            settings.Set(i % 2 ? a : b);
        done = true;
    });
    while (!done) {
        tagDISPATCHSETTINGS d = settings.ForDispatch();
        bool isA = d.disableSound == 0 && d.hidden == 0 && d.exclusive == 0 &&
                   d.exclusiveApplication.empty() && d.osdOn == 1;
        bool isB = d.disableSound == 1 && d.hidden == 1 && d.exclusive == 1 &&
                   d.exclusiveApplication.size() == CSettings::kExclusiveApplicationChars - 1 && d.osdOn == 0;
        ASSERT_TRUE(isA || isB);
    }
    page.join();
}

} // namespace
} // namespace lm
