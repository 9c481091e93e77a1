#include "ExecFixture.h"

#include "exec/Volume.h"

#include <cmath>

namespace lm {
namespace {

using Values = std::vector<uint32_t>;
using test::FakeAudio;

TEST(StepVolume, PercentOfTheBoundsKeptInsideThemAndTruncated) {
    EXPECT_EQ(StepVolume(7553, 0, 65535, -10), 999u); // 7553 - 6553.5 = 999.5
    EXPECT_EQ(StepVolume(150, 100, 200, 25), 175u);
    EXPECT_EQ(StepVolume(120, 100, 200, -50), 100u);
    EXPECT_EQ(StepVolume(0, 0, 0xFFFFFFFFu, 100), 0xFFFFFFFFu);
}

TEST(MixerCommand, VolumeChangesEveryChannelOfTheSpeakersLine) {
    FakeAudio audio;
    audio.volume = {60000, 1000};
    EXPECT_EQ(MixerCommand(audio, kMixerVolume, 10), 1);
    EXPECT_EQ(audio.volume, (Values{65535, 7553})); // 1000 + 6553.5, truncated
    audio.volume = {3000, 3000};
    EXPECT_EQ(MixerCommand(audio, kMixerVolume, -10), 1);
    EXPECT_EQ(audio.volume, (Values{0, 0}));
    // A mono line through its single channel.
    audio.channels = 1;
    audio.volume = {1000, 5};
    EXPECT_EQ(MixerCommand(audio, kMixerVolume, 10), 1);
    EXPECT_EQ(audio.volume, (Values{7553, 5}));
    EXPECT_EQ(audio.mixersOpen, 0);
}

TEST(MixerCommand, MuteSetsClearsAndTogglesWithTheUniformFallback) {
    FakeAudio audio;
    for (int32_t action : {kMixerMute, kMixerUnmute, kMixerToggleMute, kMixerToggleMute, kMixerToggleMute}) {
        const Values before = audio.mute;
        EXPECT_EQ(MixerCommand(audio, action, 0), 1);
        const uint32_t want = action == kMixerToggleMute ? !before[0] : action == kMixerMute;
        EXPECT_EQ(audio.mute, (Values{want, want})) << action;
    }
    // A control that answers only for one channel: read again with one, set one.
    audio.readableChannels = 1;
    audio.mute = {1, 1};
    EXPECT_EQ(MixerCommand(audio, kMixerToggleMute, 0), 1);
    EXPECT_EQ(audio.mute, (Values{0, 1}));
    // Both reads fail: unmute.
    audio.fails = FakeAudio::kRead;
    audio.mute = {1, 1};
    EXPECT_EQ(MixerCommand(audio, kMixerToggleMute, 0), 1);
    EXPECT_EQ(audio.mute, (Values{0, 1}));
}

TEST(MixerCommand, EveryFailureGivesZeroChangesNothingAndClosesTheMixer) {
    for (FakeAudio::Step step : {FakeAudio::kWave, FakeAudio::kOpen, FakeAudio::kLine, FakeAudio::kControl,
                                 FakeAudio::kRead, FakeAudio::kSet}) {
        for (int32_t action : {kMixerVolume, kMixerMute}) {
            FakeAudio audio;
            audio.fails = step;
            EXPECT_EQ(MixerCommand(audio, action, 10), step == FakeAudio::kRead && action == kMixerMute)
                << step;
            EXPECT_EQ(audio.volume, (Values{30000, 30000}));
            EXPECT_EQ(audio.mixersOpen, 0);
        }
    }
    FakeAudio audio;
    EXPECT_EQ(MixerCommand(audio, 4, 10), 0);
    EXPECT_EQ(MixerCommand(audio, -1, 10), 0);
}

TEST(MixerCommand, EndpointVolumeUsesTheSameStepsOverItsLevel) {
    FakeAudio audio;
    audio.hasEndpoints = true;
    audio.level = 1000.0f / 65535.0f;
    EXPECT_EQ(MixerCommand(audio, kMixerVolume, 10), 1);
    EXPECT_EQ(std::lround(audio.level * 65535.0), 7553);
    audio.level = 3000.0f / 65535.0f;
    MixerCommand(audio, kMixerVolume, -10);
    EXPECT_EQ(audio.level, 0.0f);
    for (int32_t action : {kMixerMute, kMixerToggleMute, kMixerToggleMute, kMixerUnmute}) {
        const bool before = audio.endpointMute;
        EXPECT_EQ(MixerCommand(audio, action, 0), 1);
        EXPECT_EQ(audio.endpointMute, action == kMixerToggleMute ? !before : action == kMixerMute);
    }
    EXPECT_EQ(audio.volume, (Values{30000, 30000})); // the wave mixer is not touched

    audio.endpointFails = true;
    EXPECT_EQ(MixerCommand(audio, kMixerVolume, 10), 0);
    EXPECT_EQ(MixerCommand(audio, kMixerToggleMute, 0), 0);
    audio.endpointMissing = true;
    EXPECT_EQ(MixerCommand(audio, kMixerMute, 0), 0);
}

class PowerCommandTest : public test::ExecFixture {
protected:
    bool Run(int32_t action) {
        tagPOWERSERVICES services{windows, processes, shell, power, warning, strings};
        return PowerCommand(services, action);
    }
};

TEST_F(PowerCommandTest, ScreenSaverAtOnceOtherActionsAfterTheWarning) {
    EXPECT_TRUE(Run(POWER_SCREENSAVER));
    EXPECT_TRUE(warning.shown.empty());
    EXPECT_EQ(windows[test::FakeWindows::kDesktop].posted,
              (std::vector<test::FakeWindows::Message>{{kWmSysCommand, kScScreenSave, kScScreenSave}}));

    for (auto [action, state] : {std::pair{POWER_STANDBY, L"standby"},
                                 {POWER_HIBERNATE, L"hibernated"},
                                 {POWER_SHUTDOWN, L"exit 8 0"}}) {
        EXPECT_TRUE(Run(action));
        EXPECT_EQ(power.state, state);
    }
    EXPECT_EQ(warning.shown, (std::vector<int32_t>{15, 15, 15}));

    // Cancel, or a warning that could not be shown: nothing. Unknown actions still warn, then nothing.
    power.state = L"on";
    for (auto [answer, action] :
         {std::pair{int32_t(kDialogCancel), 3}, {-1, 3}, {kDialogOk, 4}, {kDialogOk, -1}}) {
        warning.answer = answer;
        EXPECT_TRUE(Run(action));
    }
    EXPECT_EQ(warning.shown.size(), 7u);
    EXPECT_EQ(power.state, L"on");
    EXPECT_TRUE(shell.shown.empty());

    // The older family has no privileges to ask for.
    processes.family = PlatformFamily::Windows9x;
    power.needsPrivilege = power.grantsPrivilege = false;
    EXPECT_TRUE(Run(POWER_SHUTDOWN));
    EXPECT_EQ(power.state, L"exit 8 0");
}

TEST_F(PowerCommandTest, FailuresAreShownInAWarningBox) {
    power.grantsPrivilege = false;
    EXPECT_FALSE(Run(POWER_SHUTDOWN));
    EXPECT_EQ(power.state, L"on");
    EXPECT_EQ(shell.shown,
              (std::vector<std::wstring>{L"Warning|ERROR: Shutdown failed.\nUse Ctrl+Alt+Del to restart."}));

    power.grantsPrivilege = true;
    power.hardwareFails = true;
    strings.texts[kIdsShutdownFailed] = L"Ausschalten fehlgeschlagen";
    strings.texts[kIdsWarningCaption] = L"Warnung";
    EXPECT_FALSE(Run(POWER_STANDBY));
    EXPECT_EQ(shell.shown.back(), L"Warnung|Ausschalten fehlgeschlagen");
}

} // namespace
} // namespace lm
