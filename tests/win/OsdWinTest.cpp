// The on-screen display on the real system, judged by what the screen shows. The display lives on a
// user-interface thread of its own and is driven from the test's thread, as the key-handling thread
// drives it; the display time runs on a fake clock. Screenshots go to build/win/screenshots.
#include "ExecWinSupport.h"
#include "Screenshot.h"

#include "osd/OsdDlg.h"

#include "fakes/FakeClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>

namespace lm {
namespace {

using wintest::Screenshot;
using wintest::UiThread;
using wintest::WaitFor;

const wchar_t kDpiVariable[] = L"LM_OSD_DPI";

// The DPI the test expects the system to have: 96 unless a parent test asked for another.
uint32_t ExpectedDpi() {
    wchar_t value[16] = {};
    if (GetEnvironmentVariableW(kDpiVariable, value, 16) == 0)
        return 96;
    return static_cast<uint32_t>(wcstoul(value, nullptr, 10));
}

std::wstring ShotPath(const std::wstring& name) {
    std::wstring dir = wintest::BinDir() + L"\\..\\screenshots";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir + L"\\" + name + L".png";
}

class OsdWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        screen = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        ui.Run([&] {
            osd = std::make_unique<COsdDlg>(clock, settings);
            if (osd->Create())
                hwnd = reinterpret_cast<HWND>(osd->Window());
        });
        ASSERT_NE(hwnd, nullptr);
    }
    void TearDown() override {
        ui.Run([&] { osd.reset(); });
    }
    // The screen once the condition holds for what it shows (or the last try).
    Screenshot CaptureWhen(RECT r, const std::function<bool(const Screenshot&)>& condition) {
        Screenshot shot;
        WaitFor([&] { return condition(shot = Screenshot::Capture(r)); });
        return shot;
    }
    RECT WindowRect() {
        RECT r{};
        GetWindowRect(hwnd, &r);
        return r;
    }

    test::FakeClock clock;
    tagOSDSETTINGS settings;
    RECT screen{};
    UiThread ui;
    std::unique_ptr<COsdDlg> osd;
    HWND hwnd = nullptr;
};

// Run once at the system's DPI, and by the next test in a process of its own at 192 DPI.
TEST_F(OsdWinTest, BarAndMenuAtTheSystemDpi) {
    const uint32_t dpi = ExpectedDpi();
    const COsdGeometry g(dpi);
    const int width = screen.right, bar = g.BarHeight();
    const std::wstring tag = std::to_wstring(dpi);

    // The bar: at the top edge, across the screen, as high as the DPI asks.
    osd->ShowText(L"Volume + 12");
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(hwnd) != FALSE; }));
    RECT r = WindowRect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, width);
    EXPECT_EQ(r.bottom, bar);
    Screenshot shot = CaptureWhen({0, 0, width, bar + 40}, [&](const Screenshot& s) {
        return s.At(width / 2, bar - 2) == settings.backgroundColor;
    });
    EXPECT_TRUE(shot.SavePng(ShotPath(L"osd-bar-" + tag)));
    // Gradient: black at the side edges, the background colour in the middle.
    EXPECT_EQ(shot.At(width / 2, bar - 2), settings.backgroundColor);
    EXPECT_LT(Screenshot::Brightness(shot.At(1, bar / 2)) + 100,
              Screenshot::Brightness(shot.At(width / 2, bar - 2)));
    EXPECT_LT(Screenshot::Brightness(shot.At(width - 2, bar / 2)) + 100,
              Screenshot::Brightness(shot.At(width / 2, bar - 2)));
    // The text in its colour, whole inside the bar: nothing of it on the bar's first and last rows.
    EXPECT_GT(shot.Count({0, 0, width, bar}, settings.textColor), 100);
    EXPECT_EQ(shot.Count({0, 0, width, 1}, settings.textColor), 0);
    EXPECT_EQ(shot.Count({0, bar - 1, width, bar}, settings.textColor), 0);
    EXPECT_NE(shot.At(width / 2, bar + 10), settings.backgroundColor);
    std::wstring face;
    ui.Run([&] { face = osd->Control().FaceName(); });
    EXPECT_EQ(face, L"Arial");

    // Without the gradient the bar is uniform.
    tagOSDSETTINGS plain = settings;
    plain.useGradient = 0;
    osd->ApplySettings(plain);
    shot = CaptureWhen({0, 0, width, bar},
                       [&](const Screenshot& s) { return s.At(1, bar - 2) == settings.backgroundColor; });
    EXPECT_EQ(shot.At(1, bar - 2), settings.backgroundColor);
    EXPECT_EQ(shot.At(width - 2, bar - 2), settings.backgroundColor);
    osd->ApplySettings(settings);

    // The menu over the work area, line 2 in the highlight colour, the others in the text colour.
    OsdMenu menu;
    menu.title = L"Application";
    menu.entries = {L"Windows (Standard)",
                    L"Media Player",
                    L"TV",
                    L"",
                    L"Radio",
                    L"DVD",
                    L"Photos",
                    L"",
                    L"Music*",
                    L"Web"};
    osd->SetMenu(menu);
    osd->SetSelection(2);
    osd->SetMenuShown(true);
    osd->ShowMenu();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_TRUE(WaitFor([&] { return EqualRect(&(r = WindowRect()), &work) != FALSE; }));
    auto lineRect = [&](int n) {
        OsdRect l = g.MenuLine(n, width);
        return RECT{l.left, l.top, l.right, l.bottom};
    };
    shot = CaptureWhen(screen, [&](const Screenshot& s) { return s.Count(lineRect(2), 0xFFFFFF) > 50; });
    EXPECT_TRUE(shot.SavePng(ShotPath(L"osd-menu-" + tag)));
    EXPECT_GT(shot.Count(lineRect(2), 0xFFFFFF), 50);
    EXPECT_EQ(shot.Count(lineRect(1), 0xFFFFFF), 0);
    EXPECT_GT(shot.Count(lineRect(1), settings.textColor), 50);
    EXPECT_EQ(shot.Count(lineRect(3), settings.textColor), 0); // entry 3 is empty
    const int large = -g.LargeFontHeight();
    EXPECT_GT(shot.Count({width / 3, large, width, large + g.LineHeight()}, settings.textColor), 50); // title
    OsdPoint clockAt = g.Clock(screen.bottom);
    EXPECT_GT(shot.Count({clockAt.x, clockAt.y, width / 3, clockAt.y + large}, settings.textColor), 20);

    // The highlight moves: only the two lines concerned are drawn again.
    osd->SetSelection(1);
    shot = CaptureWhen(screen, [&](const Screenshot& s) { return s.Count(lineRect(1), 0xFFFFFF) > 50; });
    EXPECT_EQ(shot.Count(lineRect(2), 0xFFFFFF), 0);

    // Escape hides the menu and clears the display's flag.
    PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(hwnd); }));
    EXPECT_FALSE(osd->MenuShown());

    // A text stays its display time (2 s on the fake clock) and then rolls away.
    osd->ShowText(L"Mute");
    const RECT barRect{0, 0, width, bar};
    ASSERT_TRUE(WaitFor([&] { return EqualRect(&(r = WindowRect()), &barRect) && IsWindowVisible(hwnd); }));
    clock.Advance(2000);
    Sleep(2 * kOsdHideTimerPeriod + 100); // two ticks of the hide timer
    EXPECT_TRUE(IsWindowVisible(hwnd));
    clock.Advance(1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(hwnd); }));
    shot = CaptureWhen({0, 0, width, bar}, [&](const Screenshot& s) {
        return s.At(width / 2, bar - 2) != settings.backgroundColor;
    });
    EXPECT_TRUE(shot.SavePng(ShotPath(L"osd-gone-" + tag)));
    EXPECT_NE(shot.At(width / 2, bar - 2), settings.backgroundColor);
}

