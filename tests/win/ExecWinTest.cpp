// The command executors against real windows: test windows of this process on their own
// user-interface thread, the system's notepad, and the shutdown warning dialog.
#include "ExecWinSupport.h"

#include "exec/CmdExecutor.h"
#include "exec/DlgShutdownWarning.h"
#include "exec/FindWindow.h"
#include "exec/MouseMove.h"
#include "exec/Volume.h"
#include "platform/Platform.h"
#include "platform/Timer.h"
#include "base/Text.h"

#include "fakes/FakeExecServices.h"

#include <commctrl.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace lm {
namespace {

using wintest::UiThread;
using wintest::WaitFor;

WindowHandle W(HWND h) {
    return reinterpret_cast<WindowHandle>(h);
}

// What the test window received.
struct Received {
    std::mutex mutex;
    std::vector<std::wstring> lines;
    void Add(const std::wstring& line) {
        std::lock_guard lock(mutex);
        lines.push_back(line);
        if (file) {
            std::fprintf(file, "%ls\n", line.c_str());
            std::fflush(file);
        }
    }
    FILE* file = nullptr; // the host process also writes every line here
    std::vector<std::wstring> Take() {
        std::lock_guard lock(mutex);
        return std::exchange(lines, {});
    }
    bool Has(const std::wstring& line) {
        std::lock_guard lock(mutex);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};
Received gReceived;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    wchar_t line[128];
    switch (message) {
    case WM_COMMAND:
        swprintf(line, 128, L"command %u %u", LOWORD(wParam), HIWORD(wParam));
        gReceived.Add(line);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        swprintf(line, 128, L"%ls %u %d", message == WM_HSCROLL ? L"hscroll" : L"vscroll",
                 static_cast<unsigned>(LOWORD(wParam)), GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        gReceived.Add(line);
        break;
    case WM_SYSCOMMAND:
        swprintf(line, 128, L"syscommand 0x%X", static_cast<unsigned>(wParam & 0xFFF0));
        gReceived.Add(line);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

constexpr wchar_t kTestClass[] = L"LmExecTestWindow";
constexpr wchar_t kTestTitle[] = L"Lumora Exec Test Window";

// A window with a button (1003), a combo box (1005) of three items, a trackbar (1006, 0..100) and a
// scroll bar (1007, 0..200), created on the user-interface thread.
HWND BuildTestWindow(const wchar_t* title) {
    HWND window = nullptr;
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kTestClass;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        RegisterClassW(&wc);
        window = CreateWindowExW(0, kTestClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 500, 300,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        HINSTANCE inst = wc.hInstance;
        CreateWindowExW(0, L"BUTTON", L"Push", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24, window,
                        reinterpret_cast<HMENU>(1003), inst, nullptr);
        HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 100, 10,
                                     120, 100, window, reinterpret_cast<HMENU>(1005), inst, nullptr);
        for (const wchar_t* item : {L"one", L"two", L"three"})
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        HWND bar = CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 50, 200, 30, window,
                                   reinterpret_cast<HMENU>(1006), inst, nullptr);
        SendMessageW(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
        SendMessageW(bar, TBM_SETPOS, TRUE, 50);
        HWND scroll = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 250, 50, 20,
                                      150, window, reinterpret_cast<HMENU>(1007), inst, nullptr);
        SetScrollRange(scroll, SB_CTL, 0, 200, FALSE);
        SetScrollPos(scroll, SB_CTL, 100, TRUE);
    }
    return window;
}

HWND CreateTestWindow(UiThread& ui) {
    HWND window = nullptr;
    ui.Run([&] { window = BuildTestWindow(kTestTitle); });
    return window;
}

// This test program started with "--lm-exec-host <log file>" shows the test window in a process of
// its own and logs what the window receives, so commands can be tested across processes.
constexpr wchar_t kHostTitle[] = L"Lumora Exec Host Window";
struct HostMode {
    HostMode() {
        int argc = 0;
        LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
        if (argv && argc >= 3 && std::wstring(argv[1]) == L"--lm-exec-host") {
            gReceived.file = _wfopen(argv[2], L"w");
            BuildTestWindow(kHostTitle);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            ExitProcess(0);
        }
        LocalFree(argv);
    }
} gHostMode;

void DestroyOn(UiThread& ui, HWND window) {
    ui.Run([&] { DestroyWindow(window); });
}

class ExecWinTest : public ::testing::Test {
protected:
    ExecWinTest()
        : exec(ExecServices{NativeDesktop(), NativePlatform().threads, NativeAudio(), power, warning,
                            strings}) {}
    static tagWINCMD Command(int32_t type, int32_t subtype, int32_t param = 0, int32_t param2 = 0,
                             const wchar_t* caption = L"") {
        tagWINCMD c;
        c.nType = type;
        c.nSubType = subtype;
        c.nParam = param;
        c.nParam2 = param2;
        wcsncpy(c.szWndCaption, caption, kCmdTextChars - 1);
        return c;
    }
    test::FakePower power;
    test::FakeShutdownWarning warning;
    test::FakeStrings strings;
    CCmdExecutor exec;
};

TEST_F(ExecWinTest, TheWindowSearchSeesThisProcessAndItsExecutable) {
    UiThread ui;
    HWND window = CreateTestWindow(ui);
    IDesktop& desktop = NativeDesktop();
    EXPECT_EQ(desktop.FindTopLevelWindow(L"LUMORA exec TEST window"), W(window));

    // The process list holds this process, and the window list carries its executable's path.
    std::unique_ptr<IProcessStatus> psapi = desktop.LoadProcessStatus();
    ASSERT_TRUE(psapi);
    std::vector<uint32_t> processes = psapi->ListProcesses();
    EXPECT_NE(std::find(processes.begin(), processes.end(), GetCurrentProcessId()), processes.end());
    std::wstring path;
    ASSERT_TRUE(psapi->FirstModulePath(GetCurrentProcessId(), path));
    EXPECT_NE(TextToLower(path).find(L"lm_win_tests.exe"), std::wstring::npos) << ToUtf8(path);

    CEnumWinModules modules(desktop);
    EXPECT_EQ(modules.Enumerate(kEnumVisibleOnly | kEnumUnownedOnly), 1);
    bool listed = false;
    for (size_t i = 0; i < modules.GetCount(); ++i)
        if (modules.GetInfo(i).window == W(window)) {
            listed = true;
            EXPECT_EQ(modules.GetInfo(i).className, kTestClass);
            EXPECT_EQ(modules.GetWindowCaption(i), kTestTitle);
        }
    EXPECT_TRUE(listed);

    WindowHandle found = CLMFindWindow(desktop).FindWindow(L"", L"lm_win_tests.exe", false);
    EXPECT_EQ(desktop.WindowProcessId(found), GetCurrentProcessId());
    EXPECT_EQ(CLMFindWindow(desktop).FindWindow(L"exec test", L"lm_win_tests.exe", false), W(window));
    std::wstring base;
    EXPECT_TRUE(desktop.ProcessModuleBaseName(GetCurrentProcessId(), base));
    EXPECT_EQ(TextToLower(base), L"lm_win_tests.exe");
    DestroyOn(ui, window);
}

TEST_F(ExecWinTest, ControlCommandsReachTheControlsAndTheirParent) {
    UiThread ui;
    HWND window = CreateTestWindow(ui);
    gReceived.Take();

    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_CONTROL, CTL_MENUITEM, 40001, 0, kTestTitle), nullptr), 1);
    EXPECT_TRUE(WaitFor([] { return gReceived.Has(L"command 40001 0"); }));

    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_CONTROL, CTL_BUTTON, 1003, 0, kTestTitle), nullptr), 1);
    EXPECT_TRUE(WaitFor([] { return gReceived.Has(L"command 1003 0"); })); // BN_CLICKED

    HWND combo = GetDlgItem(window, 1005);
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_CONTROL, CTL_COMBOBOX, 1005, 2, kTestTitle), nullptr), 1);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(WaitFor([] { return gReceived.Has(L"command 1005 1") && gReceived.Has(L"command 1005 9"); }));
    exec.ExecuteCommand(Command(CMD_CONTROL, CTL_COMBOBOX, 1005, 3, kTestTitle), nullptr); // no such item
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);

    HWND bar = GetDlgItem(window, 1006);
    gReceived.Take();
    exec.ExecuteCommand(Command(CMD_CONTROL, CTL_SLIDER, 1006, 0, kTestTitle), nullptr);
    exec.ExecuteCommand(Command(CMD_CONTROL, CTL_SLIDER, 1006, 0, kTestTitle), nullptr);
    tagWINCMD up = Command(CMD_CONTROL, CTL_SLIDER, 1006, 60, kTestTitle);
    exec.ExecuteCommand(up, nullptr);
    EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 100);
    up.nParam2 = -30;
    exec.ExecuteCommand(up, nullptr);
    EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 70);
    EXPECT_TRUE(WaitFor([] { return gReceived.Has(L"hscroll 5 1006") && gReceived.Has(L"hscroll 8 1006"); }));

    HWND scroll = GetDlgItem(window, 1007);
    exec.ExecuteCommand(Command(CMD_CONTROL, CTL_SLIDER, 1007, 10, kTestTitle), nullptr);
    EXPECT_EQ(GetScrollPos(scroll, SB_CTL), 120);
    EXPECT_TRUE(WaitFor([] { return gReceived.Has(L"vscroll 5 1007") && gReceived.Has(L"vscroll 8 1007"); }));
    DestroyOn(ui, window);
}

