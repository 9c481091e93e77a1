#include "receivers/NecKeyScheduler.h"

#include "ReceiverTestSupport.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

class NecKeySchedulerTest : public ::testing::Test {
protected:
    // Polls `code` every `period` ms for `duration` ms starting now; returns the ticks at which it passed.
    std::vector<uint32_t> Hold(uint8_t code, uint32_t duration, uint32_t period) {
        std::vector<uint32_t> passed;
        uint32_t start = clock.TickCount();
        while (clock.TickCount() - start < duration) {
            if (scheduler.ProcessNecKeyCode(code) == code)
                passed.push_back(clock.TickCount() - start);
            clock.Advance(period);
        }
        return passed;
    }
    test::FakeClock clock;
    CNecKeyScheduler scheduler{clock};
};

TEST_F(NecKeySchedulerTest, ANewSchedulerHoldsNoKey) {
    EXPECT_EQ(scheduler.LastCode(), kNecNoKey);
    EXPECT_EQ(scheduler.FirstPressTime(), 0u);
    EXPECT_EQ(scheduler.LastRepeatTime(), 0u);
    EXPECT_EQ(scheduler.TooFast(), 0);
}

TEST_F(NecKeySchedulerTest, AHeldKeyPassesAtOnceThenRepeatsAfterOneSecondAtMostEvery200Ms) {
    clock.Set(5000);
    auto passed = Hold(0x0C, 2500, 80);
    ASSERT_GE(passed.size(), 2u);
    EXPECT_EQ(passed[0], 0u);
    EXPECT_GE(passed[1], 1000u);
    EXPECT_LT(passed[1], 1080u); // the first poll once the delay is over
    for (size_t i = 2; i < passed.size(); ++i) {
        EXPECT_GE(passed[i] - passed[i - 1], 200u);
        EXPECT_LT(passed[i] - passed[i - 1], 280u);
    }
    // 0 (press), then 1040 (first poll >= 1000), then every 240 ms: 1280 ... 2480.
    EXPECT_EQ(passed, (std::vector<uint32_t>{0, 1040, 1280, 1520, 1760, 2000, 2240, 2480}));
}

TEST_F(NecKeySchedulerTest, TooFastRepeatsAreFlaggedAndTraced) {
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
}

TEST_F(NecKeySchedulerTest, SameKeyMarkContinuesTheHeldKeyAndActsAsReleaseWhenNoneIsHeld) {
    // With nothing held, 0xFE is a release.
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecSameKey), kNecNoKey);
    EXPECT_EQ(scheduler.LastCode(), kNecNoKey);
    EXPECT_EQ(scheduler.TooFast(), 0);
    // After a press, 0xFE is that key held: too fast within the first second, repeated after it.
    clock.Set(100);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x05), 0x05);
    clock.Advance(80);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecSameKey), kNecNoKey);
    EXPECT_EQ(scheduler.TooFast(), 1);
    clock.Advance(1000);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecSameKey), 0x05);
    // After a release it is a release again.
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecNoKey), kNecNoKey);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecSameKey), kNecNoKey);
    EXPECT_EQ(scheduler.FirstPressTime(), 0u);
}

TEST_F(NecKeySchedulerTest, AReleaseSeenBetweenTwoPressesMakesTheSecondANewKey) {
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x20), 0x20);
    clock.Advance(80);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x20), kNecNoKey);
    clock.Advance(80);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecNoKey), kNecNoKey);
    clock.Advance(80);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x20), 0x20);
    // Another key while one is held also passes at once.
    clock.Advance(80);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x21), 0x21);
}

TEST_F(NecKeySchedulerTest, TheTimerWrapDoesNotDisturbTheRepeatTiming) {
    // Press 500 ms before the 32-bit millisecond counter wraps; hold across the wrap.
    clock.Set(0xFFFFFFFFu - 499);
    auto passed = Hold(0x33, 2500, 80);
    EXPECT_EQ(passed, (std::vector<uint32_t>{0, 1040, 1280, 1520, 1760, 2000, 2240, 2480}));
    // A press just before the wrap must not repeat right after it (a signed or widened difference would).
    clock.Set(0xFFFFFFF0u);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(kNecNoKey), kNecNoKey);
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x34), 0x34);
    clock.Advance(0x20); // now 0x10 after the wrap
    EXPECT_EQ(scheduler.ProcessNecKeyCode(0x34), kNecNoKey);
    EXPECT_EQ(scheduler.TooFast(), 1);
}

} // namespace
} // namespace lm
