#include "ExecFixture.h"

namespace lm {
namespace {

using Message = test::FakeWindows::Message;
using Messages = std::vector<Message>;

class ControlCommandTest : public test::ExecFixture {
protected:
    int Run(int32_t type, int32_t subtype, int32_t param = 0, int32_t param2 = 0) {
        return exec.ExecuteCommand(Command(type, subtype, param, param2), &app);
    }
    WindowHandle top = App(10, L"C:\\Apps\\Target\\target.exe", L"Target");
    tagPRGINFO app = test::AppRecord(L"target.exe", L"C:\\Apps\\Target\\target.exe");
};

TEST_F(ControlCommandTest, DescendantSearchPrefersDirectChildrenThenSameIdChildrenThenDepthFirst) {
    // top: panel(1) { inner(7) }, group(2) { deep(9) { deeper(8) } }, item(7) { nested(7) }
    WindowHandle panel = windows.AddChild(top, L"Static", 1);
    WindowHandle inner = windows.AddChild(panel, L"Button", 7);
    WindowHandle deep = windows.AddChild(windows.AddChild(top, L"Static", 2), L"Static", 9);
    WindowHandle deeper = windows.AddChild(deep, L"Edit", 8);
    WindowHandle item = windows.AddChild(top, L"Button", 7);
    WindowHandle nested = windows.AddChild(item, L"Button", 7);
    EXPECT_EQ(FindDescendantWindow(windows, top, 7), nested); // direct child first, its same-ID child wins
    EXPECT_EQ(FindDescendantWindow(windows, top, 8), deeper);
    EXPECT_EQ(FindDescendantWindow(windows, top, 9), deep);
    EXPECT_EQ(FindDescendantWindow(windows, top, 5), kNoWindow);
    windows[item].id = 70;
    EXPECT_EQ(FindDescendantWindow(windows, top, 7), inner); // no direct child: first subtree in order
}

TEST_F(ControlCommandTest, MenuItemAndButton) {
    EXPECT_EQ(Run(CMD_CONTROL, CTL_MENUITEM, 40001), 1);
    EXPECT_EQ(windows[top].posted, (Messages{{kWmCommand, 40001, 0}}));

    windows[top].exStyle = kWsExTopMost;
    WindowHandle button = windows.AddChild(top, L"BUTTON", 1003);
    EXPECT_EQ(Run(CMD_CONTROL, CTL_BUTTON, 1003), 1);
    EXPECT_EQ(windows[button].posted, (Messages{{kBmClick, 0, 0}}));
    EXPECT_EQ(windows.focus, button);
    EXPECT_EQ(windows.active, top);
    EXPECT_EQ(windows[top].exStyle, 0u); // no longer top-most

    // A control of another class or an unknown ID: nothing, still result 1.
    WindowHandle edit = windows.AddChild(top, L"Edit", 1004);
    windows.active = windows.focus = kNoWindow;
    EXPECT_EQ(Run(CMD_CONTROL, CTL_BUTTON, 1004), 1);
    EXPECT_EQ(Run(CMD_CONTROL, CTL_BUTTON, 999), 1);
    EXPECT_TRUE(windows[edit].posted.empty());
    EXPECT_EQ(windows.active, kNoWindow);

    EXPECT_EQ(Run(CMD_CONTROL, 4, 1003), 0);
    CopyBounded(app.szExecutable, kPrgTextChars, L"absent.exe");
    EXPECT_EQ(Run(CMD_CONTROL, CTL_MENUITEM, 40001), 0);
}

TEST_F(ControlCommandTest, ComboBoxSelectsOnlyExistingItemsAndNotifiesTheParentTwice) {
    WindowHandle dialog = windows.AddChild(top, L"#32770", 50);
    WindowHandle combo = windows.AddChild(dialog, L"ComboBox", 1005);
    windows[combo].items = 3;
    EXPECT_EQ(Run(CMD_CONTROL, CTL_COMBOBOX, 1005, 3), 1); // index == count: nothing is selected
    EXPECT_EQ(windows[combo].selection, -1);
    EXPECT_TRUE(windows[dialog].posted.empty());

    EXPECT_EQ(Run(CMD_CONTROL, CTL_COMBOBOX, 1005, 2), 1);
    EXPECT_EQ(windows[combo].selection, 2);
    const auto from = static_cast<intptr_t>(combo);
    EXPECT_EQ(windows[dialog].posted,
              (Messages{{kWmCommand, (1u << 16) | 1005, from}, {kWmCommand, (9u << 16) | 1005, from}}));
    // A negative index is below any count in the signed comparison, so it goes through too.
    EXPECT_EQ(Run(CMD_CONTROL, CTL_COMBOBOX, 1005, -1), 1);
    EXPECT_EQ(windows[dialog].posted.size(), 4u);
    windows[combo].className = L"ListBox";
    Run(CMD_CONTROL, CTL_COMBOBOX, 1005, 1);
    EXPECT_EQ(windows[dialog].posted.size(), 4u);
}

TEST_F(ControlCommandTest, SliderStepsArePercentOfTheRangeKeptInsideIt) {
    WindowHandle bar = windows.AddChild(top, L"msctls_trackbar32", 1006);
    auto step = [&](WindowHandle control, int32_t from, int32_t percent) {
        windows[control].position = from;
        EXPECT_EQ(Run(CMD_CONTROL, CTL_SLIDER, windows[control].id, percent), 1);
        return windows[control].position;
    };
    EXPECT_EQ(step(bar, 5, -10), 0);
    const auto from = static_cast<intptr_t>(bar);
    EXPECT_EQ(windows[top].posted,
              (Messages{{kWmHScroll, kSbThumbTrack, from}, {kWmHScroll, kSbEndScroll, from}}));
    EXPECT_EQ(step(bar, 95, 10), 100);
    windows[bar].maximum = 15;
    EXPECT_EQ(step(bar, 3, 10), 4); // 15 * 10 / 100 = 1.5, truncated
    EXPECT_EQ(step(bar, 3, -10), 2);
    windows[bar].style = kTbsVert;
    step(bar, 0, 1);
    EXPECT_EQ(windows[top].posted.back(), (Message{kWmVScroll, kSbEndScroll, from}));

    // A scroll-bar control: its own bar.
    WindowHandle scroll = windows.AddChild(top, L"ScrollBar", 1007);
    windows[scroll].maximum = 200;
    EXPECT_EQ(step(scroll, 150, 30), 200);
    EXPECT_EQ(std::get<0>(windows[top].posted.back()), kWmHScroll);
    windows[scroll].style = kSbsVert;
    EXPECT_EQ(step(scroll, 200, -30), 140);
    EXPECT_EQ(windows[top].posted.back(), (Message{kWmVScroll, kSbEndScroll, static_cast<intptr_t>(scroll)}));

    // Another class: nothing.
    windows[top].posted.clear();
    EXPECT_EQ(step(windows.AddChild(top, L"Edit", 1008), 50, 10), 50);
    EXPECT_TRUE(windows[top].posted.empty());
}

TEST_F(ControlCommandTest, MaximiseMinimiseRestoreAndTheToggles) {
    test::FakeWindows::Window& w = windows[top];
    WindowHandle other = windows.Add(L"Other", L"O", 20, true);
    EXPECT_EQ(Run(CMD_WINDOW, WIN_MAXIMIZE), 1);
    EXPECT_TRUE(w.maximized);
    // Raised above the other normal windows without taking the focus; the pointer parked and hidden.
    EXPECT_EQ(windows.topLevel, (std::vector<WindowHandle>{top, other}));
    EXPECT_EQ(w.exStyle, 0u);
    EXPECT_TRUE(windows.foreground == kNoWindow && input.cursor == CursorShape::None);
    EXPECT_TRUE(input.x == 1936 && input.y == 1096);

    // Each command and the state it leaves, 1 maximised, 2 minimised: Maximise on a maximised window
    // and Minimise on a minimised one restore it, Toggle minimise restores a maximised one.
    for (auto [subtype, state] : {std::pair{WIN_MAXIMIZE, 0},
                                  {WIN_MINIMIZE, 2},
                                  {WIN_MINIMIZE, 0},
                                  {WIN_TOGGLE_MAXIMIZE, 1},
                                  {WIN_TOGGLE_MINIMIZE, 0},
                                  {WIN_TOGGLE_MINIMIZE, 2},
                                  {WIN_RESTORE, 0}}) {
        EXPECT_EQ(Run(CMD_WINDOW, subtype), 1);
        EXPECT_EQ((w.maximized ? 1 : 0) + (w.minimized ? 2 : 0), state) << subtype;
    }
    EXPECT_EQ(w.posted.back(), (Message{kWmSysCommand, kScRestore, 0}));
    EXPECT_EQ(Run(CMD_WINDOW, 9), 1); // unknown subtype: nothing, result 1
    EXPECT_EQ(Run(CMD_WINDOW, WIN_CLOSE), 1);
    EXPECT_EQ(w.posted.back(), (Message{kWmSysCommand, kScClose, 0}));
    EXPECT_TRUE(w.destroyed);

    // Without the application's window the others act on the window in front.
    windows.foreground = other;
    EXPECT_EQ(Run(CMD_WINDOW, WIN_MINIMIZE), 1);
    EXPECT_TRUE(windows[other].minimized);
    windows.foreground = kNoWindow;
    EXPECT_EQ(Run(CMD_WINDOW, WIN_MAXIMIZE), 0);
}

TEST_F(ControlCommandTest, ToggleOpenClosesTheApplicationsWindowOrStartsIt) {
    WindowHandle other = windows.Add(L"Other", L"O", 20);
    windows.foreground = other;
    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_OPEN), 1);
    EXPECT_TRUE(windows[top].destroyed);

