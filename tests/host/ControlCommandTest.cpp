#include "ExecFixture.h"

namespace lm {
namespace {

using test::FakeDesktop;
using Lines = std::vector<std::wstring>;
using Message = FakeDesktop::Message;

class ControlCommandTest : public test::ExecFixture {
protected:
    ControlCommandTest() {
        desktop.AddProcess(10, L"C:\\Apps\\Target\\target.exe");
        top = desktop.AddTopLevel(L"Target", L"TargetWnd", 10).handle;
        app.executable = L"target.exe";
        app.appPath = L"C:\\Apps\\Target\\target.exe";
    }
    int Run(int32_t type, int32_t subtype, int32_t param = 0, int32_t param2 = 0) {
        return exec.ExecuteCommand(Command(type, subtype, param, param2), &app);
    }
    WindowHandle top = 0;
    tagAPPREF app;
};

TEST_F(ControlCommandTest, DescendantSearchPrefersDirectChildrenThenSameIdChildrenThenDepthFirst) {
    // top: panel(1) { inner(7) }, group(2) { deep(9) { deeper(8) } }, item(7) { nested(7) }
    WindowHandle panel = desktop.AddChild(top, L"Static", 1).handle;
    WindowHandle inner = desktop.AddChild(panel, L"Button", 7).handle;
    WindowHandle group = desktop.AddChild(top, L"Static", 2).handle;
    WindowHandle deep = desktop.AddChild(group, L"Static", 9).handle;
    WindowHandle deeper = desktop.AddChild(deep, L"Edit", 8).handle;
    WindowHandle item = desktop.AddChild(top, L"Button", 7).handle;
    WindowHandle nested = desktop.AddChild(item, L"Button", 7).handle;
    EXPECT_EQ(FindDescendantWindow(desktop, top, 7), nested); // direct child first, its same-ID child wins
    EXPECT_EQ(FindDescendantWindow(desktop, top, 8), deeper);
    EXPECT_EQ(FindDescendantWindow(desktop, top, 9), deep);
    EXPECT_EQ(FindDescendantWindow(desktop, top, 5), kNoWindow);
    desktop.Get(item).id = 70;
    EXPECT_EQ(FindDescendantWindow(desktop, top, 7), inner); // no direct child: first subtree in order
}

TEST_F(ControlCommandTest, MenuItemAndButton) {
    EXPECT_EQ(Run(CMD_CONTROL, CTL_MENUITEM, 40001), 1);
    EXPECT_EQ(desktop.messages.back(), (Message{top, kWmCommand, 40001, 0, true}));

    WindowHandle button = desktop.AddChild(top, L"BUTTON", 1003).handle;
    desktop.log.clear();
    EXPECT_EQ(Run(CMD_CONTROL, CTL_BUTTON, 1003), 1);
    EXPECT_EQ(desktop.log, (Lines{L"SetWindowPos 0x100 NOTOPMOST 0,0,0,0 0x3", L"SetActiveWindow 0x100",
                                  L"SetFocus " + FakeDesktop::Hex(button), L"sleep 10",
                                  L"post " + FakeDesktop::Hex(button) + L" 0xf5 0x0 0x0"}));

    // A control of another class or an unknown ID: nothing, still result 1.
    desktop.AddChild(top, L"Edit", 1004);
    desktop.log.clear();
    EXPECT_EQ(Run(CMD_CONTROL, CTL_BUTTON, 1004), 1);
    EXPECT_EQ(Run(CMD_CONTROL, CTL_BUTTON, 999), 1);
    EXPECT_TRUE(desktop.log.empty());

    EXPECT_EQ(Run(CMD_CONTROL, 4, 1003), 0);
    app.executable = L"absent.exe";
    desktop.foreground = kNoWindow;
    EXPECT_EQ(Run(CMD_CONTROL, CTL_MENUITEM, 40001), 0);
}

TEST_F(ControlCommandTest, ComboBoxSelectsOnlyExistingItemsAndNotifiesTheParentTwice) {
    WindowHandle dialog = desktop.AddChild(top, L"#32770", 50).handle;
    FakeDesktop::Window& combo = desktop.AddChild(dialog, L"ComboBox", 1005);
    combo.itemCount = 3;

    EXPECT_EQ(Run(CMD_CONTROL, CTL_COMBOBOX, 1005, 3), 1); // index == count: nothing is selected
    EXPECT_EQ(combo.curSel, -1);
    EXPECT_TRUE(desktop.Posted().empty());

    EXPECT_EQ(Run(CMD_CONTROL, CTL_COMBOBOX, 1005, 0), 1);
    EXPECT_EQ(combo.curSel, 0);
    const auto from = static_cast<intptr_t>(combo.handle);
    EXPECT_EQ(desktop.Posted(), (std::vector<Message>{{dialog, kWmCommand, (1u << 16) | 1005, from, true},
                                                      {dialog, kWmCommand, (9u << 16) | 1005, from, true}}));

    // A negative index is below any count in the signed comparison, so it goes through too.
    desktop.messages.clear();
    EXPECT_EQ(Run(CMD_CONTROL, CTL_COMBOBOX, 1005, -1), 1);
    EXPECT_EQ(desktop.Posted().size(), 2u);

    combo.className = L"ListBox";
    desktop.messages.clear();
    EXPECT_EQ(Run(CMD_CONTROL, CTL_COMBOBOX, 1005, 1), 1);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ControlCommandTest, TrackbarStepsArePercentOfTheRangeKeptInsideIt) {
    FakeDesktop::Window& bar = desktop.AddChild(top, L"msctls_trackbar32", 1006);
    bar.pos = 5;
    EXPECT_EQ(Run(CMD_CONTROL, CTL_SLIDER, 1006, -10), 1);
    EXPECT_EQ(bar.pos, 0);
    const auto from = static_cast<intptr_t>(bar.handle);
    EXPECT_EQ(desktop.Posted(), (std::vector<Message>{{top, kWmHScroll, kSbThumbTrack, from, true},
                                                      {top, kWmHScroll, kSbEndScroll, from, true}}));
    EXPECT_NE(std::find(desktop.log.begin(), desktop.log.end(),
                        L"send " + FakeDesktop::Hex(bar.handle) + L" TBM_SETPOS 1 0"),
              desktop.log.end());

    bar.pos = 95;
    Run(CMD_CONTROL, CTL_SLIDER, 1006, 10);
    EXPECT_EQ(bar.pos, 100);
    bar.rangeMax = 15;
    bar.pos = 3;
    Run(CMD_CONTROL, CTL_SLIDER, 1006, 10); // 15 * 10 / 100 = 1.5, truncated
    EXPECT_EQ(bar.pos, 4);
    Run(CMD_CONTROL, CTL_SLIDER, 1006, -10);
    EXPECT_EQ(bar.pos, 3);
    bar.rangeMin = -100;
    bar.rangeMax = 100;
    bar.pos = 0;
    Run(CMD_CONTROL, CTL_SLIDER, 1006, -25);
    EXPECT_EQ(bar.pos, -50);

    bar.style = kTbsVert;
    desktop.messages.clear();
    Run(CMD_CONTROL, CTL_SLIDER, 1006, 1);
    EXPECT_EQ(desktop.Posted().at(0).message, kWmVScroll);
}

TEST_F(ControlCommandTest, ScrollBarStepsTheControlsOwnBar) {
    FakeDesktop::Window& bar = desktop.AddChild(top, L"ScrollBar", 1007);
    bar.rangeMin = 0;
    bar.rangeMax = 200;
    bar.pos = 150;
    desktop.log.clear();
    Run(CMD_CONTROL, CTL_SLIDER, 1007, 30);
    EXPECT_EQ(bar.pos, 200);
    EXPECT_EQ(desktop.log.at(1), L"SetScrollPos " + FakeDesktop::Hex(bar.handle) + L" 2 200 redraw");
    EXPECT_EQ(desktop.Posted().at(0).message, kWmHScroll);
    bar.style = kSbsVert;
    desktop.messages.clear();
    Run(CMD_CONTROL, CTL_SLIDER, 1007, -30);
    EXPECT_EQ(bar.pos, 140);
    EXPECT_EQ(desktop.Posted().at(1),
              (Message{top, kWmVScroll, kSbEndScroll, static_cast<intptr_t>(bar.handle), true}));

    // Another class: only the activation happens.
    desktop.AddChild(top, L"Edit", 1008);
    desktop.messages.clear();
    EXPECT_EQ(Run(CMD_CONTROL, CTL_SLIDER, 1008, 10), 1);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ControlCommandTest, MaximiseMinimiseRestoreAndTheToggles) {
    FakeDesktop::Window& w = desktop.Get(top);
    desktop.log.clear();
    EXPECT_EQ(Run(CMD_WINDOW, WIN_MAXIMIZE), 1);
    EXPECT_TRUE(w.maximized);
    EXPECT_EQ(desktop.log,
              (Lines{L"post 0x100 0x112 0xf030 0x0", L"SetWindowPos 0x100 TOPMOST 0,0,0,0 0x4013",
                     L"SetWindowPos 0x100 NOTOPMOST 0,0,0,0 0x4013", L"SetCursorPos 1936,1096",
                     L"SetCursor none"}));
    EXPECT_EQ(desktop.cursor, CursorShape::None);

    Run(CMD_WINDOW, WIN_MAXIMIZE); // maximised: restore
    EXPECT_FALSE(w.maximized);
    Run(CMD_WINDOW, WIN_MINIMIZE);
    EXPECT_TRUE(w.minimized);
    Run(CMD_WINDOW, WIN_MINIMIZE); // minimised: restore
    EXPECT_FALSE(w.minimized);

    Run(CMD_WINDOW, WIN_TOGGLE_MAXIMIZE);
    EXPECT_TRUE(w.maximized);
    Run(CMD_WINDOW, WIN_TOGGLE_MINIMIZE); // maximised: restored rather than minimised
    EXPECT_FALSE(w.maximized);
    EXPECT_FALSE(w.minimized);
    Run(CMD_WINDOW, WIN_TOGGLE_MINIMIZE);
    EXPECT_TRUE(w.minimized);
    Run(CMD_WINDOW, WIN_RESTORE);
    EXPECT_FALSE(w.minimized);
    EXPECT_EQ(desktop.Posted().back(), (Message{top, kWmSysCommand, kScRestore, 0, true}));

    EXPECT_EQ(Run(CMD_WINDOW, 9), 1); // unknown subtype: nothing, result 1
    desktop.messages.clear();
    EXPECT_EQ(Run(CMD_WINDOW, WIN_CLOSE), 1);
    EXPECT_EQ(desktop.Posted(), (std::vector<Message>{{top, kWmSysCommand, kScClose, 0, true}}));
}

TEST_F(ControlCommandTest, ToggleOpenClosesTheWindowOrTheForegroundOneAndStartsOnlyWithoutAnyWindow) {
    WindowHandle other = desktop.AddTopLevel(L"Other", L"O", 20).handle;
    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_OPEN), 1);
    EXPECT_TRUE(desktop.Get(top).destroyed);