TEST_F(ExecWinTest, WindowCommandsChangeTheWindowState) {
    UiThread ui;
    HWND window = CreateTestWindow(ui);
    auto run = [&](int32_t subtype) {
        return exec.ExecuteCommand(Command(CMD_WINDOW, subtype, 0, 0, kTestTitle), nullptr);
    };
    EXPECT_EQ(run(WIN_MAXIMIZE), 1);
    EXPECT_TRUE(WaitFor([&] { return IsZoomed(window) != FALSE; }));
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_GE(cursor.x, GetSystemMetrics(SM_CXSCREEN) - 1); // parked in the lower right corner
    EXPECT_EQ(run(WIN_MAXIMIZE), 1);                        // maximised: restore
    EXPECT_TRUE(WaitFor([&] { return !IsZoomed(window); }));
    EXPECT_EQ(run(WIN_MINIMIZE), 1);
    EXPECT_TRUE(WaitFor([&] { return IsIconic(window) != FALSE; }));
    EXPECT_EQ(run(WIN_RESTORE), 1);
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(window); }));
    EXPECT_EQ(run(WIN_TOGGLE_MAXIMIZE), 1);
    EXPECT_TRUE(WaitFor([&] { return IsZoomed(window) != FALSE; }));
    EXPECT_EQ(run(WIN_TOGGLE_MINIMIZE), 1); // maximised: restored, not minimised
    EXPECT_TRUE(WaitFor([&] { return !IsZoomed(window) && !IsIconic(window); }));
    EXPECT_EQ(run(WIN_TOGGLE_MINIMIZE), 1);
    EXPECT_TRUE(WaitFor([&] { return IsIconic(window) != FALSE; }));
    EXPECT_EQ(run(WIN_CLOSE), 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(window); }));
}

