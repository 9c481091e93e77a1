// The thread wrapper on Win32 threads: stop events, time-outs, COM and naming.
#include "WinTestSupport.h"

#include "platform/Platform.h"
#include "receivers/LMThread.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>

namespace lm {
namespace {

using namespace wintest;

TEST(LMThreadWin, RunsOnceWithComAndANameThenClearsItsId) {
    struct Ctx {
        HRESULT comAgain = E_FAIL;
        DWORD thread = 0;
    } ctx;
    CLMThread t(NativePlatform().threads);
    ASSERT_EQ(t.StartThread(
                  [](void* p) -> uint32_t {
                      auto* c = static_cast<Ctx*>(p);
                      c->thread = GetCurrentThreadId();
                      c->comAgain = CoInitialize(nullptr); // S_FALSE: the wrapper initialised COM already
                      if (SUCCEEDED(c->comAgain))
                          CoUninitialize();
                      return 5;
                  },
                  &ctx, "WinOnce", -1),
              1);
    EXPECT_TRUE(WaitFor([&] { return t.ThreadId() == 0; }));
    EXPECT_EQ(ctx.comAgain, S_FALSE);
    EXPECT_NE(ctx.thread, 0u);
    EXPECT_EQ(t.StopThread(1000), 1);
}

TEST(LMThreadWin, IntervalWorkerStopsWithinTheTimeout) {
    std::atomic<int> runs{0};
    CLMThread t(NativePlatform().threads);
    t.StartThread(
        [](void* p) -> uint32_t {
            ++*static_cast<std::atomic<int>*>(p);
            return 0;
        },
        &runs, "WinInterval", 10);
    EXPECT_TRUE(WaitFor([&] { return runs.load() >= 3; }));
    EXPECT_EQ(t.StopThread(5000), 1);
    EXPECT_EQ(t.ThreadId(), 0u);
    int seen = runs.load();
    Sleep(50);
    EXPECT_EQ(runs.load(), seen);
}

TEST(LMThreadWin, AWorkerThatIgnoresTheStopEventTimesOutAndIsNotDoubled) {
    std::atomic<bool> release{false};
    CLMThread t(NativePlatform().threads);
    t.StartThread(
        [](void* p) -> uint32_t {
            while (!static_cast<std::atomic<bool>*>(p)->load())
                Sleep(5);
            return 0;
        },
        &release, "WinStuck", -1);
    uint32_t first = t.ThreadId();
    EXPECT_EQ(t.StopThread(50), 0);
    EXPECT_EQ(t.ThreadId(), first);
    release = true;
    EXPECT_TRUE(WaitFor([&] { return t.ThreadId() == 0; }));
    EXPECT_EQ(t.StopThread(50), 1);
}

} // namespace
} // namespace lm
