// Periodic timers that run on a window's thread.
#pragma once
#include "platform/Desktop.h"

#include <cstdint>
#include <functional>

namespace lm {

class ITimers {
public:
    virtual ~ITimers() = default;
    // Starts a periodic timer for the window; its callback runs on the thread that owns the window
    // (the calling thread when there is no window), while that thread dispatches messages. Returns the
    // timer's identifier, 0 on failure.
    virtual uintptr_t SetTimer(WindowHandle window, uintptr_t id, uint32_t periodMs,
                               std::function<void()> callback) = 0;
    virtual bool KillTimer(WindowHandle window, uintptr_t id) = 0;
};

ITimers& NativeTimers();

} // namespace lm
