#include "exec/MouseMove.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeExecServices.h"

#include <gtest/gtest.h>

#include <thread>

namespace lm {
namespace {

using test::FakeDesktop;

class MouseMoveTest : public ::testing::Test {
protected:
    static constexpr WindowHandle kMainWindow = 0x5000;

    // Ticks the timer every 80 ms for `ms` and returns the steps of the moves it made.
    std::vector<int32_t> Hold(uint32_t ms) {
        std::vector<int32_t> steps;
        for (uint32_t t = 0; t < ms; t += kMouseMoveTimerPeriod) {
            clock.Advance(kMouseMoveTimerPeriod);
            size_t before = desktop.inputs.size();
            timers.FireAll();
            if (desktop.inputs.size() > before) {
                const InputRecord& r = desktop.inputs.back();
                EXPECT_EQ(r.flags, kMouseMove);
                steps.push_back(r.dx != 0 ? r.dx : r.dy);
            }
        }
        return steps;
    }

    FakeDesktop desktop;
    test::FakeTimers timers;
    test::FakeClock clock;
};

TEST_F(MouseMoveTest, HeldMovementAcceleratesByTheTable) {
    CWinMouseMove mover(desktop, timers, clock, [] { return kMainWindow; });
    clock.Set(1000);
    mover.StartMove(1, 0);
    ASSERT_EQ(timers.timers.count(kMouseMoveTimerId), 1u);
    EXPECT_EQ(timers.timers[kMouseMoveTimerId].window, kMainWindow);
    EXPECT_EQ(timers.timers[kMouseMoveTimerId].period, 80u);

    std::vector<int32_t> steps = Hold(6000);
    ASSERT_EQ(steps.size(), 75u);
    // Tick n fires at n * 80 ms: below 1000 ms step 1, then 2, 3, 4, 6 and from 4000 ms 8.
    for (size_t i = 0; i < steps.size(); ++i) {
        uint32_t elapsed = static_cast<uint32_t>((i + 1) * 80);
        int32_t want = elapsed < 1000   ? 1
                       : elapsed < 1500 ? 2
                       : elapsed < 2000 ? 3
                       : elapsed < 3000 ? 4
                       : elapsed < 4000 ? 6
                                        : 8;
        EXPECT_EQ(steps[i], want) << "tick " << i;
    }
    EXPECT_EQ(mover.StepAfter(0xFFFFFFFFu), 8u);
}

TEST_F(MouseMoveTest, SameDirectionStopsAnotherTurnsAndRestartsTheAcceleration) {
    CWinMouseMove mover(desktop, timers, clock, [] { return kMainWindow; });
    mover.StartMove(1, 0);
    Hold(2000);
    mover.StartMove(0, -1); // up: the timer keeps running, the acceleration starts again
    EXPECT_EQ(timers.sets, 1);
    desktop.inputs.clear();
    Hold(160);
    ASSERT_EQ(desktop.inputs.size(), 2u);
    EXPECT_EQ(desktop.inputs[0], InputRecord::Mouse(kMouseMove, 0, -1));

    mover.StartMove(0, -1); // the same again: stop
    EXPECT_FALSE(mover.IsMoving());
    EXPECT_TRUE(timers.timers.empty());
    desktop.inputs.clear();
    Hold(400);
    EXPECT_TRUE(desktop.inputs.empty());

    // Repeating the key alternately stops and starts it; diagonals move both ways.
    mover.StartMove(-1, 1);
    EXPECT_TRUE(mover.IsMoving());
    Hold(80);
    EXPECT_EQ(desktop.inputs.back(), InputRecord::Mouse(kMouseMove, -1, 1));
    mover.Stop();
    EXPECT_FALSE(mover.IsMoving());
    EXPECT_EQ(timers.kills, 2);
}

TEST_F(MouseMoveTest, TheTimerAlwaysServesTheFirstMover) {
    auto first = std::make_unique<CWinMouseMove>(desktop, timers, clock, [] { return kMainWindow; });
    CWinMouseMove second(desktop, timers, clock, [] { return kNoWindow; });
    second.StartMove(1, 0);
    EXPECT_EQ(timers.timers[kMouseMoveTimerId].window, kNoWindow);
    Hold(400);
    EXPECT_TRUE(desktop.inputs.empty()); // the first is not moving: the second never moves the pointer

    first->StartMove(0, 1);
    Hold(80);
    EXPECT_EQ(desktop.inputs.size(), 1u);
    EXPECT_EQ(desktop.inputs.back().dy, 1);

    // Once the first is gone its timer is dead and the remaining callbacks do nothing.
    first.reset();
    desktop.inputs.clear();
    Hold(400);
    EXPECT_TRUE(desktop.inputs.empty());
    second.Stop();
}

TEST_F(MouseMoveTest, AFailedTimerLeavesAMovementThatTheSameKeyEnds) {
    CWinMouseMove mover(desktop, timers, clock, [] { return kMainWindow; });
    timers.failSet = true;
    mover.StartMove(1, 0);
    EXPECT_TRUE(mover.IsMoving());
    mover.StartMove(1, 0);
    EXPECT_FALSE(mover.IsMoving());
    EXPECT_EQ(timers.kills, 0);
}

TEST_F(MouseMoveTest, TimerStepsRaceFreeWithCommands) {
    // The timer thread steps while the command thread turns and stops the movement.
    CWinMouseMove mover(desktop, timers, clock, [] { return kMainWindow; });
    mover.StartMove(1, 0);
    // Only the stepping thread touches the fake desktop; the command thread only the mover.
    std::atomic<bool> done{false};
    std::thread ui([&] {
        while (!done.load())
            CWinMouseMove::OnMoveTimer();
    });
    for (int i = 0; i < 2000; ++i) {
        mover.StartMove(i % 3 - 1, (i / 3) % 3 - 1);
        clock.Advance(1);
    }
    done.store(true);
    ui.join();
    mover.Stop();
    EXPECT_FALSE(mover.IsMoving());
}

TEST(MouseClick, ButtonsAndPointerShape) {
    FakeDesktop desktop;
    SendMouseClick(desktop, kClickLeft);
    SendMouseClick(desktop, kClickMiddle);
    SendMouseClick(desktop, kClickRight);
    SendMouseClick(desktop, kClickDouble);
    SendMouseClick(desktop, 4);
    std::vector<uint32_t> flags;
    for (const InputRecord& r : desktop.inputs) {
        EXPECT_EQ(r.kind, InputRecord::Kind::Mouse);
        EXPECT_EQ(r.dx, 0);
        EXPECT_EQ(r.dy, 0);
        flags.push_back(r.flags);
    }
    EXPECT_EQ(flags, (std::vector<uint32_t>{kMouseLeftDown, kMouseLeftUp, kMouseMiddleDown, kMouseMiddleUp,
                                            kMouseRightDown, kMouseRightUp, kMouseLeftDown, kMouseLeftUp,
                                            kMouseLeftDown, kMouseLeftUp}));

    EXPECT_TRUE(SetMouseCursor(desktop, kCursorHide));
    EXPECT_EQ(desktop.cursor, CursorShape::None);
    EXPECT_TRUE(SetMouseCursor(desktop, kCursorShow));
    EXPECT_EQ(desktop.cursor, CursorShape::Arrow);
    desktop.cursor = CursorShape::Other; // an application's own shape counts as set
    EXPECT_TRUE(SetMouseCursor(desktop, kCursorToggle));
    EXPECT_EQ(desktop.cursor, CursorShape::None);
    EXPECT_TRUE(SetMouseCursor(desktop, kCursorToggle));
    EXPECT_EQ(desktop.cursor, CursorShape::Arrow);
    EXPECT_TRUE(SetMouseCursor(desktop, kCursorToggle));
    EXPECT_TRUE(SetMouseCursor(desktop, kCursorToggle));
    EXPECT_EQ(desktop.cursor, CursorShape::Arrow);
    EXPECT_FALSE(SetMouseCursor(desktop, 3));
    EXPECT_FALSE(SetMouseCursor(desktop, -1));
}

} // namespace
} // namespace lm
