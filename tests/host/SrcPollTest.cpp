// The repeat filter, and the polling source on fake threads and a fake clock: the loop, held keys,
// double-function keys and the thread's life.
#include "receivers/NecKeyScheduler.h"
#include "receivers/Src.h"

#include "ReceiverTestSupport.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

class NecKeySchedulerTest : public ::testing::Test {
protected:
    // Polls `code` every 80 ms for `duration` ms starting now; returns the ticks at which it passed.
    std::vector<uint32_t> Hold(uint8_t code, uint32_t duration) {
        std::vector<uint32_t> passed;
        for (uint32_t t = 0; t < duration; t += 80, clock.Advance(80))
            if (scheduler.ProcessNecKeyCode(code) == code)
                passed.push_back(t);
        return passed;
    }
    test::FakeClock clock;
    CNecKeyScheduler scheduler{clock};
};

TEST_F(NecKeySchedulerTest, AHeldKeyPassesAtOnceThenRepeatsAfterOneSecondAtMostEvery200Ms) {
    clock.Set(5000);
    // 0 (press), then 1040 (the first poll after the delay), then every 240 ms (the first poll 200 ms on).
    const std::vector<uint32_t> expected = {0, 1040, 1280, 1520, 1760, 2000, 2240, 2480};
    EXPECT_EQ(Hold(0x0C, 2500), expected);
    // The same across the wrap of the 32-bit millisecond counter.
    scheduler.ProcessNecKeyCode(kNecNoKey);
    clock.Set(0xFFFFFFFFu - 499);
    EXPECT_EQ(Hold(0x33, 2500), expected);
    // A press just before the wrap must not repeat right after it (a signed or widened difference would).
    clock.Set(0xFFFFFFF0u);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x34), 0x34);
    clock.Advance(0x20);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x34), kNecNoKey);
    EXPECT_EQ(scheduler.TooFast(), 1);
}

TEST_F(NecKeySchedulerTest, ChangesRepeatsAndTooFastRepeatsAreFlaggedAndTraced) {
    test::TraceCapture trace(clock, 6);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x12), 0x12);
    EXPECT_TRUE(trace.Has(L"CNecKeyScheduler::ProcessNecKeyCode() - 0x12  Key changed\n"));
    clock.Advance(80);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x12), kNecNoKey);
    EXPECT_EQ(scheduler.TooFast(), 1);
    EXPECT_TRUE(trace.Has(L"CNecKeyScheduler::ProcessNecKeyCode() - 0x12  Key repeated - TOO FAST\n"));
    clock.Advance(1000);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x12), 0x12);
    EXPECT_EQ(scheduler.TooFast(), 0);
    EXPECT_EQ(scheduler.LastRepeatTime(), clock.TickCount());
    EXPECT_TRUE(trace.Has(L"CNecKeyScheduler::ProcessNecKeyCode() - 0x12  Key repeated\n"));
    // Another key while one is held passes at once.
    clock.Advance(80);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x21), 0x21);
}

TEST_F(NecKeySchedulerTest, SameKeyMarkContinuesTheHeldKeyAndAReleaseMakesTheNextPressNew) {
    // With nothing held (as when new), 0xFE is a release.
    EXPECT_EQ(scheduler.LastCode(), kNecNoKey);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecSameKey), kNecNoKey);
    EXPECT_EQ(scheduler.TooFast(), 0);
    // After a press, 0xFE is that key held: too fast within the first second, repeated after it.
    clock.Set(100);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x05), 0x05);
    clock.Advance(80);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecSameKey), kNecNoKey);
    EXPECT_EQ(scheduler.TooFast(), 1);
    clock.Advance(1000);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecSameKey), 0x05);
    // A release, then the same key: a new key at once; 0xFE after the release is a release again.
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecNoKey), kNecNoKey);
    EXPECT_EQ(scheduler.FirstPressTime(), 0u);
    EXPECT_EQ(scheduler.LastRepeatTime(), 0u);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecSameKey), kNecNoKey);
    clock.Advance(80);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x05), 0x05);
}

class SrcPollTest : public ::testing::Test {
protected:
    // A receiver that reports `code` from `from` until `until` (clock ticks), nothing otherwise.
    std::function<uint8_t()> Press(uint8_t code, uint32_t from, uint32_t until) {
        return [this, code, from, until] {
            return clock.TickCount() >= from && clock.TickCount() < until ? code : kNecNoKey;
        };
    }
    void RunFor(test::FnPollSource& src, uint32_t ms) { test::RunFor(threads, clock, src.StopEvent(), ms); }

    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    tagSRCSERVICES services{clock, threads, nullptr};
    test::EventLog log{clock};
};