TEST_F(ExecWinTest, TheShutdownWarningCountsDownAndCanBeCancelled) {
    CDlgShutdownWarning dialog(strings);
    DWORD start = GetTickCount();
    EXPECT_EQ(dialog.Run(2), kDialogOk);
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 1900u);
    EXPECT_LT(took, 8000u); // creating the first dialog can take seconds under emulation

    // Cancel, the close box and Escape end it with Cancel, from outside its thread.
    std::wstring title = L"Shutdown";
    auto endWith = [&](std::function<void(HWND)> action) {
        std::thread helper([&] {
            HWND found = nullptr;
            WaitFor([&] { return (found = FindWindowW(nullptr, title.c_str())) != nullptr; });
            if (found)
                action(found);
        });
        int32_t result = dialog.Run(15);
        helper.join();
        return result;
    };
    EXPECT_EQ(endWith([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); }), kDialogCancel);
    EXPECT_EQ(endWith([](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }), kDialogCancel);
    EXPECT_EQ(endWith([](HWND d) { PostMessageW(d, WM_COMMAND, IDOK, 0); }), kDialogOk);
    EXPECT_EQ(endWith([](HWND d) {
                  SetForegroundWindow(d);
                  WaitFor([&] { return GetForegroundWindow() == d; }, 1000);
                  NativeDesktop().SendInput(InputRecord::Key(VK_ESCAPE, false));
                  NativeDesktop().SendInput(InputRecord::Key(VK_ESCAPE, true));
              }),
              kDialogCancel);
    // The texts come from the string source.
    strings.texts[kIdsShutdownTitle] = L"Herunterfahren";
    strings.texts[kIdsShutdownText] = L"Gleich geht es aus ";
    title = L"Herunterfahren";
    std::wstring text;
    EXPECT_EQ(endWith([&](HWND d) {
                  wchar_t buffer[64] = {};
                  GetDlgItemTextW(d, CDlgShutdownWarning::kIdcText, buffer, 64);
                  text = buffer;
                  PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
              }),
              kDialogCancel);
    EXPECT_EQ(text, L"Gleich geht es aus ");
}

