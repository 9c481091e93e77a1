// Power, shutdown warning, timers and texts for the executor tests.
#pragma once
#include "fakes/FakeStrings.h"
#include "exec/ShutdownWarning.h"
#include "platform/Power.h"
#include "platform/Timer.h"
#include "support/Strings.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lm::test {

// Records the power calls in `log`; nothing is ever switched off.
class FakePower final : public IPower {
public:
    bool EnableShutdownPrivilege() override {
        log.push_back(L"privilege");
        return privilegeGranted;
    }
    bool SetSystemPowerState(bool suspend, bool force) override {
        log.push_back(std::wstring(L"power ") + (suspend ? L"suspend" : L"hibernate") +
                      (force ? L" force" : L""));
        return powerSucceeds;
    }
    bool ExitSession(uint32_t flags, uint32_t reason) override {
        log.push_back(L"exit " + std::to_wstring(flags) + L" " + std::to_wstring(reason));
        return powerSucceeds;
    }
    bool privilegeGranted = true;
    bool powerSucceeds = true;
    std::vector<std::wstring> log;
};

class FakeShutdownWarning final : public IShutdownWarning {
public:
    int32_t Run(int32_t seconds) override {
        runs.push_back(seconds);
        return answer;
    }
    int32_t answer = kDialogOk;
    std::vector<int32_t> runs;
};

// Timers that fire when the test says so.
class FakeTimers final : public ITimers {
public:
    struct Timer {
        WindowHandle window;
        uint32_t period;
        std::function<void()> callback;
    };
    uintptr_t SetTimer(WindowHandle window, uintptr_t id, uint32_t period,
                       std::function<void()> callback) override {
        ++sets;
        if (failSet)
            return 0;
        timers[id] = Timer{window, period, std::move(callback)};
        return id;
    }
    bool KillTimer(WindowHandle, uintptr_t id) override {
        ++kills;
        return timers.erase(id) != 0;
    }
    // Fires every running timer once.
    void FireAll() {
        std::map<uintptr_t, Timer> copy = timers;
        for (auto& [id, t] : copy)
            t.callback();
    }
    std::map<uintptr_t, Timer> timers;
    int sets = 0;
    int kills = 0;
    bool failSet = false;
};

} // namespace lm::test
