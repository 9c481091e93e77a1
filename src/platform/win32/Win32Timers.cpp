// Timers with callbacks, run by the message loop of the window's thread.
#include "platform/Timer.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <map>
#include <mutex>
#include <utility>

namespace lm {
namespace {

class Win32Timers final : public ITimers {
public:
    uintptr_t SetTimer(WindowHandle window, uintptr_t id, uint32_t periodMs,
                       std::function<void()> callback) override {
        std::lock_guard lock(mutex_);
        UINT_PTR result = ::SetTimer(reinterpret_cast<HWND>(window), id, periodMs, &Win32Timers::Proc);
        if (result != 0) {
            // With a window the timer keeps the given identifier; without one the system picks one.
            uintptr_t key = window != kNoWindow ? id : result;
            callbacks_[{window, key}] = std::move(callback);
        }
        return result;
    }
    bool KillTimer(WindowHandle window, uintptr_t id) override {
        std::lock_guard lock(mutex_);
        callbacks_.erase({window, id});
        return ::KillTimer(reinterpret_cast<HWND>(window), id) != FALSE;
    }

private:
    static void CALLBACK Proc(HWND window, UINT, UINT_PTR id, DWORD);

    std::mutex mutex_;
    std::map<std::pair<WindowHandle, uintptr_t>, std::function<void()>> callbacks_;
};

Win32Timers& Instance() {
    static Win32Timers timers;
    return timers;
}

void CALLBACK Win32Timers::Proc(HWND window, UINT, UINT_PTR id, DWORD) {
    Win32Timers& self = Instance();
    std::function<void()> callback;
    {
        std::lock_guard lock(self.mutex_);
        auto it = self.callbacks_.find({reinterpret_cast<WindowHandle>(window), id});
        if (it == self.callbacks_.end())
            return;
        callback = it->second;
    }
    callback(); // outside the lock: the callback may start or stop timers
}

} // namespace

ITimers& NativeTimers() {
    return Instance();
}

} // namespace lm
