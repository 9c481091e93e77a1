// The command executors against real windows: the test target application in a process of its own and
// the shutdown warning dialog. (Notepad takes keys and text in the key path's tests.)
#include "WinTestSupport.h"

#include "TargetIds.h"
#include "base/Path.h"
#include "base/Text.h"
#include "exec/CmdExecutor.h"
#include "exec/DlgShutdownWarning.h"
#include "exec/MouseMove.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeExecServices.h"
#include "fakes/FakeStrings.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <thread>

namespace lm {
namespace {

using namespace wintest;

tagWINCMD Command(int32_t type, int32_t subtype, int32_t param = 0, int32_t param2 = 0) {
    tagWINCMD c;
    c.nType = type, c.nSubType = subtype, c.nParam = param, c.nParam2 = param2;
    return c;
}

class ExecWinTest : public ::testing::Test {
protected:
    int Run(int32_t type, int32_t subtype, int32_t param = 0, int32_t param2 = 0) {
        return exec.ExecuteCommand(Command(type, subtype, param, param2), &app);
    }
    // A plain window of this process in front of the others; its messages stay in the queue.
    HWND WindowInFront() {
        HWND front = CreateWindowExW(0, L"STATIC", L"In Front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                                     200, 100, nullptr, nullptr, nullptr, nullptr);
        EXPECT_TRUE(BringToFront(front));
        return front;
    }

    test::FakePower power;
    test::FakeShutdownWarning warning;
    test::FakeStrings strings;
    CCmdExecutor exec{tagEXECSERVICES{NativeWindows(), NativeInput(), NativeProcesses(), NativeShell(),
                                      NativePlatform().clock, NativePlatform().threads, NativeAudio(), power,
                                      warning, strings}};
    tagPRGINFO app = test::AppRecord(L"TargetApp.exe");
};

// The target application, found by its executable, logging what it receives.
class TargetAppTest : public ExecWinTest {
protected:
    void SetUp() override {
        log = NewTempDir(L"exec") + L"\\target.log";
        ASSERT_TRUE(target.Start(BinDir() + L"\\TargetApp.exe", L"-log \"" + log + L"\""));
        ASSERT_NE(window = target.WaitForWindow(kTargetClass), nullptr);
        ASSERT_TRUE(Logged("START " + std::to_string(target.Id())));
    }
    // The log holds these whole lines, one right after the other.
    bool Logged(const std::string& lines) {
        const std::string wanted = std::string(1, '\n').append(lines).append(1, '\n');
        auto found = [&] {
            return std::string(1, '\n').append(ReadFile(log)).find(wanted) != std::string::npos;
        };
        EXPECT_TRUE(WaitFor(found, 5000)) << lines << " not in\n" << ReadFile(log);
        return found();
    }
    ChildProcess target;
    std::wstring log;
    HWND window = nullptr;
};

TEST_F(TargetAppTest, ControlAndWindowCommandsReachAnotherProcess) {
    EXPECT_EQ(Run(CMD_CONTROL, CTL_MENUITEM, 201), 1);
    Logged("MENU 201");
    EXPECT_EQ(Run(CMD_CONTROL, CTL_BUTTON, kButtonId), 1);
    Logged("BUTTON 1001");
    EXPECT_EQ(Run(CMD_CONTROL, CTL_COMBOBOX, kComboId, 2), 1);
    Logged("COMBO 1002 1 2\nCOMBO 1002 9 2");
    EXPECT_EQ(Run(CMD_CONTROL, CTL_COMBOBOX, kComboId, 5), 1); // no such item
    EXPECT_EQ(SendMessageW(GetDlgItem(window, kComboId), CB_GETCURSEL, 0, 0), 2);
    // The ranges and positions of the other process's controls are read and set across the border.
    EXPECT_EQ(Run(CMD_CONTROL, CTL_SLIDER, kTrackbarId, 25), 1);
    Logged("HSCROLL 1003 5 75\nHSCROLL 1003 8 75");
    EXPECT_EQ(Run(CMD_CONTROL, CTL_SLIDER, kScrollId, -30), 1);
    Logged("HSCROLL 1004 5 20\nHSCROLL 1004 8 20");

    // Window commands.
    auto state = [&] { return (IsZoomed(window) ? 1 : 0) + (IsIconic(window) ? 2 : 0); };
    auto run = [&](int32_t subtype, int want) {
        EXPECT_EQ(Run(CMD_WINDOW, subtype), 1);
        return WaitFor([&] { return state() == want; }, 5000);
    };
    EXPECT_TRUE(run(WIN_MAXIMIZE, 1));
    Logged("SYSCOMMAND 0xF030");
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_GE(cursor.x, GetSystemMetrics(SM_CXSCREEN) - 1); // parked in the lower right corner
    EXPECT_TRUE(run(WIN_TOGGLE_MINIMIZE, 0));               // maximised: restored, not minimised
    EXPECT_TRUE(run(WIN_MINIMIZE, 2));
    EXPECT_TRUE(run(WIN_RESTORE, 0));
    Logged("SYSCOMMAND 0xF020\nSYSCOMMAND 0xF120");
    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_OPEN), 1);
    EXPECT_EQ(target.WaitExit(10000), 0u);
}

TEST_F(TargetAppTest, KeystrokesComeToTheFrontAndReachAModalDialog) {
    // The integrity levels of both processes are read; Wine gives every process the same (elevated)
    // token, so the target is never above this program and its keys are sent.
    uint32_t own = 0, other = 0;
    ASSERT_TRUE(NativeProcesses().IntegrityLevel(0, own));
    ASSERT_TRUE(NativeProcesses().IntegrityLevel(target.Id(), other));
    EXPECT_GE(own, uint32_t(kIntegrityMedium));
    EXPECT_EQ(other, own);
    EXPECT_FALSE(NativeProcesses().IntegrityLevel(0xFFFFFFF0u, other));

    HWND front = WindowInFront();
    EXPECT_EQ(Run(CMD_KEY, VK_F5, MOD_KEY_CTRL | MOD_KEY_SHIFT), 1);
    Logged("KEYDOWN 17\nKEYDOWN 16\nKEYDOWN 116\nKEYUP 116\nKEYUP 16\nKEYUP 17");
    EXPECT_EQ(GetForegroundWindow(), window);

    // The application of a command is not running: the keys go to the window in front.
    tagPRGINFO absent = test::AppRecord(L"absent.exe");
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_KEY, VK_F6), &absent), 1);
    Logged("KEYDOWN 117\nKEYUP 117");

    // A command for the target goes to its modal dialog: Escape closes the dialog, not the target.
    PostMessageW(window, WM_COMMAND, kCommandDialog, 0);
    Logged("DIALOG OPEN");
    const auto w = reinterpret_cast<WindowHandle>(window);
    ASSERT_TRUE(WaitFor([&] { return NativeWindows().EnabledPopup(w) != w; }));
    EXPECT_EQ(Run(CMD_KEY, VK_ESCAPE), 1);
    Logged("DIALOG END 2");
    EXPECT_TRUE(IsWindow(window));
    DestroyWindow(front);
}