TEST_F(ExecWinTest, ShutdownAfterTheFullCountDownGoesToThePowerInterface) {
    // The real dialog with a power interface that records instead of switching off.
    CDlgShutdownWarning dialog(strings);
    PowerServices services{NativeDesktop(), power, dialog, strings};
    DWORD start = GetTickCount();
    EXPECT_TRUE(PowerCommand(services, 3));
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 14900u);
    EXPECT_LT(took, 21000u);
    EXPECT_EQ(power.log, (std::vector<std::wstring>{L"privilege", L"exit 8 0"}));

    // Cancelled: nothing.
    power.log.clear();
    std::thread helper([] {
        HWND found = nullptr;
        WaitFor([&] { return (found = FindWindowW(nullptr, L"Shutdown")) != nullptr; });
        PostMessageW(found, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(PowerCommand(services, 1));
    helper.join();
    EXPECT_TRUE(power.log.empty());
}

// The test window in another process, ended by its process ID.
class HostProcessTest : public ExecWinTest {
protected:
    void SetUp() override {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        logPath = std::wstring(temp) + L"lm_exec_host.log";
        DeleteFileW(logPath.c_str());
        std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --lm-exec-host \"" + logPath + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        ASSERT_TRUE(
            CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        ASSERT_TRUE(
            WaitFor([&] { return (window = FindWindowW(kTestClass, kHostTitle)) != nullptr; }, 15000));
    }
    void TearDown() override {
        if (pi.hProcess) {
            TerminateProcess(pi.hProcess, 0);
            WaitForSingleObject(pi.hProcess, 5000);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        DeleteFileW(logPath.c_str());
    }
    // The host's log holds the line (read afresh).
    bool Logged(const std::wstring& line) {
        return WaitFor([&] {
            FILE* f = _wfopen(logPath.c_str(), L"r");
            if (!f)
                return false;
            wchar_t buffer[256];
            bool found = false;
            while (!found && fgetws(buffer, 256, f)) {
                std::wstring text = buffer;
                while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
                    text.pop_back();
                found = text == line;
            }
            fclose(f);
            return found;
        });
    }
    int Run(int32_t type, int32_t subtype, int32_t param = 0, int32_t param2 = 0) {
        return exec.ExecuteCommand(Command(type, subtype, param, param2, kHostTitle), nullptr);
    }

    PROCESS_INFORMATION pi{};
    std::wstring logPath;
    HWND window = nullptr;
};

TEST_F(HostProcessTest, ControlAndWindowCommandsReachAnotherProcess) {
    EXPECT_EQ(Run(CMD_CONTROL, CTL_MENUITEM, 40002), 1);
    EXPECT_TRUE(Logged(L"command 40002 0"));
    EXPECT_EQ(Run(CMD_CONTROL, CTL_BUTTON, 1003), 1);
    EXPECT_TRUE(Logged(L"command 1003 0"));
    EXPECT_EQ(Run(CMD_CONTROL, CTL_COMBOBOX, 1005, 1), 1);
    EXPECT_EQ(SendMessageW(GetDlgItem(window, 1005), CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(Logged(L"command 1005 1"));
    EXPECT_TRUE(Logged(L"command 1005 9"));

    // The ranges and positions of the other process's controls are read and set across the border.
    EXPECT_EQ(Run(CMD_CONTROL, CTL_SLIDER, 1006, 25), 1);
    EXPECT_EQ(SendMessageW(GetDlgItem(window, 1006), TBM_GETPOS, 0, 0), 75);
    EXPECT_TRUE(Logged(L"hscroll 5 1006"));
    EXPECT_TRUE(Logged(L"hscroll 8 1006"));
    EXPECT_EQ(Run(CMD_CONTROL, CTL_SLIDER, 1007, -60), 1);
    EXPECT_EQ(GetScrollPos(GetDlgItem(window, 1007), SB_CTL), 0);
    EXPECT_TRUE(Logged(L"vscroll 5 1007"));
    EXPECT_TRUE(Logged(L"vscroll 8 1007"));

    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_MAXIMIZE), 1);
    EXPECT_TRUE(WaitFor([&] { return IsZoomed(window) != FALSE; }));
    EXPECT_TRUE(Logged(L"syscommand 0xF030"));
    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_MAXIMIZE), 1);
    EXPECT_TRUE(WaitFor([&] { return !IsZoomed(window); }));
    EXPECT_EQ(Run(CMD_WINDOW, WIN_MINIMIZE), 1);
    EXPECT_TRUE(WaitFor([&] { return IsIconic(window) != FALSE; }));
    EXPECT_EQ(Run(CMD_WINDOW, WIN_RESTORE), 1);
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(window); }));
    EXPECT_TRUE(Logged(L"syscommand 0xF120"));
    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_OPEN), 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(window); }));
}

