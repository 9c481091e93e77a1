#include "receivers/LMThread.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeProcess.h"
#include "fakes/FakeThreads.h"
#include "platform/Platform.h"
#include "support/LMDebug.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <thread>

namespace lm {
namespace {

std::wstring ToHex(uint32_t v) {
    wchar_t buf[16];
    std::swprintf(buf, 16, L"%04x", v);
    return buf;
}

uint32_t CountRuns(void* p) {
    return static_cast<uint32_t>(++*static_cast<int*>(p));
}

// Deterministic tests: threads run only when the fake schedules them.
class LMThreadFakeTest : public ::testing::Test {
protected:
    void SetUp() override {
        TraceSetPlatform(&proc, &clock);
        proc.tid = 1;
        TraceInitEx(5);
        proc.debugger.clear();
    }
    void TearDown() override {
        proc.tid = 1;
        TraceTerminateThread(1, true);
        TraceSetPlatform(nullptr, nullptr);
    }
    bool Traced(const std::wstring& text) const {
        for (auto& l : proc.debugger)
            if (l.find(text) != std::wstring::npos)
                return true;
        return false;
    }
    test::FakeClock clock;
    test::FakeProcess proc;
    test::FakeThreads threads{&clock};
};

TEST_F(LMThreadFakeTest, StopOnAWrapperThatNeverRanSucceedsSilently) {
    CLMThread t(threads);
    EXPECT_EQ(t.StopThread(5000), 1);
    EXPECT_TRUE(proc.debugger.empty());
    EXPECT_EQ(t.StartThread(nullptr, nullptr, "x", -1), 0);
    EXPECT_TRUE(threads.threads.empty());
}

TEST_F(LMThreadFakeTest, RunOnceRunsTheWorkerOnceAndClearsTheId) {
    int runs = 0;
    CLMThread t(threads);
    ASSERT_EQ(t.StartThread(CountRuns, &runs, "Poller", -1), 1);
    uint32_t id = t.ThreadId();
    EXPECT_NE(id, 0u);
    EXPECT_EQ(threads.names[id], "LM: Poller");
    EXPECT_FALSE(t.StopEvent().IsSet());
    threads.RunPending();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(t.ThreadId(), 0u);
    EXPECT_EQ(threads.comInits, 1);
    EXPECT_EQ(threads.comUninits, 1);
    EXPECT_TRUE(Traced(L"\\ CLMThread::StartThread(Poller)"));
}

TEST_F(LMThreadFakeTest, IntervalZeroRepeatsUntilTheStopEventIsSet) {
    int runs = 0;
    CLMThread t(threads);
    t.StartThread(CountRuns, &runs, nullptr, 0);
    EXPECT_EQ(t.Name(), "CLMThread");
    auto* stop = static_cast<test::FakeEvent*>(&t.StopEvent());
    stop->onWait = [&](test::FakeEvent& e, uint32_t ms) {
        EXPECT_EQ(ms, 0u);
        if (runs == 5)
            e.Set();
    };
    threads.RunPending();
    EXPECT_EQ(runs, 5);
    EXPECT_EQ(t.ThreadId(), 0u);
}

TEST_F(LMThreadFakeTest, AWorkerThatWaitsForTheStopEventEndsAfterOneRun) {
    struct Ctx {
        CLMThread* t;
        int runs;
    } ctx{nullptr, 0};
    CLMThread t(threads);
    ctx.t = &t;
    auto worker = [](void* p) -> uint32_t {
        auto* c = static_cast<Ctx*>(p);
        ++c->runs;
        c->t->StopEvent().Set(); // as a polling loop that was told to stop
        return 7;
    };
    t.StartThread(worker, &ctx, "loop", 0);
    uint32_t id = t.ThreadId();
    EXPECT_EQ(t.StopThread(1000), 1);
    EXPECT_EQ(ctx.runs, 1);
    EXPECT_TRUE(Traced(L"Thread 0x" + ToHex(id) + L"(" + std::to_wstring(id) + L") Thread terminated\n"));
}

TEST_F(LMThreadFakeTest, StopTimeoutIsTracedAndNeverStartsASecondThread) {
    int runs = 0;
    CLMThread t(threads);
    t.StartThread(CountRuns, &runs, "stuck", -1);
    uint32_t first = t.ThreadId();
    threads.threads[first].hangs = true;
    EXPECT_EQ(t.StopThread(5000), 0);
    EXPECT_TRUE(Traced(L"TIMEOUT (5000 msec)\n"));
    EXPECT_TRUE(Traced(L"\\ CLMThread::StopThread(Thread ID " + std::to_wstring(first)));
    // The old thread still runs: a new start must not create a second one.
    EXPECT_EQ(t.StartThread(CountRuns, &runs, "again", -1), 0);
    EXPECT_EQ(threads.threads.size(), 1u);
    EXPECT_EQ(t.ThreadId(), first);
    // Once it ends the wrapper can start again.
    threads.threads[first].hangs = false;
    threads.RunThread(first);
    EXPECT_EQ(t.ThreadId(), 0u);
    EXPECT_EQ(t.StartThread(CountRuns, &runs, "again", -1), 1);
    EXPECT_NE(t.ThreadId(), first);
    threads.RunPending();
}

TEST_F(LMThreadFakeTest, ALateOldThreadDoesNotClearTheIdOfANewOne) {
    int runs = 0;
    CLMThread t(threads);
    t.StartThread(CountRuns, &runs, "a", -1);
    uint32_t first = t.ThreadId();
    // The first thread "ends" for the wrapper's wait, but runs its last steps only after the next start.
    threads.threads[first].ended = true;
    t.StartThread(CountRuns, &runs, "b", -1);
    uint32_t second = t.ThreadId();
    ASSERT_NE(second, first);
    threads.threads[first].ended = false;
    threads.RunThread(first);
    EXPECT_EQ(t.ThreadId(), second);
    threads.RunPending();
    EXPECT_EQ(t.ThreadId(), 0u);
}

TEST_F(LMThreadFakeTest, CreationFailureLeavesTheWrapperStopped) {
    threads.failCreate = true;
    int runs = 0;
    CLMThread t(threads);
    EXPECT_EQ(t.StartThread(CountRuns, &runs, "x", -1), 0);
    EXPECT_EQ(t.ThreadId(), 0u);
}

// Real threads: run under ThreadSanitizer as well.
TEST(LMThreadNative, IntervalWorkerStopsPromptlyAndRestartsManyTimes) {
    std::atomic<int> runs{0};
    CLMThread t(NativePlatform().threads);
    auto worker = [](void* p) -> uint32_t {
        static_cast<std::atomic<int>*>(p)->fetch_add(1);
        return 0;
    };
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(t.StartThread(worker, &runs, "native", 1), 1);
        if (i % 3 == 0)
            std::this_thread::yield();
    }
    EXPECT_EQ(t.StopThread(10000), 1);
    EXPECT_EQ(t.ThreadId(), 0u);
    EXPECT_GE(runs.load(), 1);
}

TEST(LMThreadNative, ConcurrentStartsAndStopsNeverRunTwoThreads) {
    struct Ctx {
        std::atomic<int> inside{0};
        std::atomic<int> maxInside{0};
    } ctx;
    CLMThread t(NativePlatform().threads);
    auto worker = [](void* p) -> uint32_t {
        auto* c = static_cast<Ctx*>(p);
        int now = ++c->inside;
        int seen = c->maxInside.load();
        while (now > seen && !c->maxInside.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        --c->inside;
        return 0;
    };
    std::vector<std::thread> callers;
    for (int k = 0; k < 4; ++k)
        callers.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                t.StartThread(worker, &ctx, "race", -1);
                if (i % 5 == 0)
                    t.StopThread(10000);
            }
        });
    for (auto& c : callers)
        c.join();
    EXPECT_EQ(t.StopThread(10000), 1);
    EXPECT_EQ(ctx.maxInside.load(), 1);
}

} // namespace
} // namespace lm
