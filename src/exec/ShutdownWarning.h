// The warning before a power action: a count-down that the user can cancel.
#pragma once
#include <cstdint>

namespace lm {

enum : int32_t { kDialogOk = 1, kDialogCancel = 2 };

// Shows the warning modally on the calling thread; kDialogOk when the count-down expired or OK was
// pressed, kDialogCancel when it was cancelled, another value when it could not be shown.
class IShutdownWarning {
public:
    virtual ~IShutdownWarning() = default;
    virtual int32_t Run(int32_t seconds) = 0;
};

// The progress of the count-down, one step per timer tick.
class CShutdownCountdown {
public:
    explicit CShutdownCountdown(int32_t length) : length_(length) {}
    int32_t Length() const { return length_; }
    int32_t Position() const { return position_; }
    // One second passed: true when the count-down has expired (the position then stays where it was).
    bool Tick() {
        int32_t next = position_ + 1;
        if (next == length_)
            return true;
        position_ = next;
        return false;
    }

private:
    int32_t length_;
    int32_t position_ = 0;
};

// Timer of the warning dialog.
constexpr uintptr_t kShutdownTimerId = 819;
constexpr uint32_t kShutdownTimerPeriod = 1000;
constexpr int32_t kShutdownSeconds = 15;

} // namespace lm
