// The thread wrapper on Win32 threads: COM, stop events and time-outs.
#include "WinTestSupport.h"

#include "platform/Platform.h"
#include "receivers/LMThread.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>

namespace lm {
namespace {

using namespace wintest;

TEST(LMThreadWin, RunsOnceWithComThenClearsItsId) {
    static std::atomic<HRESULT> comAgain{E_FAIL};
    CLMThread t(NativePlatform().threads);
    auto worker = [](void*) -> uint32_t {
        comAgain = CoInitialize(nullptr); // S_FALSE: the wrapper initialised COM already
        if (SUCCEEDED(comAgain.load()))
            CoUninitialize();
        return 5;
    };
    ASSERT_EQ(t.StartThread(worker, nullptr, "WinOnce", -1), 1);
    EXPECT_TRUE(WaitFor([&] { return t.ThreadId() == 0; }));
    EXPECT_EQ(comAgain.load(), S_FALSE);
    EXPECT_EQ(t.StopThread(1000), 1);
}

TEST(LMThreadWin, AnIntervalWorkerStopsInTimeAndOneThatIgnoresTheStopTimesOut) {
    std::atomic<int> runs{0};
    CLMThread t(NativePlatform().threads);
    auto counting = [](void* p) -> uint32_t { return ++*static_cast<std::atomic<int>*>(p); };
    t.StartThread(counting, &runs, "WinInterval", 10);
    EXPECT_TRUE(WaitFor([&] { return runs.load() >= 3; }));
    EXPECT_EQ(t.StopThread(5000), 1);
    int seen = runs.load();
    Sleep(50);
    EXPECT_EQ(runs.load(), seen);

    std::atomic<bool> release{false};
    auto stuck = [](void* p) -> uint32_t {
        while (!static_cast<std::atomic<bool>*>(p)->load())
            Sleep(5);
        return 0;
    };
    t.StartThread(stuck, &release, "WinStuck", -1);
    uint32_t id = t.ThreadId();
    EXPECT_EQ(t.StopThread(50), 0);
    EXPECT_EQ(t.ThreadId(), id);
    release = true;
    EXPECT_TRUE(WaitFor([&] { return t.ThreadId() == 0; }));
    EXPECT_EQ(t.StopThread(50), 1);
}

} // namespace
} // namespace lm
