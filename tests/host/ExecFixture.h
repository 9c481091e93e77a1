// The executor on a simulated desktop with recording services.
#pragma once
#include "exec/CmdExecutor.h"

#include "fakes/FakeAudio.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeExecServices.h"
#include "fakes/FakeThreads.h"

#include <gtest/gtest.h>

namespace lm::test {

class ExecFixture : public ::testing::Test {
protected:
    ExecFixture() : threads(&clock), exec(ExecServices{desktop, threads, audio, power, warning, strings}) {
        // Every sleep of the executor shows up in the desktop's log.
        for (FakeEvent* e : threads.events)
            e->onWait = [this](FakeEvent&, uint32_t ms) { desktop.Log(L"sleep " + std::to_wstring(ms)); };
    }
    static tagWINCMD Command(int32_t type, int32_t subtype, int32_t param = 0, int32_t param2 = 0) {
        tagWINCMD c;
        c.nType = type;
        c.nSubType = subtype;
        c.nParam = param;
        c.nParam2 = param2;
        return c;
    }
    // The log without the lines of the activation step.
    std::vector<std::wstring> KeyLog() const {
        std::vector<std::wstring> out;
        for (const std::wstring& l : desktop.log)
            if (l.rfind(L"key ", 0) == 0)
                out.push_back(l);
        return out;
    }

    FakeDesktop desktop;
    FakeClock clock;
    FakeThreads threads;
    FakeAudio audio;
    FakePower power;
    FakeShutdownWarning warning;
    FakeStrings strings;
    CCmdExecutor exec;
};

} // namespace lm::test