    // Not running: started, whatever is in front; the window in front is left alone.
    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_OPEN), 0);
    EXPECT_FALSE(windows[other].destroyed);
    EXPECT_TRUE(windows[other].posted.empty());
    EXPECT_EQ(shell.started,
              (std::vector<std::wstring>{L"open|C:\\Apps\\Target\\target.exe||C:\\Apps\\Target|5"}));
    // Without an executable nothing starts.
    app = test::AppRecord(L"", L"", L"Gone");
    EXPECT_EQ(Run(CMD_WINDOW, WIN_TOGGLE_OPEN), 0);
    EXPECT_EQ(shell.started.size(), 1u);
    EXPECT_FALSE(windows[other].destroyed);
}

TEST_F(ControlCommandTest, StartApplicationUsesTheFolderOfAFullPathOrLeavesTheNameToTheShell) {
    tagPRGINFO notRunning = test::AppRecord(L"tool.exe", L"", L"", L"-x \"a b\"");
    for (const wchar_t* path : {L"D:\\Tools\\Bin\\tool.exe", L"", L"tool.exe", L"C:\\tool.exe"}) {
        CopyBounded(notRunning.szAppPath, kPrgTextChars, path);
        EXPECT_EQ(StartApplication(windows, processes, shell, notRunning), 1);
    }
    EXPECT_EQ(shell.started,
              (std::vector<std::wstring>{L"open|D:\\Tools\\Bin\\tool.exe|-x \"a b\"|D:\\Tools\\Bin|5",
                                         L"open|tool.exe|-x \"a b\"||5", L"open|tool.exe|-x \"a b\"||5",
                                         L"open|C:\\tool.exe|-x \"a b\"|C:|5"}));

    // Running: nothing starts; the window comes to the front of the normal windows, without the focus.
    windows.Add(L"Other", L"O", 20, true);
    WindowHandle pinned = windows.Add(L"Pinned", L"P", 30, true);
    windows[pinned].exStyle = kWsExTopMost;
    shell.started.clear();
    EXPECT_EQ(StartApplication(windows, processes, shell, app), 1);
    EXPECT_TRUE(shell.started.empty());
    EXPECT_EQ(windows.topLevel[1], top);
    EXPECT_EQ(windows[top].exStyle, 0u);
    EXPECT_EQ(windows.foreground, kNoWindow);
    // A top-most window stays top-most and comes to the very front.
    windows[top].exStyle = kWsExTopMost;
    StartApplication(windows, processes, shell, app);
    EXPECT_EQ(windows.topLevel[0], top);
    EXPECT_EQ(windows[top].exStyle, kWsExTopMost);
}

