// How long the window search takes over 20 and 200 top-level windows of another process. Prints the
// figures; the assertion only guards against a search that got far slower than it should be.
#include "ExecWinSupport.h"

#include "exec/FindWindow.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace lm {
namespace {

using wintest::WaitFor;

// Starts a program that shows `windows` top-level windows; ends it by its process ID.
class WindowFarm {
public:
    WindowFarm(const std::wstring& exe, const std::wstring& arguments) {
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        started_ = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &pi_) != FALSE;
    }
    ~WindowFarm() {
        if (!started_)
            return;
        TerminateProcess(pi_.hProcess, 0);
        WaitForSingleObject(pi_.hProcess, 5000);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
    bool Started() const { return started_; }
    DWORD ProcessId() const { return pi_.dwProcessId; }
    int VisibleWindows() const {
        std::pair<DWORD, int> counted{pi_.dwProcessId, 0};
        EnumWindows(
            [](HWND h, LPARAM p) -> BOOL {
                auto* c = reinterpret_cast<std::pair<DWORD, int>*>(p);
                DWORD pid = 0;
                GetWindowThreadProcessId(h, &pid);
                if (pid == c->first && IsWindowVisible(h))
                    ++c->second;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&counted));
        return counted.second;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION pi_{};
};

double MillisecondsPerSearch(const std::wstring& caption, const std::wstring& exe, WindowHandle& found) {
    CLMFindWindow finder(NativeDesktop());
    constexpr int kRounds = 20;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i)
        found = finder.FindWindow(caption, exe, false);
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return took.count() / kRounds;
}

TEST(FindWindowTiming, TwentyAndTwoHundredWindowsOfTheTargetApplication) {
    const std::wstring exe = wintest::BinDir() + L"\\TargetApp.exe";
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no TargetApp beside the tests";
    for (int windows : {20, 200}) {
        WindowFarm farm(exe, L"-windows " + std::to_wstring(windows));
        ASSERT_TRUE(farm.Started());
        ASSERT_TRUE(WaitFor([&] { return farm.VisibleWindows() >= windows; }, 30000))
            << farm.VisibleWindows();
        WindowHandle found =
            CLMFindWindow(NativeDesktop()).FindWindow(L"", L"targetapp.exe", false); // warm-up
        double byExe = MillisecondsPerSearch(L"", L"targetapp.exe", found);
        EXPECT_EQ(NativeDesktop().WindowProcessId(found), farm.ProcessId());
        double missing = MillisecondsPerSearch(L"", L"absentapp.exe", found);
        EXPECT_EQ(found, kNoWindow);
        std::printf(
            "FindWindow over %d TargetApp windows: by executable %.3f ms, executable not running %.3f ms\n",
            windows, byExe, missing);
        EXPECT_LT(byExe, 1000.0);
    }
}

} // namespace
} // namespace lm
