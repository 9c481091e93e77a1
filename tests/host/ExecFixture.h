// The executor on a simulated desktop.
#pragma once
#include "exec/CmdExecutor.h"

#include "fakes/FakeExecServices.h"
#include "fakes/FakeStrings.h"

#include <gtest/gtest.h>

namespace lm::test {

class ExecFixture : public ::testing::Test, protected FakeExecSystem {
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

    FakeStrings strings;
    CCmdExecutor exec{Services(strings)};
};

} // namespace lm::test
