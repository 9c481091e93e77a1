#include "exec/MouseMove.h"

#include <mutex>

namespace lm {

namespace {
// The first mover serves every timer callback. The lock keeps a mover from being destroyed while a
// callback on the user-interface thread is using it; the command thread never takes it.
std::mutex gFirstLock;
CWinMouseMove* gFirst = nullptr;
} // namespace

CWinMouseMove::CWinMouseMove(IInput& input, ITimers& timers, IClock& clock,
                             std::function<WindowHandle()> mainWindow)
    : input_(input), timers_(timers), clock_(clock), mainWindow_(std::move(mainWindow)) {
    std::lock_guard lock(gFirstLock);
    if (!gFirst)
        gFirst = this;
}

CWinMouseMove::~CWinMouseMove() {
    Stop();
    std::lock_guard lock(gFirstLock);
    if (gFirst == this)
        gFirst = nullptr;
}

void CWinMouseMove::StartMove(int32_t x, int32_t y) {
    const int32_t direction = Pack(x, y);
    if (moving_.load() && direction_.load() == direction) {
        Stop();
        return;
    }
    direction_.store(direction);
    start_.store(clock_.TickCount()); // a new direction starts the acceleration again
    if (!moving_.load()) {
        moving_.store(1);
        timerWindow_ = mainWindow_ ? mainWindow_() : kNoWindow;
        timerId_ = timers_.SetTimer(timerWindow_, kMouseMoveTimerId, kMouseMoveTimerPeriod,
                                    &CWinMouseMove::OnMoveTimer);
    }
}

void CWinMouseMove::Stop() {
    if (timerId_ != 0)
        timers_.KillTimer(timerWindow_, timerId_);
    timerId_ = 0;
    moving_.store(0);
}

uint32_t CWinMouseMove::StepAfter(uint32_t elapsed) const {
    for (const tagACCEL& pair : acceleration_)
        if (pair.timeLimit > elapsed)
            return pair.step;
    return acceleration_.back().step;
}

void CWinMouseMove::OnMoveTimer() {
    std::lock_guard lock(gFirstLock);
    if (gFirst)
        gFirst->Step();
}

void CWinMouseMove::Step() {
    if (!moving_.load())
        return;
    const uint32_t now = clock_.TickCount();
    const int32_t step = static_cast<int32_t>(StepAfter(now - start_.load()));
    const int32_t direction = direction_.load();
    const int32_t x = static_cast<int16_t>(static_cast<uint32_t>(direction) >> 16);
    const int32_t y = static_cast<int16_t>(direction & 0xFFFF);
    input_.SendInput(tagINPUTRECORD::Mouse(kMouseMove, x * step, y * step));
    lastStep_.store(now);
}

void SendMouseClick(IInput& input, int32_t button) {
    auto press = [&](uint32_t downFlag, uint32_t upFlag) {
        input.SendInput(tagINPUTRECORD::Mouse(downFlag));
        input.SendInput(tagINPUTRECORD::Mouse(upFlag));
    };
    switch (button) {
    case kClickLeft:
        press(kMouseLeftDown, kMouseLeftUp);
        break;
    case kClickMiddle:
        press(kMouseMiddleDown, kMouseMiddleUp);
        break;
    case kClickRight:
        press(kMouseRightDown, kMouseRightUp);
        break;
    case kClickDouble:
        press(kMouseLeftDown, kMouseLeftUp);
        press(kMouseLeftDown, kMouseLeftUp);
        break;
    default:
        break;
    }
}

bool SetMouseCursor(IInput& input, int32_t mode) {
    switch (mode) {
    case kCursorHide:
        input.SetCursor(CursorShape::None);
        return true;
    case kCursorShow:
        input.SetCursor(CursorShape::Arrow);
        return true;
    case kCursorToggle:
        input.SetCursor(input.Cursor() != CursorShape::None ? CursorShape::None : CursorShape::Arrow);
        return true;
    default:
        return false;
    }
}

} // namespace lm
