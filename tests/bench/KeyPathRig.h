// The key path for the timing of both builds: a source is handed a receiver code on the calling thread
// (as its polling thread would), the dispatcher's handler thread runs the command of the key in the
// command set of one application, and the time is taken when the last input record of its keystroke
// has left SendInput. Two keys alternate so that each passes the repeat filter as a new key.
#pragma once
#include "app/KeyDispatch.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeKnownFolders.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeStrings.h"
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
        if ((input.flags & kKeyEventKeyUp) && input.vk > kVkCapital) {
            last = Clock::now();
            keys.fetch_add(1);
            keys.notify_all();
        }
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

class KeyPathRig {
public:
    // The desktop's services but the input, which the rig wraps; `executable` runs the application. The
    // key sound is looked for in the Windows folder of `folders`.
    KeyPathRig(tagEXECSERVICES desktop, const std::wstring& executable, IOsdDisplay* display, ISound& sound,
               IKnownFolders& folders)
        : input_(desktop.input), desktop_(Stamped(desktop)) {
        files_.Put(L"/rc/RemoteControl.usr", "\xEF\xBB\xBF[Software]\n0=Target\n");
        files_.Put(L"/rc/RemoteControl.ini", "\xEF\xBB\xBF[Target]\nExecutable=" + ToUtf8(executable) +
                                                 "\n221=  3,116,    0,  0,  0,1000,200,\"F5\",\"\",\"\"\n"
                                                 "220=  3,117,    0,  0,  0,1000,200,\"F6\",\"\",\"\"\n");
        handler_ = std::make_unique<CCmdSetHandler>(
            tagCMDSETSERVICES{profiles_, registry_, folders_, strings_, keyNames_, catalog_},
            tagCMDSETFILES{L"/rc/RemoteControl.ini", L"/rc/RemoteControl.usr"},
            tagHANDLERSERVICES{desktop_, timers_, nullptr, display, true});
        handler_->LoadAppList();
        dispatcher_ = std::make_unique<CKeyDispatcher>(tagDISPATCHSERVICES{
            *handler_, settings_, display, sound, desktop.threads, desktop.clock, folders});
        dispatcher_->SetReady(true);
        source_.Init(dispatcher_.get(), CKeyDispatcher::IrEventCallback);
    }

    // One key; its time from the code to the last record in microseconds. Without the cached window the
    // handler searches for the application's window first. Then the handler thread ends, as between two
    // key presses.
    double Key(bool cached) {
        if (!cached)
            handler_->ForgetWindow();
        const uint32_t before = input_.keys.load();
        const auto start = Clock::now();
        source_.HandleIrEvent((++n_ & 1) ? 0x1B : 0x1F, 0);
        for (uint32_t seen = before; seen == before; seen = input_.keys.load())
            input_.keys.wait(seen);
        const double us = std::chrono::duration<double, std::micro>(input_.last - start).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return us;
    }
    CKeyDispatcher& Dispatcher() { return *dispatcher_; }

private:
    tagEXECSERVICES Stamped(tagEXECSERVICES desktop) {
        return tagEXECSERVICES{desktop.windows, input_,          desktop.processes, desktop.shell,
                               desktop.clock,   desktop.threads, desktop.audio,     desktop.power,
                               desktop.warning, desktop.strings};
    }
    struct NoTimers final : ITimers {
        uintptr_t SetTimer(WindowHandle, uintptr_t, uint32_t, std::function<void()>) override { return 0; }
        bool KillTimer(WindowHandle, uintptr_t) override { return false; }
    };

    StampedInput input_;
    tagEXECSERVICES desktop_;
    test::FakeFileSystem files_;
    CProfileStore profiles_{files_};
    test::FakeRegistry registry_;
    test::FakeKnownFolders folders_;
    test::FakeStrings strings_;
    CKeyNames keyNames_;
    CAppCatalog catalog_;
    NoTimers timers_;
    struct : IFirstRun {
        void AutoFindApps() override {}
    } firstRun_;
    CLMRegistry settingsKey_{registry_, RegistryHive::CurrentUser, L"Software\\Lumora\\Remote Control"};
    CSettings settings_{settingsKey_, firstRun_, L"RC.exe"};
    std::unique_ptr<CCmdSetHandler> handler_;
    std::unique_ptr<CKeyDispatcher> dispatcher_;
    CSrc source_{tagSRCSERVICES{NativePlatform().clock, NativePlatform().threads, nullptr}, L"Rig",
                 kRemoteModel64};
    uint32_t n_ = 0;
};

} // namespace lm::bench