    desktop.foreground = other;
    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_OPEN), 1); // the window in front receives the close command
    EXPECT_TRUE(desktop.Get(other).destroyed);

    desktop.foreground = kNoWindow;
    desktop.log.clear();
    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_OPEN), 0);
    EXPECT_EQ(desktop.log, (Lines{L"ShellExecute open|C:\\Apps\\Target\\target.exe||C:\\Apps\\Target|5"}));
    // Other window commands without a window do nothing; without an executable nothing starts.
    desktop.log.clear();
    EXPECT_EQ(Run(CMD_WINDOW, WIN_MAXIMIZE), 0);
    app.executable.clear();
    app.windowCaption = L"Gone";
    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_OPEN), 0);
    EXPECT_TRUE(desktop.log.empty());
}

TEST_F(ControlCommandTest, StartApplicationUsesTheFolderOfAFullPathOrLeavesTheNameToTheShell) {
    tagAPPREF notRunning{L"tool.exe", L"D:\\Tools\\Bin\\tool.exe", L"", L"-x \"a b\""};
    EXPECT_EQ(StartApplication(desktop, notRunning), 1);
    notRunning.appPath.clear();
    StartApplication(desktop, notRunning);
    notRunning.appPath = L"tool.exe";
    StartApplication(desktop, notRunning);
    notRunning.appPath = L"C:\\tool.exe";
    StartApplication(desktop, notRunning);
    EXPECT_EQ(desktop.log,
              (Lines{L"ShellExecute open|D:\\Tools\\Bin\\tool.exe|-x \"a b\"|D:\\Tools\\Bin|5",
                     L"ShellExecute open|tool.exe|-x \"a b\"||5", L"ShellExecute open|tool.exe|-x \"a b\"||5",
                     L"ShellExecute open|C:\\tool.exe|-x \"a b\"|C:|5"}));

    // Running: nothing starts; the window comes to the front without the focus.
    desktop.log.clear();
    EXPECT_EQ(StartApplication(desktop, app), 1);
    EXPECT_EQ(desktop.log, (Lines{L"SetWindowPos 0x100 TOPMOST 0,0,0,0 0x13",
                                  L"SetWindowPos 0x100 NOTOPMOST 0,0,0,0 0x13"}));
    EXPECT_EQ(desktop.foreground, kNoWindow);
    desktop.Get(top).exStyle |= kWsExTopMost;
    desktop.log.clear();
    StartApplication(desktop, app);
    EXPECT_EQ(desktop.log, (Lines{L"SetWindowPos 0x100 TOPMOST 0,0,0,0 0x13"}));
}

