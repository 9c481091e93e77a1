// The window search against the test target application's window farm, side by side with a bare walk
// over the system calls that gives the same result: the difference is the program's own share. (The key
// path as a whole is the area "keypath".)
#include "Timing.h"
#include "WinTestSupport.h"

#include "TargetIds.h"
#include "base/Text.h"
#include "exec/CmdExecutor.h"
#include "platform/Platform.h"
#include "support/LMDebug.h"

#include <set>

namespace lm {
namespace {

using namespace wintest;

// A search by executable alone written as one plain walk: the first visible, unowned window with a
// caption of a process whose image contains the name, one image query per process.
HWND BareSearch(const std::wstring& exe) {
    std::pair<std::set<DWORD>, HWND> walk; // processes done, the window found
    auto visit = [&](HWND h) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (walk.first.count(pid))
            return true;
        wchar_t text[MAX_PATH * 4];
        DWORD size = MAX_PATH * 4;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        bool match = process && QueryFullProcessImageNameW(process, 0, text, &size) &&
                     TextToLower(text).find(exe) != std::wstring::npos;
        if (process)
            CloseHandle(process);
        if (match && (!IsWindowVisible(h) || GetParent(h) || !GetClassNameW(h, text, 260) ||
                      std::wcscmp(text, L"AFX:400000:8:10011:0:2ed014d") == 0))
            return true;
        walk.first.insert(pid);
        walk.second = match && GetWindowTextW(h, text, 260) > 0 ? h : nullptr;
        return walk.second == nullptr;
    };
    EnumWindows([](HWND h, LPARAM v) -> BOOL { return (*reinterpret_cast<decltype(visit)*>(v))(h); },
                reinterpret_cast<LPARAM>(&visit));
    return walk.second;
}

void WindowSearch(timing::Timer& timer) {
    TraceInitEx(3);
    for (int windows : {20, 200}) {
        ChildProcess farm;
        farm.Start(BinDir() + L"\\TargetApp.exe", L"-windows " + std::to_wstring(windows));
        const std::wstring last = L"Lumora Test Target " + std::to_wstring(windows);
        if (!farm.WaitForWindow(kTargetClass) || !WaitFor([&] { return FindWindowW(nullptr, last.c_str()); }))
            return (void)std::printf("no window farm\n");
        CLMFindWindow finder(NativeWindows(), NativeProcesses());
        for (const wchar_t* exe : {L"targetapp.exe", L"absent.exe"}) {
            if (reinterpret_cast<HWND>(finder.FindWindow(L"", exe, false)) != BareSearch(exe))
                std::printf("the searches disagree\n");
            const std::string what = " over " + std::to_string(windows) + " target windows, " + ToUtf8(exe);
            timer.SideBySide(200, {{"FindWindow" + what, [&] { finder.FindWindow(L"", exe, false); }},
                                   {"bare loop" + what, [&] { BareSearch(exe); }}});
        }
    }
}

// What the check for a target that runs as administrator adds to every keystroke and control command:
// the integrity levels of this process and the target's, beside the one SendInput of a key event.
void ElevationCheck(timing::Timer& timer) {
    ChildProcess target;
    target.Start(BinDir() + L"\\TargetApp.exe", L"");
    HWND window = target.WaitForWindow(kTargetClass);
    if (!window)
        return (void)std::printf("no target window\n");
    CElevatedTargets elevated(NativeWindows(), NativeProcesses());
    const auto handle = reinterpret_cast<WindowHandle>(window);
    timer.SideBySide(500, {{"elevation check of the target", [&] { elevated.IsRefused(handle); }},
                           {"one key event (SendInput, Shift up)",
                            [] { NativeInput().SendInput(tagINPUTRECORD::Key(kVkShift, true)); }}});
}

} // namespace
} // namespace lm

LM_TIMING_AREA(exec) {
    std::printf(" window search\n");
    lm::WindowSearch(timer);
    std::printf(" check for targets that run as administrator\n");
    lm::ElevationCheck(timer);
}
