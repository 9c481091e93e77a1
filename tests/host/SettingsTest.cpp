// The program's settings on the registry fake: first run, the machine's defaults, bad values, the
// autostart entry, and the dispatcher reading while the options page writes.
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
constexpr auto kUser = RegistryHive::CurrentUser;
constexpr auto kMachine = RegistryHive::LocalMachine;

class SettingsTest : public ::testing::Test {
protected:
    struct FirstRun : IFirstRun {
        void AutoFindApps() override { ++calls; }
        int calls = 0;
    };
    test::FakeRegistry fake;
    CLMRegistry registry{fake, kUser, kMain};
    FirstRun firstRun;
    CSettings settings{registry, firstRun, L"C:\\Program Files\\RC.exe"};
};

TEST_F(SettingsTest, MachineDefaultsBadValuesAndASingleRead) {
    fake.SetDword(kMachine, kMain, L"Autostart", 0);
    fake.SetDword(kMachine, kMain, L"Hidden", 1);
    fake.SetDword(kUser, kMain, L"Hidden", 0);
    fake.SetString(kMachine, kMain, L"Exclusive Application", L"Media Player");
    fake.SetDword(kMachine, kOsd, L"OSD Time", 7);        // the display's values have no machine default
    fake.SetString(kUser, kMain, L"Disable sound", L"1"); // unreadable: the machine's value counts
    fake.SetDword(kMachine, kMain, L"Disable sound", 1);
    fake.SetString(kUser, kRc, L"Selection", L"all");
    fake.SetDword(kUser, kRc, L"MIDI device", 5);
    fake.SetDword(kUser, kRc, L"Selected", 2);
    settings.SettingsLoad();
    EXPECT_EQ(firstRun.calls, 1); // the user had no OSD key
    tagSETTINGS expected;
    expected.autostart = 0;
    expected.disableSound = 1;
    expected.exclusiveApplication = L"Media Player";
    EXPECT_EQ(settings.Get(), expected);
    EXPECT_EQ(fake.GetDword(kUser, kMain, L"Autostart"), 0u);
    EXPECT_EQ(fake.GetDword(kUser, kOsd, L"OSD Text Color"), 0xF0CAA6u);
    EXPECT_FALSE(fake.GetDword(kUser, kRc, L"Selected"));
    EXPECT_EQ(fake.GetDword(kUser, kRc, L"IR Server Port"), 8765u);
    // Read once per process.
    fake.SetDword(kUser, kOsd, L"OSD Time", 9);
    settings.SettingsLoad();
    EXPECT_EQ(settings.Get(), expected);

    // Texts must fit their arrays with the terminating zero.
    CSettings again(registry, firstRun, L"RC.exe");
    fake.SetString(kUser, kMain, L"Exclusive Application",
                   std::wstring(CSettings::kExclusiveApplicationChars, 'x'));
    fake.SetString(kUser, kRc, L"MIDI device", std::wstring(CSettings::kMidiDeviceChars - 1, L'm'));
    fake.SetString(kUser, kRc, L"IR Server Host", L"mediapc");
    fake.SetDword(kUser, kRc, L"IR Server Port", 65536); // no port: the network receiver stays off
    again.SettingsLoad();
    EXPECT_EQ(again.Get().irServerHost + L":" + std::to_wstring(again.Get().irServerPort), L"mediapc:0");
    EXPECT_EQ(firstRun.calls, 1);
    EXPECT_EQ(again.Get().exclusiveApplication, L"Media Player");
    EXPECT_EQ(again.Get().midiDevice.size(), CSettings::kMidiDeviceChars - 1);
}

TEST_F(SettingsTest, AutostartEntryAndTheDispatcherReadingWholeBlocks) {
    EXPECT_EQ(settings.SetAutostart(1), 1);
    EXPECT_EQ(fake.GetString(kUser, CSettings::kRunKey, CSettings::kAutostartValue),
              L"\"C:\\Program Files\\RC.exe\"");
    EXPECT_EQ(settings.SetAutostart(0), 1);
    EXPECT_EQ(settings.SetAutostart(0), 0); // nothing left to remove

    // The options page writes while the dispatcher reads; under ThreadSanitizer this also finds access
    // without the lock.
    tagSETTINGS a, b;
    b.disableSound = b.hidden = b.exclusive = 1;
    b.exclusiveApplication = std::wstring(300, L'e'); // cut to its array
    b.osd.on = 0;
    std::atomic<bool> done{false};
    std::thread page([&] {
        for (int i = 0; i < 5000; ++i)
            settings.Set(i % 2 ? a : b);
        done = true;
    });
    while (!done) {
        tagDISPATCHSETTINGS d = settings.ForDispatch();
        uint32_t ones = d.disableSound + d.hidden + d.exclusive + (d.osdOn == 0 ? 1 : 0);
        ASSERT_TRUE(ones == 0 || ones == 4);
        ASSERT_EQ(d.exclusiveApplication.size(), ones == 4 ? CSettings::kExclusiveApplicationChars - 1 : 0u);
    }
    page.join();
}

} // namespace
} // namespace lm