TEST_F(ControlCommandTest, ResultsOfTheCommandTypes) {
    warning.answer = kDialogCancel;
    // Type, subtype, parameter and the result.
    // clang-format off
    const int32_t cases[][4] = {
        {CMD_NONE, 0, 0, 0}, {6, 0, 0, 0}, {-1, 0, 0, 0}, {CMD_OSD, OSD_TIME, 0, 1},
        {CMD_SYSTEM, SYS_VOLUME, 10, 1}, {CMD_SYSTEM, SYS_MUTE, MUTE_TOGGLE, 0},
        {CMD_SYSTEM, SYS_MUTE, MUTE_OFF, 1}, {CMD_SYSTEM, SYS_MUTE, MUTE_ON, 1}, {CMD_SYSTEM, SYS_MUTE, 3, 0},
        {CMD_SYSTEM, SYS_MOUSECLICK, 1, 1}, {CMD_SYSTEM, SYS_MOUSEMOVE, MOVE_LEFT, 0},
        {CMD_SYSTEM, SYS_CURSOR, CURSOR_TOGGLE, 1}, {CMD_SYSTEM, SYS_CURSOR, 3, 0}, {CMD_SYSTEM, 6, 0, 0},
        {CMD_SYSTEM, SYS_POWER, 0, 1}, {CMD_SYSTEM, SYS_POWER, 3, 1}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(Run(c[0], c[1], c[2]), c[3]) << c[0] << "," << c[1] << "," << c[2];
    // What they did: volume up, mute toggled, cleared and set, a middle click, the pointer hidden, the
    // screen saver started; the cancelled shutdown did nothing. None needed the target window.
    EXPECT_EQ(audio.volume, (std::vector<uint32_t>{36553, 36553}));
    EXPECT_EQ(audio.mute, (std::vector<uint32_t>{1, 1}));
    EXPECT_EQ(input.buttons, L"Mm");
    EXPECT_EQ(input.cursor, CursorShape::None);
    EXPECT_EQ(windows[test::FakeWindows::kDesktop].posted.size(), 1u);
    EXPECT_EQ(power.state, L"on");
    EXPECT_TRUE(windows[top].posted.empty() && windows[top].keys.empty());
}

} // namespace
} // namespace lm
