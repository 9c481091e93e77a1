#include "receivers/LMThread.h"

#include "ReceiverTestSupport.h"
#include "base/Text.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace lm {
namespace {

// Deterministic tests: threads run only when the fake schedules them.
class LMThreadFakeTest : public ::testing::Test {
protected:
    // A worker that counts its runs and notes whether it ran with COM initialised.
    static uint32_t CountRuns(void* p) {
        auto* self = static_cast<LMThreadFakeTest*>(p);
        self->comInWorker = self->threads.com[self->threads.current];
        return static_cast<uint32_t>(++self->runs);
    }
    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    test::TraceCapture trace{clock, 5};
    int runs = 0;
    int comInWorker = 0;
};

TEST_F(LMThreadFakeTest, NothingToStopNothingToRunOrNoThreadLeavesTheWrapperStopped) {
    CLMThread t(threads);
    EXPECT_EQ(t.StopThread(5000), 1);
    EXPECT_TRUE(trace.Lines().empty());
    EXPECT_EQ(t.StartThread(nullptr, nullptr, "x", -1), 0);
    threads.failCreate = true;
    EXPECT_EQ(t.StartThread(CountRuns, this, "x", -1), 0);
    EXPECT_TRUE(threads.threads.empty());
    EXPECT_EQ(t.ThreadId(), 0u);
}

TEST_F(LMThreadFakeTest, RunOnceRunsTheWorkerOnceWithComAndClearsTheId) {
    CLMThread t(threads);
    ASSERT_EQ(t.StartThread(CountRuns, this, "Poller", -1), 1);
    uint32_t id = t.ThreadId();
    EXPECT_EQ(threads.names[id], "LM: Poller");
    EXPECT_FALSE(t.StopEvent().IsSet());
    EXPECT_TRUE(trace.Has(L"\\ CLMThread::StartThread(Poller)"));
    threads.RunPending();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(comInWorker, 1);
    EXPECT_EQ(threads.com[id], 0);
    EXPECT_EQ(t.ThreadId(), 0u);
}

TEST_F(LMThreadFakeTest, IntervalZeroRepeatsUntilTheStopEventIsSet) {
    CLMThread t(threads);
    t.StartThread(CountRuns, this, nullptr, 0);
    EXPECT_EQ(t.Name(), "CLMThread");
    static_cast<test::FakeEvent&>(t.StopEvent()).onWait = [&](test::FakeEvent& e, uint32_t ms) {
        EXPECT_EQ(ms, 0u);
        if (runs == 5)
            e.Set();
    };
    threads.RunPending();
    EXPECT_EQ(runs, 5);
    // A worker that sets the stop event itself, as a polling loop told to stop, ends after one run.
    auto worker = [](void* p) -> uint32_t {
        static_cast<CLMThread*>(p)->StopEvent().Set();
        return 7;
    };
    t.StartThread(worker, &t, "loop", 0);
    uint32_t id = t.ThreadId();
    EXPECT_EQ(t.StopThread(1000), 1);
    EXPECT_TRUE(trace.Has(FormatBounded(64, L"Thread 0x%04x(%u) Thread terminated\n", id, id)));
    EXPECT_EQ(t.ThreadId(), 0u);
}

TEST_F(LMThreadFakeTest, StopTimeoutIsTracedAndNeverStartsASecondThread) {
    CLMThread t(threads);
    t.StartThread(CountRuns, this, "stuck", -1);
    uint32_t first = t.ThreadId();
    threads.threads[first].hangs = true;
    EXPECT_EQ(t.StopThread(5000), 0);
    EXPECT_TRUE(trace.Has(L"TIMEOUT (5000 msec)\n"));
    EXPECT_TRUE(trace.Has(L"\\ CLMThread::StopThread(Thread ID " + std::to_wstring(first)));
    // The old thread still runs: a new start must not create a second one.
    EXPECT_EQ(t.StartThread(CountRuns, this, "again", -1), 0);
    EXPECT_EQ(threads.threads.size(), 1u);
    EXPECT_EQ(t.ThreadId(), first);
    // Once it ends the wrapper can start again.
    threads.threads[first].hangs = false;
    threads.RunThread(first);
    EXPECT_EQ(t.ThreadId(), 0u);
    EXPECT_EQ(t.StartThread(CountRuns, this, "again", -1), 1);
    threads.RunPending();
}

TEST_F(LMThreadFakeTest, ALateOldThreadDoesNotClearTheIdOfANewOne) {
    CLMThread t(threads);
    t.StartThread(CountRuns, this, "a", -1);
    uint32_t first = t.ThreadId();
    // The first thread "ends" for the wrapper's wait, but runs its last steps only after the next start.
    threads.threads[first].ended = true;
    t.StartThread(CountRuns, this, "b", -1);
    uint32_t second = t.ThreadId();
    ASSERT_NE(second, first);
    threads.threads[first].ended = false;
    threads.RunThread(first);
    EXPECT_EQ(t.ThreadId(), second);
    threads.RunPending();
    EXPECT_EQ(t.ThreadId(), 0u);
}

// Real threads, for ThreadSanitizer: restarts of an interval worker, and starts and stops from several
// threads at once, which must never run two workers.
TEST(LMThreadNative, StartsAndStopsFromManyThreadsNeverRunTwoWorkers) {
    struct Ctx {
        std::atomic<int> inside{0}, maxInside{0}, runs{0};
    } ctx;
    CLMThread t(NativePlatform().threads);
    auto worker = [](void* p) -> uint32_t {
        auto* c = static_cast<Ctx*>(p);
        int now = ++c->inside;
        for (int seen = c->maxInside.load(); now > seen && !c->maxInside.compare_exchange_weak(seen, now);) {
        }
        ++c->runs;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        --c->inside;
        return 0;
    };
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(t.StartThread(worker, &ctx, "native", 1), 1);
    std::vector<std::thread> callers;
    for (int k = 0; k < 4; ++k)
        callers.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                t.StartThread(worker, &ctx, "race", i % 2 ? -1 : 1);
                if (i % 5 == 0)
                    t.StopThread(10000);
            }
        });
    for (auto& c : callers)
        c.join();
    EXPECT_EQ(t.StopThread(10000), 1);
    EXPECT_EQ(t.ThreadId(), 0u);
    EXPECT_GE(ctx.runs.load(), 1);
    EXPECT_EQ(ctx.maxInside.load(), 1);
}

} // namespace
} // namespace lm
