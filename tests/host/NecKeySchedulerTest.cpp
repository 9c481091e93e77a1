#include "receivers/NecKeyScheduler.h"

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

} // namespace
} // namespace lm
