#include "exec/PowerCommand.h"
#include "exec/Volume.h"
#include "cmdset/WinCmd.h"

#include "fakes/FakeAudio.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeExecServices.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lm {
namespace {

using Values = std::vector<uint32_t>;
using Lines = std::vector<std::wstring>;

TEST(StepVolume, PercentOfTheBoundsKeptInsideThemAndTruncated) {
    EXPECT_EQ(StepVolume(60000, 0, 65535, 10), 65535u);
    EXPECT_EQ(StepVolume(3000, 0, 65535, -10), 0u);
    EXPECT_EQ(StepVolume(1000, 0, 65535, 10), 7553u); // 1000 + 6553.5
    EXPECT_EQ(StepVolume(7553, 0, 65535, -10), 999u); // 7553 - 6553.5 = 999.5
    EXPECT_EQ(StepVolume(150, 100, 200, 25), 175u);
    EXPECT_EQ(StepVolume(120, 100, 200, -50), 100u);
    EXPECT_EQ(StepVolume(0, 0, 0xFFFFFFFFu, 100), 0xFFFFFFFFu);
}

TEST(MixerCommand, VolumeChangesEveryChannelOfTheSpeakersLine) {
    test::FakeAudio audio;
    audio.volume = {60000, 1000};
    EXPECT_EQ(MixerCommand(audio, kMixerVolume, 10), 1);
    EXPECT_EQ(audio.volume, (Values{65535, 7553}));
    EXPECT_EQ(audio.lastFormat, WaveFormat{});
    EXPECT_EQ(audio.lastFormat.samplesPerSec, 48000u);
    EXPECT_EQ(audio.lastComponentType, kMixerLineSpeakers);
    EXPECT_EQ(audio.lastControlType, kMixerControlVolume);
    EXPECT_EQ(audio.calls, (Lines{L"wave", L"open 7", L"get 2", L"set 2", L"close"}));

    audio.volume = {3000, 3000};
    EXPECT_EQ(MixerCommand(audio, kMixerVolume, -10), 1);
    EXPECT_EQ(audio.volume, (Values{0, 0}));

    // A mono line through its single channel.
    audio.channels = 1;
    audio.volume = {1000, 5};
    EXPECT_EQ(MixerCommand(audio, kMixerVolume, 10), 1);
    EXPECT_EQ(audio.volume, (Values{7553, 5}));
    EXPECT_EQ(audio.lastSetChannels, 1u);
}

TEST(MixerCommand, MuteSetsClearsAndTogglesWithTheUniformFallback) {
    test::FakeAudio audio;
    EXPECT_EQ(MixerCommand(audio, kMixerMute, 0), 1);
    EXPECT_EQ(audio.mute, (Values{1, 1}));
    EXPECT_EQ(audio.lastControlType, kMixerControlMute);
    EXPECT_EQ(MixerCommand(audio, kMixerUnmute, 0), 1);
    EXPECT_EQ(audio.mute, (Values{0, 0}));
    EXPECT_EQ(MixerCommand(audio, kMixerToggleMute, 0), 1);
    EXPECT_EQ(audio.mute, (Values{1, 1}));
    EXPECT_EQ(MixerCommand(audio, kMixerToggleMute, 0), 1);
    EXPECT_EQ(audio.mute, (Values{0, 0}));

    // A control that answers only for one channel: read again with one, set one.
    audio.readableChannels = 1;
    audio.calls.clear();
    EXPECT_EQ(MixerCommand(audio, kMixerToggleMute, 0), 1);
    EXPECT_EQ(audio.calls, (Lines{L"wave", L"open 7", L"get 2", L"get 1", L"set 1", L"close"}));
    EXPECT_EQ(audio.mute[0], 1u);
    // Both reads fail: unmute.
    audio.readFails = true;
    EXPECT_EQ(MixerCommand(audio, kMixerToggleMute, 0), 1);
    EXPECT_EQ(audio.mute[0], 0u);
}

TEST(MixerCommand, EveryFailureGivesZeroAndClosesTheMixer) {
    auto failing = [](auto setUp, int action) {
        test::FakeAudio audio;
        setUp(audio);
        int result = MixerCommand(audio, action, 10);
        EXPECT_EQ(audio.mixersOpen, 0);
        return result;
    };
    EXPECT_EQ(failing([](test::FakeAudio& a) { a.waveOpenFails = true; }, kMixerVolume), 0);
    EXPECT_EQ(failing([](test::FakeAudio& a) { a.mixerOpenFails = true; }, kMixerVolume), 0);
    EXPECT_EQ(failing([](test::FakeAudio& a) { a.lineFails = true; }, kMixerMute), 0);
    EXPECT_EQ(failing([](test::FakeAudio& a) { a.controlFails = true; }, kMixerVolume), 0);
    EXPECT_EQ(failing([](test::FakeAudio& a) { a.readFails = true; }, kMixerVolume), 0);
    EXPECT_EQ(failing([](test::FakeAudio& a) { a.setFails = true; }, kMixerVolume), 0);
    EXPECT_EQ(failing([](test::FakeAudio& a) { a.setFails = true; }, kMixerMute), 0);
    EXPECT_EQ(failing([](test::FakeAudio&) {}, 4), 0);
    // A failed volume read sets nothing.
    test::FakeAudio audio;
    audio.readFails = true;
    MixerCommand(audio, kMixerVolume, 10);
    EXPECT_EQ(audio.volume, (Values{30000, 30000}));
}

TEST(MixerCommand, EndpointVolumeUsesTheSameStepsOverItsLevel) {
    test::FakeAudio audio;
    audio.hasEndpoints = true;
    audio.level = 1000.0f / 65535.0f;
    EXPECT_EQ(MixerCommand(audio, kMixerVolume, 10), 1);
    EXPECT_EQ(std::lround(audio.level * 65535.0), 7553);
    audio.level = 60000.0f / 65535.0f;
    MixerCommand(audio, kMixerVolume, 10);
    EXPECT_EQ(audio.level, 1.0f);
    audio.level = 3000.0f / 65535.0f;
    MixerCommand(audio, kMixerVolume, -10);
    EXPECT_EQ(audio.level, 0.0f);
    EXPECT_TRUE(audio.calls.empty()); // the wave mixer is not touched

    EXPECT_EQ(MixerCommand(audio, kMixerMute, 0), 1);
    EXPECT_TRUE(audio.endpointMute);
    EXPECT_EQ(MixerCommand(audio, kMixerToggleMute, 0), 1);
    EXPECT_FALSE(audio.endpointMute);
    EXPECT_EQ(MixerCommand(audio, kMixerToggleMute, 0), 1);
    EXPECT_TRUE(audio.endpointMute);
    EXPECT_EQ(MixerCommand(audio, kMixerUnmute, 0), 1);
    EXPECT_FALSE(audio.endpointMute);

    audio.endpointFails = true;
    EXPECT_EQ(MixerCommand(audio, kMixerVolume, 10), 0);
    EXPECT_EQ(MixerCommand(audio, kMixerToggleMute, 0), 0);
    audio.endpointMissing = true;
    EXPECT_EQ(MixerCommand(audio, kMixerMute, 0), 0);
    EXPECT_TRUE(audio.calls.empty());
}

class PowerCommandTest : public ::testing::Test {
protected:
    bool Run(int32_t action) {
        PowerServices services{desktop, power, warning, strings};
        return PowerCommand(services, action);
    }
    test::FakeDesktop desktop;
    test::FakePower power;
    test::FakeShutdownWarning warning;
    test::FakeStrings strings;
};

TEST_F(PowerCommandTest, ScreenSaverStartsAtOnceWithoutWarning) {
    EXPECT_TRUE(Run(POWER_SCREENSAVER));
    EXPECT_TRUE(warning.runs.empty());
    EXPECT_EQ(desktop.Posted(),
              (std::vector<test::FakeDesktop::Message>{
                  {test::FakeDesktop::kDesktop, kWmSysCommand, kScScreenSave, kScScreenSave, true}}));
    EXPECT_TRUE(power.log.empty());
}

TEST_F(PowerCommandTest, ActionsFollowTheWarningAndThePrivilege) {
    EXPECT_TRUE(Run(POWER_STANDBY));
    EXPECT_TRUE(Run(POWER_HIBERNATE));
    EXPECT_TRUE(Run(POWER_SHUTDOWN));
    EXPECT_EQ(warning.runs, (std::vector<int32_t>{15, 15, 15}));
    EXPECT_EQ(power.log, (Lines{L"privilege", L"power suspend", L"privilege", L"power hibernate",
                                L"privilege", L"exit 8 0"}));

    // Cancel, or a warning that could not be shown: nothing.
    power.log.clear();
    warning.answer = kDialogCancel;
    EXPECT_TRUE(Run(POWER_SHUTDOWN));
    warning.answer = -1;
    EXPECT_TRUE(Run(POWER_SHUTDOWN));
    EXPECT_TRUE(power.log.empty());

    // Unknown actions still warn, then nothing happens.
    warning.answer = kDialogOk;
    warning.runs.clear();
    EXPECT_TRUE(Run(4));
    EXPECT_TRUE(Run(-1));
    EXPECT_EQ(warning.runs.size(), 2u);
    EXPECT_EQ(power.log, (Lines{L"privilege", L"privilege"}));

    // The older family has no privileges.
    power.log.clear();
    desktop.family = PlatformFamily::Windows9x;
    EXPECT_TRUE(Run(POWER_SHUTDOWN));
    EXPECT_EQ(power.log, (Lines{L"exit 8 0"}));
    EXPECT_TRUE(desktop.log.empty());
}

TEST_F(PowerCommandTest, FailuresAreShownInAWarningBox) {
    power.privilegeGranted = false;
    EXPECT_FALSE(Run(POWER_SHUTDOWN));
    EXPECT_EQ(power.log, (Lines{L"privilege"}));
    EXPECT_EQ(desktop.log,
              (Lines{L"WarningBox Warning|ERROR: Shutdown failed.\nUse Ctrl+Alt+Del to restart."}));

    power.privilegeGranted = true;
    power.powerSucceeds = false;
    strings.texts[kIdsShutdownFailed] = L"Ausschalten fehlgeschlagen";
    strings.texts[kIdsWarningCaption] = L"Warnung";
    desktop.log.clear();
    EXPECT_FALSE(Run(POWER_STANDBY));
    EXPECT_EQ(desktop.log, (Lines{L"WarningBox Warnung|Ausschalten fehlgeschlagen"}));
}

TEST(ShutdownCountdown, FifteenTicksEndIt) {
    CShutdownCountdown countdown(kShutdownSeconds);
    for (int32_t second = 1; second < 15; ++second) {
        EXPECT_FALSE(countdown.Tick());
        EXPECT_EQ(countdown.Position(), second);
    }
    EXPECT_TRUE(countdown.Tick());
    EXPECT_EQ(countdown.Position(), 14);
}

} // namespace
} // namespace lm