// Notepad started through StartApplication, ended by its process ID when the test is done.
class NotepadTest : public ExecWinTest {
protected:
    void SetUp() override {
        EXPECT_EQ(StartApplication(NativeDesktop(), notepad), 1);
        ASSERT_TRUE(WaitFor([&] { return (window = Find()) != kNoWindow; }, 15000));
        processId = NativeDesktop().WindowProcessId(window);
        edit = FindWindowExW(reinterpret_cast<HWND>(window), nullptr, L"Edit", nullptr);
        ASSERT_NE(edit, nullptr);
    }
    void TearDown() override {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId)) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    WindowHandle Find() { return CLMFindWindow(NativeDesktop()).FindWindow(L"", L"notepad.exe", false); }
    std::wstring Text() {
        wchar_t buffer[256] = {};
        SendMessageW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }
    int Key(int32_t code, int32_t modifiers = 0) {
        return exec.ExecuteCommand(Command(CMD_KEY, code, modifiers), &notepad);
    }
    // The enabled pop-up (a modal dialog) notepad shows, if any.
    HWND Dialog() {
        WindowHandle popup = NativeDesktop().EnabledPopup(window);
        return popup != kNoWindow && popup != window ? reinterpret_cast<HWND>(popup) : nullptr;
    }

    tagAPPREF notepad{L"notepad.exe", L"", L"", L""};
    WindowHandle window = kNoWindow;
    DWORD processId = 0;
    HWND edit = nullptr;
};

TEST_F(NotepadTest, KeyCommandsTypeIntoNotepad) {
    EXPECT_EQ(Key('4'), 1);
    EXPECT_EQ(Key('2'), 1);
    EXPECT_EQ(Key(' '), 1); // the space bar is a table code
    EXPECT_TRUE(WaitFor([&] { return Text() == L"42 "; })) << ToUtf8(Text());
    // Upper case through Caps Lock, which ends as it was.
    EXPECT_EQ(Key('H'), 1);
    EXPECT_EQ(Key('I'), 1);
    EXPECT_TRUE(WaitFor([&] { return Text() == L"42 HI"; })) << ToUtf8(Text());
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);
    // Backspace as a virtual key.
    EXPECT_EQ(Key(VK_BACK), 1);
    EXPECT_TRUE(WaitFor([&] { return Text() == L"42 H"; })) << ToUtf8(Text());
}

