// The on-screen display on the real system, judged by what the screen shows. The display lives on a
// user-interface thread of its own and is driven from the test's thread, as the key-handling thread
// drives it; the display time runs on a fake clock. Screenshots go to build/win/screenshots.
#include "WinTestSupport.h"
#include "Screenshot.h"

#include "osd/OsdDlg.h"

#include "fakes/FakeClock.h"

#include <gtest/gtest.h>

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
    // The screen once it shows what the condition asks for (or at the last try).
    Screenshot Look(RECT r, const std::function<bool(const Screenshot&)>& condition) {
        Screenshot shot;
        WaitFor([&] { return condition(shot = Screenshot::Capture(r)); });
        return shot;
    }
    bool ShownAt(RECT expected) {
        return WaitFor([&] {
            RECT r{};
            return GetWindowRect(hwnd, &r) && EqualRect(&r, &expected) && IsWindowVisible(hwnd);
        });
    }
    static int Light(uint32_t c) { return (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF); }

    test::FakeClock clock;
    tagOSDSETTINGS settings;
    const uint32_t bg = settings.backgroundColor, fg = settings.textColor;
    RECT screen{};
    UiThread ui;
    std::unique_ptr<COsdDlg> osd;
    HWND hwnd = nullptr;
};

// Run once at the system's DPI, and by the next test in a process of its own at 192 DPI.
TEST_F(OsdWinTest, BarAndMenuAtTheSystemDpi) {
    const COsdGeometry g(ExpectedDpi());
    const int w = screen.right, bar = g.BarHeight();
    const std::wstring dpi = std::to_wstring(g.Dpi());

    // The bar at the top edge, as high as the DPI asks, darker at the edges than in the middle, the text
    // in its colour and wholly inside (nothing of it on the first and last rows).
    osd->ShowText(L"Volume + 12");
    ASSERT_TRUE(ShownAt({0, 0, w, bar}));
    Screenshot shot =
        Look({0, 0, w, bar + 40}, [&](const Screenshot& s) { return s.At(w / 2, bar - 2) == bg; });
    EXPECT_TRUE(shot.SavePng(wintest::ShotPath(L"osd-bar-" + dpi)));
    EXPECT_EQ(shot.At(w / 2, bar - 2), bg);
    EXPECT_LT(Light(shot.At(1, bar / 2)) + 100, Light(bg));
    EXPECT_GT(shot.Count({0, 0, w, bar}, fg), 100);
    EXPECT_EQ(shot.Count({0, 0, w, 1}, fg) + shot.Count({0, bar - 1, w, bar}, fg), 0);
    EXPECT_NE(shot.At(w / 2, bar + 10), bg);
    std::wstring face;
    ui.Run([&] { face = osd->Control().FaceName(); });
    EXPECT_EQ(face, L"Arial");

    // The menu over the work area: line 2 in the highlight colour, empty entry 3 blank, title and clock.
    tagOSDMENU menu;
    menu.title = L"Application";
    menu.entries = {
        L"Windows (Standard)", L"Media Player", L"TV", L"", L"Radio", L"DVD", L"Photos", L"", L"Music*"};
    osd->SetMenu(menu);
    osd->SetSelection(2);
    osd->SetMenuShown(true);
    osd->ShowMenu();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_TRUE(ShownAt(work));
    // At a DPI the screen cannot hold, the menu is drawn smaller: every line stays on the screen.
    const COsdGeometry m(COsdGeometry::MenuDpi(g.Dpi(), screen.bottom));
    auto line = [&](int n) {
        OsdRect l = m.MenuLine(n, w);
        return RECT{l.left, l.top, l.right, l.bottom};
    };
    shot = Look(screen, [&](const Screenshot& s) { return s.Count(line(2), 0xFFFFFF) > 50; });
    EXPECT_TRUE(shot.SavePng(wintest::ShotPath(L"osd-menu-" + dpi)));
    EXPECT_GT(shot.Count(line(2), 0xFFFFFF), 50);
    EXPECT_EQ(shot.Count(line(1), 0xFFFFFF), 0);
    EXPECT_GT(shot.Count(line(1), fg), 50);
    EXPECT_EQ(shot.Count(line(3), fg), 0);
    EXPECT_GT(shot.Count(line(8), fg), 50);
    const int large = -m.LargeFontHeight();
    EXPECT_GT(shot.Count({w / 3, large, w, large + m.LineHeight()}, fg), 50);
    OsdPoint clockAt = m.Clock(screen.bottom);
    EXPECT_GT(shot.Count({clockAt.x, clockAt.y, w / 3, clockAt.y + large}, fg), 20);
    PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(hwnd) && !osd->MenuShown(); }));

    // A text stays its display time on the fake clock, checked by two ticks of the hide timer, then goes.
    osd->ShowText(L"Mute");
    ASSERT_TRUE(ShownAt({0, 0, w, bar}));
    clock.Advance(2000);
    Sleep(2 * kOsdHideTimerPeriod + 100);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    clock.Advance(1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(hwnd); }));
    shot = Look({0, 0, w, bar}, [&](const Screenshot& s) { return s.At(w / 2, bar - 2) != bg; });
    EXPECT_TRUE(shot.SavePng(wintest::ShotPath(L"osd-gone-" + dpi)));
    EXPECT_NE(shot.At(w / 2, bar - 2), bg);
}