// A Store app's frame, made of the target application copied under the frame host's name, with a window
// of this process put into it as the hosted app's.
TEST_F(ExecWinTest, AFrameHostsWindowStandsForTheProcessOfItsHostedChild) {
    const std::wstring host = NewTempDir(L"frame") + L"\\ApplicationFrameHost.exe";
    ASSERT_TRUE(CopyFileW((BinDir() + L"\\TargetApp.exe").c_str(), host.c_str(), TRUE));
    ChildProcess frameHost;
    ASSERT_TRUE(frameHost.Start(host, L""));
    HWND frame = frameHost.WaitForWindow(kTargetClass);
    ASSERT_NE(frame, nullptr);
    const auto handle = reinterpret_cast<WindowHandle>(frame);
    EXPECT_TRUE(SameText(PathFileName(WindowExecutablePath(NativeWindows(), NativeProcesses(), handle)),
                         L"ApplicationFrameHost.exe"));

    HWND hosted = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, frame, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(hosted, nullptr);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_TRUE(SameText(WindowExecutablePath(NativeWindows(), NativeProcesses(), handle), self));
    DestroyWindow(hosted);
}

TEST_F(ExecWinTest, TheShutdownWarningCountsDownAndOnlyOkOrTheEndConfirm) {
    CDlgShutdownWarning dialog(strings);
    DWORD start = GetTickCount();
    EXPECT_EQ(dialog.Run(2), kDialogOk);
    EXPECT_GE(GetTickCount() - start, 1900u);

    // The texts come from the string source.
    strings.texts[kIdsShutdownTitle] = L"Herunterfahren";
    strings.texts[kIdsShutdownText] = L"Gleich geht es aus ";
    auto endWith = [&](std::function<void(HWND)> action) {
        std::thread helper([&] {
            HWND found = nullptr;
            if (WaitFor([&] {
                    return (found = FindWindowW(nullptr, L"Herunterfahren")) && IsWindowVisible(found);
                }))
                action(found);
        });
        int32_t result = dialog.Run(15);
        helper.join();
        return result;
    };
    wchar_t text[64] = {};
    EXPECT_EQ(endWith([&](HWND d) {
                  GetDlgItemTextW(d, CDlgShutdownWarning::kIdcText, text, 64);
                  PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
              }),
              kDialogCancel);
    EXPECT_STREQ(text, L"Gleich geht es aus ");
    EXPECT_EQ(endWith([](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }), kDialogCancel);
    EXPECT_EQ(endWith([](HWND d) { PostMessageW(d, WM_COMMAND, IDOK, 0); }), kDialogOk);
    // Typed keys: Space and Enter press Cancel, which has the focus; Escape cancels.
    for (WORD vk : {VK_SPACE, VK_RETURN, VK_ESCAPE})
        EXPECT_EQ(endWith([vk](HWND d) {
                      EXPECT_TRUE(BringToFront(d));
                      NativeInput().SendInput(tagINPUTRECORD::Key(vk, false));
                      NativeInput().SendInput(tagINPUTRECORD::Key(vk, true));
                  }),
                  kDialogCancel)
            << vk;
}

TEST_F(ExecWinTest, MouseMoveRunsOnTheTimerOfTheCallingThread) {
    CWinMouseMove mover(NativeInput(), NativeTimers(), NativePlatform().clock, [] { return kNoWindow; });
    SetCursorPos(200, 200);
    mover.StartMove(1, 1);
    POINT at[2] = {}; // while moving, and after the same key stopped it (the timer runs only in the loop)
    for (POINT& p : at) {
        for (DWORD end = GetTickCount() + 600; GetTickCount() < end; Sleep(10))
            for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
                DispatchMessageW(&msg);
        GetCursorPos(&p);
        mover.StartMove(1, 1);
    }
    EXPECT_TRUE(at[0].x > 200 && at[0].y > 200) << at[0].x << "," << at[0].y;
    EXPECT_TRUE(at[1].x == at[0].x && at[1].y == at[0].y);
}

TEST_F(ExecWinTest, VolumeCommandsWithoutASoundDevice) {
    // The results do not depend on the device.
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_VOLUME, -10), 1);
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_MUTE, MUTE_TOGGLE), 0);
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_MUTE, MUTE_TOGGLE), 0);
}

} // namespace
} // namespace lm