// The same in a process started at 192 DPI (the display of the test's Wine prefix is set through
// the registry, which a new process reads at its start).
TEST(OsdDpiWinTest, BarAndMenuAtTwiceTheDpi) {
    const wchar_t desktop[] = L"Control Panel\\Desktop";
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, desktop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    DWORD old = 0, size = sizeof old, type = 0;
    bool hadOld = RegQueryValueExW(key, L"LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&old), &size) ==
                  ERROR_SUCCESS;
    const DWORD dpi = 192;
    ASSERT_EQ(
        RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi),
        ERROR_SUCCESS);

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=OsdWinTest.BarAndMenuAtTheSystemDpi";
    SetEnvironmentVariableW(kDpiVariable, L"192");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL started =
        CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(kDpiVariable, nullptr);
    DWORD code = STILL_ACTIVE;
    if (started) {
        if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0)
            TerminateProcess(pi.hProcess, 99);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    if (hadOld)
        RegSetValueExW(key, L"LogPixels", 0, type, reinterpret_cast<const BYTE*>(&old), sizeof old);
    else
        RegDeleteValueW(key, L"LogPixels");
    RegCloseKey(key);
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 0u) << "the test at 192 DPI failed; its output is above";
}

// A full-screen top-most window in front, like a video player: a text comes over it without taking
// its place in front, and a click on the bar does not activate the bar either. The menu does come to
// the front. A change of the monitor's DPI resizes the bar at once.
TEST_F(OsdWinTest, TextsStayAboveAndLeaveTheWindowInFrontActive) {
    UiThread player;
    HWND video = nullptr;
    player.Run([&] {
        video = CreateWindowExW(WS_EX_TOPMOST, L"Static", L"Video", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, 0,
                                0, screen.right, screen.bottom, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(video);
    });
    ASSERT_NE(video, nullptr);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == video; }));

    const int width = screen.right, bar = COsdGeometry(ExpectedDpi()).BarHeight();
    osd->ShowText(L"Channel 12");
    Screenshot shot = CaptureWhen({0, 0, width, bar}, [&](const Screenshot& s) {
        return s.At(width / 2, bar - 2) == settings.backgroundColor;
    });
    EXPECT_EQ(shot.At(width / 2, bar - 2), settings.backgroundColor);
    EXPECT_EQ(GetForegroundWindow(), video);

    // The click is seen by the display's thread once its button-up has passed the mouse hook there.
    static std::atomic<int> buttonUps;
    buttonUps = 0;
    HHOOK hook = SetWindowsHookExW(
        WH_MOUSE,
        [](int code, WPARAM message, LPARAM info) -> LRESULT {
            if (code == HC_ACTION && message == WM_LBUTTONUP)
                ++buttonUps;
            return CallNextHookEx(nullptr, code, message, info);
        },
        nullptr, ui.Id());
    ASSERT_NE(hook, nullptr);
    SetCursorPos(width / 2, bar / 2);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
    EXPECT_TRUE(WaitFor([&] { return buttonUps > 0; }));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(GetForegroundWindow(), video);

    // Twice the DPI on the bar's monitor: twice the height.
    SendMessageW(hwnd, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(2 * ExpectedDpi(), 2 * ExpectedDpi()), 0);
    RECT r = WindowRect();
    EXPECT_EQ(r.bottom - r.top, 2 * bar);

    osd->ShowMenu();
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == hwnd; }));
    osd->Hide();
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(hwnd); }));
    player.Run([&] { DestroyWindow(video); });
}

} // namespace
} // namespace lm