TEST_F(SrcPollTest, AKeyHeldTwoAndAHalfSecondsRepeatsFromOneSecondOnAtLeast200MsApart) {
    test::TraceCapture trace(clock, 6);
    // Pressed at 40, so the first poll that sees it is the one at 80; released at 2540.
    test::FnPollSource src(services, 64, Press(0x0C, 40, 2540));
    EXPECT_EQ(src.Init(&log, nullptr), 0);
    EXPECT_TRUE(threads.threads.empty());
    ASSERT_EQ(src.Init(&log, test::EventLog::Callback), 1);
    EXPECT_EQ(threads.names[threads.Last()], "LM: Test Receiver CSrcPoll::PollForIrEvent()");
    RunFor(src, 3000);
    // A polling source can report a held key: no event is single-shot.
    EXPECT_EQ(log.Trail(), "200@80 200@1120 200@1360 200@1600 200@1840 200@2080 200@2320");
    // 31 polls saw the key (80..2480); 7 passed, the others were too fast.
    EXPECT_EQ(trace.Count(L"Key repeated - TOO FAST"), 31u - 7u);
    EXPECT_EQ(src.GetLastKeyId(), -1); // released
    EXPECT_FALSE(src.IsPolling());
}

TEST_F(SrcPollTest, DoubleFunctionKeysTappedHeldOrNotPolled) {
    test::TraceCapture trace(clock, 7);
    // Mask 2, code 0x2C is key 268; released at 400, before the 700 ms test ends at 780.
    test::FnPollSource tapped(services, 2, Press(0x2C, 0, 400));
    tapped.Init(&log, test::EventLog::Callback);
    RunFor(tapped, 2000);
    EXPECT_TRUE(trace.Has(L"CSrcPoll::CheckForDoubleFunctionKey() - Read NEC key 0xFF\n"));
    // A code that does not come from the poll is a short press at once.
    EXPECT_EQ(tapped.HandleIrEvent(0x2D, 0), 1);
    EXPECT_EQ(log.Trail(), "266@780! 267@" + std::to_string(clock.TickCount()) + "!");

    // Mask 16, code 0x5C is key 269, held until 2500 and reported as 0xFE after the first poll. Seen
    // at 80, tested until 780; repeat let through at 1100, tested until 1800 (still held); repeat at
    // 2120, tested until 2820: released by then, which is no tap.
    test::EventLog heldLog{clock};
    clock.Set(0);
    test::FnPollSource held(services, 16, [this] {
        return clock.TickCount() >= 2500 ? kNecNoKey : clock.TickCount() <= 80 ? uint8_t{0x5C} : kNecSameKey;
    });
    held.Init(&heldLog, test::EventLog::Callback);
    RunFor(held, 4000);
    EXPECT_EQ(heldLog.Trail(), "265@780! 265@1800!");
}

TEST_F(SrcPollTest, AStopDuringTheDoubleFunctionTestDeliversNothing) {
    test::FnPollSource src(services, 2, Press(0x2C, 0, 5000));
    src.Init(&log, test::EventLog::Callback);
    static_cast<test::FakeEvent&>(src.StopEvent()).onWait = [](test::FakeEvent& e, uint32_t ms) {
        if (ms == 700)
            e.Set(); // the source is being deleted while it tests the key
    };
    threads.RunPending();
    EXPECT_EQ(log.Size(), 0u);
    EXPECT_EQ(src.GetLastKeyId(), -1);
}

TEST_F(SrcPollTest, TheBaseReaderIsAnErrorAndReadsAsNoKey) {
    test::TraceCapture trace(clock, 3);
    test::FnPollSource src(services, 1, nullptr); // mask 1 would map any code
    src.Init(&log, test::EventLog::Callback);
    EXPECT_EQ(src.PollOnce(), 0);
    EXPECT_TRUE(trace.Has(L"ERR CSrcPoll::GetCurrentKeyCode() - base class must not be called\n"));
    EXPECT_EQ(log.Size(), 0u);
}

TEST_F(SrcPollTest, InitAgainEndsTheRunningThreadFirstAndFailsWhenItCannot) {
    test::EventLog other{clock};
    test::FnPollSource src(services, 64, Press(0x0C, 0, 100000));
    threads.failCreate = true;
    EXPECT_EQ(src.Init(&log, test::EventLog::Callback), 0);
    EXPECT_EQ(src.IsInitialised(), 0);
    threads.failCreate = false;
    src.Init(&log, test::EventLog::Callback);
    uint32_t first = threads.Last();
    // The first thread has not run yet; the second Init must finish it before it changes the owner.
    ASSERT_EQ(src.Init(&other, test::EventLog::Callback), 1);
    EXPECT_TRUE(threads.threads[first].ended);
    RunFor(src, 200);
    EXPECT_EQ(log.Size(), 0u); // the first thread ended at once: the stop event was set
    EXPECT_EQ(other.Size(), 1u);
    // A thread that does not stop: the next Init reports failure and starts nothing.
    ASSERT_EQ(src.Init(&log, test::EventLog::Callback), 1);
    threads.threads[threads.Last()].hangs = true;
    EXPECT_EQ(src.Init(&log, test::EventLog::Callback), 0);
    EXPECT_EQ(threads.threads.size(), 3u);
    threads.threads[threads.Last()].hangs = false;
}

} // namespace
} // namespace lm