TEST_F(ControlCommandTest, ResultsOfTheCommandTypes) {
    EXPECT_EQ(Run(CMD_NONE, 0), 0);
    EXPECT_EQ(Run(6, 0), 0);
    EXPECT_EQ(Run(-1, 0), 0);
    EXPECT_EQ(Run(CMD_OSD, OSD_TIME), 1);
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_VOLUME, 10), 1);
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_MUTE, MUTE_TOGGLE), 0);
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_MUTE, MUTE_ON), 1);
    EXPECT_EQ(audio.mute, (std::vector<uint32_t>{1, 1}));
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_MUTE, MUTE_OFF), 1);
    EXPECT_EQ(audio.mute, (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_MUTE, 3), 0);
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_MOUSECLICK, 1), 1);
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_MOUSEMOVE, MOVE_LEFT), 0);
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_CURSOR, CURSOR_TOGGLE), 1);
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_CURSOR, 3), 0);
    EXPECT_EQ(Run(CMD_SYSTEM, 6), 0);
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_POWER, 0), 1);
    warning.answer = kDialogCancel;
    EXPECT_EQ(Run(CMD_SYSTEM, SYS_POWER, 3), 1);
    EXPECT_TRUE(power.log.empty());
    // None of these needed the target window or pressed a key.
    EXPECT_TRUE(desktop.KeyInputs().empty());
}

} // namespace
} // namespace lm
