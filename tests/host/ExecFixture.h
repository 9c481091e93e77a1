// The executor on a simulated desktop.
#pragma once
#include "exec/CmdExecutor.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeExecServices.h"
#include "fakes/FakeStrings.h"
#include "fakes/FakeThreads.h"

#include <gtest/gtest.h>

namespace lm::test {

class ExecFixture : public ::testing::Test {
protected:
    static tagWINCMD Command(int32_t type, int32_t subtype, int32_t param = 0, int32_t param2 = 0) {
        tagWINCMD c;
        c.nType = type, c.nSubType = subtype, c.nParam = param, c.nParam2 = param2;
        return c;
    }
    // A top-level window, below the others, of a process running the executable.
    WindowHandle App(uint32_t pid, const std::wstring& path, const std::wstring& title,
                     const std::wstring& cls = L"AppClass") {
        processes.images[pid] = path;
        return windows.Add(title, cls, pid);
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
    FakeStrings strings;
    CCmdExecutor exec{
        tagEXECSERVICES{windows, input, processes, shell, clock, threads, audio, power, warning, strings}};
};

} // namespace lm::test
