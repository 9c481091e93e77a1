// Continuous, accelerating pointer movement, clicks and the pointer shape.
#pragma once
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Input.h"
#include "platform/Timer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

namespace lm {

constexpr uintptr_t kMouseMoveTimerId = 293;
constexpr uint32_t kMouseMoveTimerPeriod = 80;

// A movement started by one key press and ended by the same key or any other command. The timer runs on
// the main window's thread while commands arrive on the dispatcher's thread, so every value the timer
// reads is atomic.
class CWinMouseMove {
public:
    struct tagACCEL {
        uint32_t timeLimit; // ms since the movement started
        uint32_t step;      // units per tick below that limit
    };
    static constexpr std::array<tagACCEL, 7> kDefaultAcceleration = {
        {{500, 1}, {1000, 1}, {1500, 2}, {2000, 3}, {3000, 4}, {4000, 6}, {5000, 8}}};

    // mainWindow names the window whose thread runs the timer (none: the calling thread).
    CWinMouseMove(IInput& input, ITimers& timers, IClock& clock, std::function<WindowHandle()> mainWindow);
    virtual ~CWinMouseMove();
    CWinMouseMove(const CWinMouseMove&) = delete;
    CWinMouseMove& operator=(const CWinMouseMove&) = delete;

    // Starts a movement in the direction (-1, 0 or +1 each; y grows downwards), turns a running one, or
    // ends it when the direction is the current one.
    void StartMove(int32_t x, int32_t y);
    // Ends a running movement.
    void Stop();
    bool IsMoving() const { return moving_.load() != 0; }
    void SetAcceleration(const std::array<tagACCEL, 7>& table) { acceleration_ = table; }

    // The timer callback. It always serves the first mover of the process.
    static void OnMoveTimer();
    // The step of the acceleration table after `elapsed` ms.
    uint32_t StepAfter(uint32_t elapsed) const;

private:
    void Step();
    static int32_t Pack(int32_t x, int32_t y) {
        return static_cast<int32_t>(((x & 0xFFFF) << 16) | (y & 0xFFFF));
    }

    IInput& input_;
    ITimers& timers_;
    IClock& clock_;
    std::function<WindowHandle()> mainWindow_;
    // Both directions in one word so a step never sees half a turn.
    std::atomic<int32_t> direction_{0};
    std::atomic<int32_t> moving_{0};
    std::array<tagACCEL, 7> acceleration_ = kDefaultAcceleration;
    std::atomic<uint32_t> lastStep_{0};
    std::atomic<uint32_t> start_{0};
    // Only the command thread touches these.
    uintptr_t timerId_ = 0;
    WindowHandle timerWindow_ = kNoWindow;
};

enum : int32_t { kClickLeft = 0, kClickMiddle = 1, kClickRight = 2, kClickDouble = 3 };
enum : int32_t { kCursorHide = 0, kCursorShow = 1, kCursorToggle = 2 };

// Button events where the pointer is; other values send nothing.
void SendMouseClick(IInput& input, int32_t button);
// Hides, shows or toggles the pointer shape; false for an unknown mode.
bool SetMouseCursor(IInput& input, int32_t mode);

} // namespace lm