// The same in a process started at 192 DPI: the test's Wine prefix takes the DPI from the registry,
// which a new process reads at its start.
TEST(OsdDpiWinTest, BarAndMenuAtTwiceTheDpi) {
    const wchar_t desktop[] = L"Control Panel\\Desktop";
    DWORD old = 0, size = sizeof old, dpi = 192;
    bool hadOld = RegGetValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old,
                               &size) == ERROR_SUCCESS;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &dpi, sizeof dpi),
              ERROR_SUCCESS);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wintest::ChildProcess test;
    const bool started =
        test.Start(self, L"--gtest_filter=OsdWinTest.BarAndMenuAtTheSystemDpi", kDpiVariable, L"192");
    const DWORD code = started ? test.WaitExit(60000) : STILL_ACTIVE;
    if (hadOld)
        RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &old, sizeof old);
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels");
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 0u) << "the test at 192 DPI failed; its output is above";
}

// A top-most full-screen window in front, like a video player: a text comes over it and neither the
// text nor a click on the bar takes its place in front; the menu does. A new DPI resizes the bar at once.
TEST_F(OsdWinTest, TextsStayAboveAndLeaveTheWindowInFrontActive) {
    UiThread player;
    HWND video = nullptr;
    player.Run([&] {
        video = CreateWindowExW(WS_EX_TOPMOST, L"Static", L"Video", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, 0,
                                0, screen.right, screen.bottom, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(video);
    });
    ASSERT_TRUE(WaitFor([&] { return video && GetForegroundWindow() == video; }));
    const int w = screen.right, bar = COsdGeometry(ExpectedDpi()).BarHeight();
    osd->ShowText(L"Channel 12");
    Screenshot shot = Look({0, 0, w, bar}, [&](const Screenshot& s) { return s.At(w / 2, bar - 2) == bg; });
    EXPECT_EQ(shot.At(w / 2, bar - 2), bg);
    EXPECT_EQ(GetForegroundWindow(), video);

    // A click on the bar leaves it inactive too.
    EXPECT_EQ(SendMessageW(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(video),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    SendMessageW(hwnd, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(2 * ExpectedDpi(), 2 * ExpectedDpi()), 0);
    EXPECT_TRUE(ShownAt({0, 0, w, 2 * bar}));
    osd->ShowMenu();
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == hwnd; }));
    EXPECT_NE(SendMessageW(hwnd, WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)), MA_NOACTIVATE);
    player.Run([&] { DestroyWindow(video); });
}

} // namespace
} // namespace lm
