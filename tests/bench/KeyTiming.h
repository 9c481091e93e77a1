// Times keys on the key path: a source is handed a receiver code on the calling thread (as its polling
// thread would), and the time is taken when the last input record of the keystroke has left SendInput.
// Two keys alternate, so that each passes the repeat filter as a new key; the application's command set
// binds them to F5 and F6.
#pragma once
#include "common/KeyPathRig.h"
#include "platform/Platform.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace lm::bench {

using Clock = std::chrono::steady_clock;

// The input seam, noting when a key other than a modifier went up.
class StampedInput final : public IInput {
public:
    explicit StampedInput(IInput& inner) : inner_(inner) {}
    uint16_t KeyState(int32_t vk) override { return inner_.KeyState(vk); }
    uint16_t CharToVirtualKey(wchar_t ch) override { return inner_.CharToVirtualKey(ch); }
    uint32_t SendInput(const tagINPUTRECORD& input) override {
        const uint32_t sent = inner_.SendInput(input);
        if ((input.flags & kKeyEventKeyUp) && input.vk > kVkCapital)
            last = Clock::now(), keys.fetch_add(1), keys.notify_all();
        return sent;
    }
    bool SetCursorPos(int32_t x, int32_t y) override { return inner_.SetCursorPos(x, y); }
    CursorShape Cursor() override { return inner_.Cursor(); }
    void SetCursor(CursorShape shape) override { inner_.SetCursor(shape); }
    void MaximizedSize(int32_t& cx, int32_t& cy) override { inner_.MaximizedSize(cx, cy); }

    Clock::time_point last;
    std::atomic<uint32_t> keys{0};

private:
    IInput& inner_;
};

class KeyTimer {
public:
    // The system's services but the input, which the timer wraps; `executable` runs the application.
    KeyTimer(const tagEXECSERVICES& exec, IOsdDisplay* display, ISound& sound, IKnownFolders& folders,
             const std::wstring& executable)
        : input_(exec.input), rig_({exec.windows, input_, exec.processes, exec.shell, exec.clock,
                                    exec.threads, exec.audio, exec.power, exec.warning, exec.strings},
                                   sound, folders,
                                   L"[Target]\nExecutable=" + executable +
                                       L"\n221=3,116,0,0,0,1000,200,F5,,\n220=3,117,0,0,0,1000,200,F6,,\n",
                                   L"[Software]\n0=Target\n") {
        rig_.dispatcher->AttachDisplay(display);
        source_.Init(rig_.dispatcher.get(), CKeyDispatcher::IrEventCallback);
    }

    // One key's time from the code to the last record, in microseconds. Without the cached window the
    // handler searches for the application's window first. Then a pause, as between two key presses.
    double Key(bool cached) {
        if (!cached)
            rig_.handler->ForgetWindow();
        const uint32_t before = input_.keys.load();
        const auto start = Clock::now();
        source_.HandleIrEvent((++n_ & 1) ? 0x1B : 0x1F, 0);
        for (uint32_t seen = before; seen == before; seen = input_.keys.load())
            input_.keys.wait(seen);
        const double us = std::chrono::duration<double, std::micro>(input_.last - start).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return us;
    }

private:
    StampedInput input_;
    test::KeyPathRig rig_;
    CSrc source_{tagSRCSERVICES{NativePlatform().clock, NativePlatform().threads, nullptr}, L"Timer",
                 kRemoteModel64};
    uint32_t n_ = 0;
};

} // namespace lm::bench