TEST_F(NotepadTest, CtrlSReachesTheForegroundWindowAndEscapeReachesItsModalDialog) {
    // The application of the command is not running: the keys go to the window in front, notepad.
    SetForegroundWindow(reinterpret_cast<HWND>(window));
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == reinterpret_cast<HWND>(window); }));
    tagAPPREF absent{L"absent.exe", L"", L"", L""};
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_KEY, 'S', MOD_KEY_CTRL), &absent), 1);
    ASSERT_TRUE(WaitFor([&] { return Dialog() != nullptr; }, 15000)); // the save dialog
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);

    // A command for notepad goes to its modal dialog: Escape closes the dialog, not notepad.
    EXPECT_EQ(Key(VK_ESCAPE), 1);
    EXPECT_TRUE(WaitFor([&] { return Dialog() == nullptr; }));
    EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(window)));
}

TEST_F(NotepadTest, StartingARunningApplicationOnlyRaisesIt) {
    EXPECT_EQ(StartApplication(NativeDesktop(), notepad), 1);
    Sleep(1500);
    int windows = 0;
    NativeDesktop().EnumTopLevelWindows([&](WindowHandle w) {
        wchar_t cls[64] = {};
        GetClassNameW(reinterpret_cast<HWND>(w), cls, 64);
        windows += std::wstring(cls) == L"Notepad" && IsWindowVisible(reinterpret_cast<HWND>(w)) ? 1 : 0;
        return true;
    });
    EXPECT_EQ(windows, 1);
    EXPECT_EQ(GetWindowLongPtrW(reinterpret_cast<HWND>(window), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(ExecWinTest, VolumeCommandsNeverCrashWithoutASoundDevice) {
    IAudio& audio = NativeAudio();
    int volume = MixerCommand(audio, kMixerVolume, 10);
    int mute = MixerCommand(audio, kMixerToggleMute, 0);
    int back = MixerCommand(audio, kMixerToggleMute, 0);
    EXPECT_TRUE(volume == 0 || volume == 1);
    EXPECT_EQ(mute, back);
    std::printf("endpoints: %d, volume: %d, toggle mute: %d\n", audio.HasEndpoints() ? 1 : 0, volume, mute);
    // Through the executor the results do not depend on the device.
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_SYSTEM, SYS_VOLUME, -10), nullptr), 1);
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_SYSTEM, SYS_MUTE, MUTE_TOGGLE), nullptr), 0);
    EXPECT_EQ(exec.ExecuteCommand(Command(CMD_SYSTEM, SYS_MUTE, MUTE_TOGGLE), nullptr), 0);
}

TEST_F(ExecWinTest, MouseMoveRunsOnTheMainWindowsTimer) {
    UiThread ui;
    HWND window = CreateTestWindow(ui);
    CWinMouseMove mover(NativeDesktop(), NativeTimers(), NativePlatform().clock,
                        [window] { return W(window); });
    SetCursorPos(200, 200);
    mover.StartMove(1, 0);
    Sleep(700);
    mover.StartMove(0, 1); // turn downwards
    Sleep(400);
    mover.StartMove(0, 1); // the same key again: stop
    POINT stopped{};
    GetCursorPos(&stopped);
    Sleep(300);
    POINT later{};
    GetCursorPos(&later);
    EXPECT_GT(stopped.x, 200);
    EXPECT_GT(stopped.y, 200);
    EXPECT_EQ(later.x, stopped.x);
    EXPECT_EQ(later.y, stopped.y);
    std::printf("pointer moved to %ld,%ld\n", static_cast<long>(stopped.x), static_cast<long>(stopped.y));
    DestroyOn(ui, window);
}

} // namespace
} // namespace lm
