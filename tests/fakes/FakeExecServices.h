// Audio, power, shutdown warning and timers for the executor tests, and the whole simulated system the
// executors run on.
#pragma once
#include "exec/CmdExecutor.h"
#include "exec/ShutdownWarning.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeThreads.h"
#include "platform/Audio.h"
#include "platform/Power.h"
#include "platform/Timer.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace lm::test {

// Speakers with a wave mixer and an audio endpoint, both holding their values. The wave device takes
// only the 48 kHz stereo format; a step of the mixer road can be made to fail.
class FakeAudio final : public IAudio {
public:
    enum Step { kNone, kWave, kOpen, kLine, kControl, kRead, kSet };
    Step fails = kNone;
    uint32_t readableChannels = 16; // reads of more channels fail (a uniform control answers for one)
    uint32_t channels = 2;
    uint32_t maximum = 65535;
    std::vector<uint32_t> volume{30000, 30000};
    std::vector<uint32_t> mute{0, 0};
    int mixersOpen = 0;

    bool hasEndpoints = false;
    bool endpointMissing = false;
    bool endpointFails = false;
    float level = 0.5f;
    bool endpointMute = false;

    bool WaveOutMixerId(const tagWAVEFORMAT& format, uint32_t& id) override {
        id = 7;
        return fails != kWave && format == tagWAVEFORMAT{};
    }
    std::unique_ptr<IMixer> OpenMixer(uint32_t id) override {
        return fails == kOpen || id != 7 ? nullptr : std::make_unique<Mixer>(*this);
    }
    bool HasEndpoints() override { return hasEndpoints; }
    std::unique_ptr<IEndpointVolume> OpenDefaultRenderEndpoint() override {
        return endpointMissing ? nullptr : std::make_unique<Endpoint>(*this);
    }

private:
    class Mixer final : public IMixer {
    public:
        explicit Mixer(FakeAudio& a) : a_(a) { ++a_.mixersOpen; }
        ~Mixer() override { --a_.mixersOpen; }
        bool DestinationLine(uint32_t type, tagMIXERLINE& line) override {
            line = tagMIXERLINE{0xFFFF0000, a_.channels};
            return a_.fails != kLine && type == kMixerLineSpeakers;
        }
        bool LineControl(uint32_t lineId, uint32_t type, tagMIXERCONTROL& control) override {
            control = tagMIXERCONTROL{type == kMixerControlMute ? 2u : 1u, 0, a_.maximum};
            return a_.fails != kControl && lineId == 0xFFFF0000 &&
                   (type == kMixerControlMute || type == kMixerControlVolume);
        }
        bool GetDetails(uint32_t id, uint32_t n, std::vector<uint32_t>& values) override {
            if (a_.fails == kRead || n > a_.readableChannels || values.size() < n)
                return false;
            std::copy_n((id == 2 ? a_.mute : a_.volume).begin(), std::min<size_t>(n, 2), values.begin());
            return true;
        }
        bool SetDetails(uint32_t id, uint32_t n, const std::vector<uint32_t>& values) override {
            if (a_.fails == kSet || values.size() < n)
                return false;
            std::copy_n(values.begin(), std::min<size_t>(n, 2), (id == 2 ? a_.mute : a_.volume).begin());
            return true;
        }

    private:
        FakeAudio& a_;
    };
    class Endpoint final : public IEndpointVolume {
    public:
        explicit Endpoint(FakeAudio& a) : a_(a) {}
        bool GetLevel(float& l) override { return l = a_.level, !a_.endpointFails; }
        bool SetLevel(float l) override { return !a_.endpointFails && (a_.level = l, true); }
        bool GetMute(bool& m) override { return m = a_.endpointMute, !a_.endpointFails; }
        bool SetMute(bool m) override { return !a_.endpointFails && (a_.endpointMute = m, true); }

    private:
        FakeAudio& a_;
    };
};

// A machine that goes to standby, hibernates or switches off only with the shutdown privilege (when the
// platform asks for privileges at all) and when its hardware lets it.
class FakePower final : public IPower {
public:
    bool EnableShutdownPrivilege() override { return privileged = grantsPrivilege; }
    bool SetSystemPowerState(bool suspend, bool force) override {
        return Enter(std::wstring(suspend ? L"standby" : L"hibernated") + (force ? L" forced" : L""));
    }
    bool ExitSession(uint32_t flags, uint32_t reason) override {
        return Enter(L"exit " + std::to_wstring(flags) + L" " + std::to_wstring(reason));
    }
    bool needsPrivilege = true, grantsPrivilege = true, hardwareFails = false, privileged = false;
    std::wstring state = L"on";

private:
    bool Enter(const std::wstring& next) {
        return !hardwareFails && (privileged || !needsPrivilege) && (state = next, true);
    }
};

// Gives the answer it is told; `shown` holds the count-down length of every warning shown.
class FakeShutdownWarning final : public IShutdownWarning {
public:
    int32_t Run(int32_t seconds) override { return shown.push_back(seconds), answer; }
    int32_t answer = kDialogOk;
    std::vector<int32_t> shown;
};

// Timers that fire when the test says so.
class FakeTimers final : public ITimers {
public:
    using Timer = std::tuple<WindowHandle, uint32_t, std::function<void()>>; // window, period, callback
    uintptr_t SetTimer(WindowHandle window, uintptr_t id, uint32_t period,
                       std::function<void()> callback) override {
        return failSet ? 0 : (timers[id] = Timer{window, period, std::move(callback)}, id);
    }
    bool KillTimer(WindowHandle, uintptr_t id) override { return timers.erase(id) != 0; }
    // Fires every running timer once.
    void FireAll() {
        for (auto& [id, t] : std::map<uintptr_t, Timer>(timers))
            std::get<2>(t)();
    }
    std::map<uintptr_t, Timer> timers;
    bool failSet = false;
};

// Everything the executors ask of the system, simulated.
struct FakeExecSystem {
    tagEXECSERVICES Services(IStringSource& strings) {
        return {windows, input, processes, shell, clock, threads, audio, power, warning, strings};
    }
    FakeWindows windows;
    FakeInput input{&windows};
    FakeProcesses processes;
    FakeShell shell;
    FakeClock clock;
    FakeThreads threads{&clock};
    FakeAudio audio;
    FakePower power;
    FakeShutdownWarning warning;
    FakeTimers timers;
};

} // namespace lm::test
