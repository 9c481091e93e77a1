// The key path under Wine against the test target application's real window: from a receiver code
// handed to the source to the last input record of the keystroke leaving SendInput, with the window
// cached by the handler and searched for anew, in turns with the bare SendInput of the same two records.
// The program's own work is the key path's time less the bare calls'. Once with the key sound (the
// system's) and the real display window on a user-interface thread, once without either.
#include "Timing.h"
#include "WinTestSupport.h"

#include "TargetIds.h"
#include "bench/KeyTiming.h"
#include "fakes/FakeExecServices.h"
#include "fakes/FakeSound.h"
#include "osd/OsdDlg.h"
#include "support/LMDebug.h"

namespace lm {
namespace {

using namespace wintest;

void KeyPathTiming(timing::Timer& timer) {
    TraceInitEx(3);
    ChildProcess target;
    target.Start(BinDir() + L"\\TargetApp.exe", L"");
    HWND window = target.WaitForWindow(kTargetClass);
    if (!window || !BringToFront(window))
        return (void)std::printf("no target window in front\n");
    UiThread ui;
    std::unique_ptr<COsdDlg> osd;
    ui.Run([&] { (osd = std::make_unique<COsdDlg>(NativePlatform().clock, tagOSDSETTINGS{}))->Create(); });
    test::FakePower power;
    test::FakeShutdownWarning warning;
    test::FakeStrings strings;
    test::FakeSound silent;
    INPUT records[2] = {};
    records[0].type = records[1].type = INPUT_KEYBOARD;
    records[0].ki.wVk = records[1].ki.wVk = VK_F5;
    records[1].ki.dwFlags = KEYEVENTF_KEYUP;
    for (bool feedback : {true, false}) {
        bench::KeyTimer keys(
            {NativeWindows(), NativeInput(), NativeProcesses(), NativeShell(), NativePlatform().clock,
             NativePlatform().threads, NativeAudio(), power, warning, strings},
            feedback ? osd.get() : nullptr, feedback ? NativeSound() : static_cast<ISound&>(silent),
            NativeKnownFolders(), L"TargetApp.exe");
        std::vector<double> cached, searched, bare;
        for (int round = -1; round < 1000; ++round) {
            const double c = keys.Key(true), s = keys.Key(false);
            const auto start = bench::Clock::now();
            for (INPUT& r : records)
                SendInput(1, &r, sizeof(INPUT));
            const double b = std::chrono::duration<double, std::micro>(bench::Clock::now() - start).count();
            if (round >= 0)
                cached.push_back(c), searched.push_back(s), bare.push_back(b);
        }
        std::printf(feedback ? " with the key sound and the display\n" : " without sound and display\n");
        timer.Samples("code to last record, window cached", cached);
        timer.Samples("code to last record, window searched", searched);
        timer.Samples("bare SendInput of the same records", bare);
    }
    ui.Run([&] { osd.reset(); });
}

} // namespace
} // namespace lm

LM_TIMING_AREA(keypath) {
    lm::KeyPathTiming(timer);
}
