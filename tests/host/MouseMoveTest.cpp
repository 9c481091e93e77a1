#include "exec/MouseMove.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeExecServices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace lm {
namespace {

class MouseMoveTest : public ::testing::Test {
protected:
    static constexpr WindowHandle kMainWindow = 0x5000;

    // Ticks the timer every 80 ms for `ms` and returns the pointer's move of each tick.
    std::vector<std::pair<int32_t, int32_t>> Hold(uint32_t ms) {
        std::vector<std::pair<int32_t, int32_t>> moves;
        for (uint32_t t = 0; t < ms; t += kMouseMoveTimerPeriod) {
            clock.Advance(kMouseMoveTimerPeriod);
            const int32_t x = input.x, y = input.y;
            timers.FireAll();
            if (input.x != x || input.y != y)
                moves.emplace_back(input.x - x, input.y - y);
        }
        return moves;
    }
    test::FakeInput input;
    test::FakeTimers timers;
    test::FakeClock clock;
};

TEST_F(MouseMoveTest, HeldMovementAcceleratesByTheTable) {
    CWinMouseMove mover(input, timers, clock, [] { return kMainWindow; });
    clock.Set(1000);
    mover.StartMove(1, 0);
    ASSERT_EQ(timers.timers.count(kMouseMoveTimerId), 1u);
    EXPECT_EQ(std::get<0>(timers.timers[kMouseMoveTimerId]), kMainWindow);
    EXPECT_EQ(std::get<1>(timers.timers[kMouseMoveTimerId]), 80u);

    // Tick n fires at n * 80 ms: below 1000 ms step 1, then 2, 3, 4, 6 and from 4000 ms 8.
    std::vector<std::pair<int32_t, int32_t>> want;
    for (auto [ticks, step] : {std::pair{12, 1}, {6, 2}, {6, 3}, {13, 4}, {12, 6}, {26, 8}})
        want.insert(want.end(), ticks, {step, 0});
    EXPECT_EQ(Hold(6000), want);
}

TEST_F(MouseMoveTest, SameDirectionStopsAnotherTurnsAndRestartsTheAcceleration) {
    CWinMouseMove mover(input, timers, clock, [] { return kMainWindow; });
    mover.StartMove(1, 0);
    Hold(2000);
    mover.StartMove(0, -1); // up: the acceleration starts again
    EXPECT_EQ(Hold(160), (std::vector<std::pair<int32_t, int32_t>>{{0, -1}, {0, -1}}));
    mover.StartMove(0, -1); // the same again: stop
    EXPECT_FALSE(mover.IsMoving());
    EXPECT_TRUE(timers.timers.empty());
    EXPECT_TRUE(Hold(400).empty());

    // Repeating the key alternately starts and stops it; diagonals move both ways.
    mover.StartMove(-1, 1);
    EXPECT_EQ(Hold(80), (std::vector<std::pair<int32_t, int32_t>>{{-1, 1}}));
    mover.Stop();
    EXPECT_FALSE(mover.IsMoving());
    EXPECT_TRUE(timers.timers.empty());

    // A timer that cannot be started leaves a movement that the same key ends.
    timers.failSet = true;
    mover.StartMove(1, 0);
    EXPECT_TRUE(mover.IsMoving());
    mover.StartMove(1, 0);
    EXPECT_FALSE(mover.IsMoving());
}

TEST_F(MouseMoveTest, TheTimerAlwaysServesTheFirstMover) {
    auto first = std::make_unique<CWinMouseMove>(input, timers, clock, [] { return kMainWindow; });
    CWinMouseMove second(input, timers, clock, [] { return kNoWindow; });
    second.StartMove(1, 0);
    EXPECT_EQ(std::get<0>(timers.timers[kMouseMoveTimerId]), kNoWindow);
    EXPECT_TRUE(Hold(400).empty()); // the first is not moving: the second never moves the pointer
    first->StartMove(0, 1);
    EXPECT_EQ(Hold(80).size(), 1u);
    // Once the first is gone the callbacks do nothing, although the second still moves.
    first.reset();
    const int32_t x = input.x, y = input.y;
    CWinMouseMove::OnMoveTimer();
    EXPECT_TRUE(input.x == x && input.y == y && second.IsMoving());
}

TEST_F(MouseMoveTest, TimerStepsRaceFreeWithCommands) {
    CWinMouseMove mover(input, timers, clock, [] { return kMainWindow; });
    // The timer thread steps while the command thread turns and stops the movement.
    mover.StartMove(1, 0);
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
    test::FakeInput input;
    for (int32_t button = kClickLeft; button <= kClickDouble + 1;
         ++button) // left, middle, right, double, none
        SendMouseClick(input, button);
    EXPECT_EQ(input.buttons, L"LlMmRrLlLl");
    EXPECT_EQ(input.x + input.y, 0);

    EXPECT_TRUE(SetMouseCursor(input, kCursorHide));
    EXPECT_EQ(input.cursor, CursorShape::None);
    EXPECT_TRUE(SetMouseCursor(input, kCursorShow));
    EXPECT_EQ(input.cursor, CursorShape::Arrow);
    input.cursor = CursorShape::Other; // an application's own shape counts as set
    EXPECT_TRUE(SetMouseCursor(input, kCursorToggle));
    EXPECT_EQ(input.cursor, CursorShape::None);
    EXPECT_TRUE(SetMouseCursor(input, kCursorToggle));
    EXPECT_EQ(input.cursor, CursorShape::Arrow);
    EXPECT_FALSE(SetMouseCursor(input, 3));
    EXPECT_FALSE(SetMouseCursor(input, -1));
}

} // namespace
} // namespace lm
