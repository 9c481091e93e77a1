#include "exec/CmdExecutor.h"

#include "base/Path.h"
#include "base/Text.h"

#include "exec/MouseMove.h"
#include "exec/VirtualKeys.h"
#include "exec/Volume.h"
#include "support/LMDebug.h"

#include <algorithm>
#include <cwctype>

namespace lm {

namespace {

constexpr size_t kClassNameChars = 128;
constexpr uint32_t kForegroundPollMs = 1;
constexpr int32_t kShowNormal = 5;
constexpr uint32_t kRaiseFlags = kSwpNoSize | kSwpNoMove | kSwpNoActivate;

std::wstring LowerClassName(IWindows& windows, WindowHandle window) {
    return TextToLower(windows.ClassName(window, kClassNameChars));
}

uintptr_t CommandParam(int32_t id, uint32_t notification) {
    return (static_cast<uintptr_t>(notification & 0xFFFF) << 16) | (static_cast<uint32_t>(id) & 0xFFFF);
}

// Position + percent of the range, kept inside the range. The product is taken in 64 bits so that
// extreme ranges cannot overflow; ordinary ranges give the 32-bit result.
int32_t SteppedPosition(int32_t position, int32_t minimum, int32_t maximum, int32_t percent) {
    int64_t step = (static_cast<int64_t>(maximum) - minimum) * percent / 100;
    int64_t next = static_cast<int64_t>(position) + step;
    if (next > maximum)
        next = maximum;
    if (next < minimum)
        next = minimum;
    return static_cast<int32_t>(next);
}

} // namespace

CCmdExecutor::CCmdExecutor(const tagEXECSERVICES& services)
    : services_(services), windows_(services.windows), input_(services.input),
      sleeper_(services.threads.NewEvent(true, false)), elevated_(services.windows, services.processes) {}

void CCmdExecutor::Sleep(uint32_t milliseconds) {
    if (sleeper_)
        sleeper_->Wait(milliseconds);
}

WindowHandle CCmdExecutor::ApplicationWindow(const tagWINCMD& command, const tagPRGINFO* app,
                                             WindowHandle appWindow) {
    if (!command.szWndCaption[0] && appWindow != kNoWindow && windows_.IsWindow(appWindow))
        return appWindow;
    std::wstring caption = command.szWndCaption;
    if (caption.empty() && app)
        caption = app->szWindowCaption;
    std::wstring executable = app ? app->szExecutable : std::wstring();
    if (caption.empty() && executable.empty())
        return kNoWindow;
    return CLMFindWindow(windows_, services_.processes).FindWindow(caption, executable, false);
}

WindowHandle CCmdExecutor::ChooseTargetWindow(const tagWINCMD& command, const tagPRGINFO* app,
                                              WindowHandle appWindow) {
    WindowHandle window = ApplicationWindow(command, app, appWindow);
    return window != kNoWindow ? window : windows_.ForegroundWindow();
}

WindowHandle CCmdExecutor::KeyTarget(const tagWINCMD& command, const tagPRGINFO* app,
                                     WindowHandle appWindow) {
    WindowHandle target = ChooseTargetWindow(command, app, appWindow);
    if (target == kNoWindow)
        return kNoWindow;
    // A modal dialog of the window takes the keys.
    WindowHandle popup = windows_.EnabledPopup(target);
    if (popup != kNoWindow && popup != target && windows_.Parent(popup) == target)
        target = popup;
    return target;
}

int CCmdExecutor::ExecuteCommand(const tagWINCMD& command, const tagPRGINFO* app, WindowHandle appWindow) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CCmdExecutor::ExecuteCommand", L"%d,%d,%d",
                        command.nType, command.nSubType, command.nParam);
    switch (command.nType) {
    case CMD_OSD:
        return 1; // the command handler runs these itself
    case CMD_SYSTEM:
        return SystemCommand(command);
    case CMD_KEY: {
        WindowHandle target = KeyTarget(command, app, appWindow);
        if (target == kNoWindow || !Reachable(target))
            return 0;
        SendKeystroke(target, static_cast<uint16_t>(command.nSubType & 0xFFFF),
                      (command.nParam & MOD_KEY_ALT) != 0, (command.nParam & MOD_KEY_CTRL) != 0,
                      (command.nParam & MOD_KEY_SHIFT) != 0);
        return 1;
    }
    case CMD_WINDOW: {
        // Toggle open/close acts on the application's own window or starts the application; it never
        // closes whatever else is in front.
        WindowHandle target = command.nSubType == WIN_TOGGLE_OPEN
                                  ? ApplicationWindow(command, app, appWindow)
                                  : ChooseTargetWindow(command, app, appWindow);
        if (target != kNoWindow && !Reachable(target))
            return 0;
        return WindowCommand(command, app, target);
    }
    case CMD_CONTROL: {
        WindowHandle target = ChooseTargetWindow(command, app, appWindow);
        if (target == kNoWindow || !Reachable(target))
            return 0;
        switch (command.nSubType) {
        case CTL_MENUITEM:
            windows_.PostMsg(target, kWmCommand,
                             static_cast<uintptr_t>(static_cast<uint32_t>(command.nParam)), 0);
            return 1;
        case CTL_BUTTON:
            ClickButton(target, command.nParam);
            return 1;
        case CTL_COMBOBOX:
            SelectComboBoxItem(target, command.nParam, command.nParam2);
            return 1;
        case CTL_SLIDER:
            StepSlider(target, command.nParam, command.nParam2);
            return 1;
        default:
            return 0;
        }
    }
    default:
        return 0;
    }
}

int CCmdExecutor::SystemCommand(const tagWINCMD& command) {
    switch (command.nSubType) {
    case SYS_POWER: {
        tagPOWERSERVICES power{windows_,        services_.processes, services_.shell,
                               services_.power, services_.warning,   services_.strings};
        PowerCommand(power, command.nParam);
        return 1;
    }
    case SYS_VOLUME:
        MixerCommand(services_.audio, kMixerVolume, command.nParam);
        return 1;
    case SYS_MUTE:
        switch (command.nParam) {
        case MUTE_TOGGLE:
            MixerCommand(services_.audio, kMixerToggleMute, 0);
            return 0;
        case MUTE_ON:
            MixerCommand(services_.audio, kMixerMute, 0);
            return 1;
        case MUTE_OFF:
            MixerCommand(services_.audio, kMixerUnmute, 0);
            return 1;
        default:
            return 0;
        }
    case SYS_MOUSECLICK:
        SendMouseClick(input_, command.nParam);
        return 1;
    case SYS_CURSOR:
        return SetMouseCursor(input_, command.nParam) ? 1 : 0;
    default:
        return 0; // mouse moves are the handler's own; unknown subtypes do nothing
    }
}

void CCmdExecutor::SendKeystroke(WindowHandle window, uint16_t code, bool alt, bool ctrl, bool shift) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CCmdExecutor::SendKeystroke", L"%u,%d,%d,%d",
                        static_cast<unsigned>(code), alt ? 1 : 0, ctrl ? 1 : 0, shift ? 1 : 0);
    if (!BringToFront(window))
        return;

    const bool capsWasOn = (input_.KeyState(kVkCapital) & 1) != 0;
    // Upper-case characters are typed with Caps Lock on rather than with Shift.
    if (std::iswupper(static_cast<wint_t>(code)) && !capsWasOn) {
        Key(kVkCapital, false);
        Key(kVkCapital, true);
    }
    if (alt)
        Key(kVkMenu, false);
    if (ctrl)
        Key(kVkControl, false);
    if (shift)
        Key(kVkShift, false);

    // The whole translation goes into the virtual-key field, shift state included; no modifier is
    // pressed for that shift state.
    const uint16_t vk = IsTableVirtualKey(code) ? code : input_.CharToVirtualKey(static_cast<wchar_t>(code));
    Key(vk, false);
    Key(vk, true);

    if (shift)
        Key(kVkShift, true);
    if (ctrl)
        Key(kVkControl, true);
    if (alt)
        Key(kVkMenu, true);

    if (((input_.KeyState(kVkCapital) & 1) != 0) != capsWasOn) {
        Key(kVkCapital, false);
        Key(kVkCapital, true);
    }
}

int CCmdExecutor::ExecuteTextCommand(const tagWINCMD& command, const tagPRGINFO* app,
                                     WindowHandle appWindow) {
    if (command.nType != CMD_KEY)
        return ExecuteCommand(command, app, appWindow);
    WindowHandle target = KeyTarget(command, app, appWindow);
    if (target == kNoWindow || !Reachable(target))
        return 0;
    TypeCharacter(target, static_cast<uint16_t>(command.nSubType & 0xFFFF));
    return 1;
}

void CCmdExecutor::TypeCharacter(WindowHandle window, uint16_t character) {
    LM_TRACE_SCOPE_ARG(L"CCmdExecutor::TypeCharacter", L"%u", static_cast<unsigned>(character));
    if (!BringToFront(window))
        return;
    // A character record types the character itself, independent of the keyboard layout, Caps Lock
    // and the virtual key that happens to share its code.
    input_.SendInput(tagINPUTRECORD::Unicode(character, false));
    input_.SendInput(tagINPUTRECORD::Unicode(character, true));
}

bool CCmdExecutor::Reachable(WindowHandle target) {
    if (!elevated_.IsRefused(target))
        return true;
    std::wstring name = elevated_.ExecutableName(target);
    if (name.empty())
        name = windows_.WindowText(target, kWindowTextChars); // the process would not tell its file
    TraceMessage(kTraceErr, kTraceAllContexts,
                 L"CCmdExecutor::ExecuteCommand() - %ls runs as administrator\n", name.c_str());
    IOsdDisplay* display = display_.load();
    if (display && elevated_.FirstNotice(name)) {
        const std::wstring format = services_.strings.Text(
            kIdsElevatedTarget, L"%ls runs as administrator: start the remote control as administrator too, "
                                L"or the other program without it");
        display->ShowText(FormatBounded(kCmdTextChars - 1, format.c_str(), name.c_str()));
    }
    return false;
}

// The window in front gets the keyboard input. When the system lets the switch happen a little later,
// or refuses it, the keys follow after a short, bounded wait.
bool CCmdExecutor::BringToFront(WindowHandle window) {
    if (window == kNoWindow)
        return false;
    if (windows_.ForegroundWindow() == window)
        return true;
    if (!windows_.IsWindow(window))
        return false;
    windows_.SetForegroundWindow(window);
    const uint32_t start = services_.clock.TickCount();
    while (windows_.ForegroundWindow() != window && services_.clock.TickCount() - start < kForegroundWaitMs)
        Sleep(kForegroundPollMs);
    return true;
}

WindowHandle FindDescendantWindow(IWindows& windows, WindowHandle parent, int32_t id) {
    if (WindowHandle child = windows.DlgItem(parent, id)) {
        if (!windows.Children(child).empty()) {
            if (WindowHandle inner = FindDescendantWindow(windows, child, id))
                return inner;
        }
        return child;
    }
    for (WindowHandle child : windows.Children(parent))
        if (WindowHandle found = FindDescendantWindow(windows, child, id))
            return found;
    return kNoWindow;
}

void CCmdExecutor::ClickButton(WindowHandle top, int32_t id) {
    LM_TRACE_SCOPE_ARG(L"CCmdExecutor::ClickButton", L"%d", id);
    if (top == kNoWindow || !windows_.IsWindow(top))
        return;
    WindowHandle button = FindDescendantWindow(windows_, top, id);
    if (button == kNoWindow)
        button = windows_.DlgItem(top, id);
    if (button == kNoWindow || LowerClassName(windows_, button) != L"button")
        return;
    windows_.SetWindowPos(top, kWindowNoTopMost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
    windows_.SetActiveWindow(top);
    windows_.SetFocus(button);
    Sleep(10);
    windows_.PostMsg(button, kBmClick, 0, 0);
}

void CCmdExecutor::SelectComboBoxItem(WindowHandle top, int32_t id, int32_t index) {
    LM_TRACE_SCOPE_ARG(L"CCmdExecutor::SelectComboBoxItem", L"%d,%d", id, index);
    if (top == kNoWindow)
        return;
    WindowHandle combo = FindDescendantWindow(windows_, top, id);
    if (combo == kNoWindow || LowerClassName(windows_, combo) != L"combobox")
        return;
    windows_.SetWindowPos(top, kWindowNoTopMost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
    windows_.SetActiveWindow(top);
    const intptr_t count = windows_.SendMsg(combo, kCbGetCount, 0, 0);
    if (count <= index)
        return;
    windows_.SendMsg(combo, kCbSetCurSel, static_cast<uintptr_t>(static_cast<intptr_t>(index)), 0);
    if (WindowHandle parent = windows_.Parent(combo)) {
        const intptr_t from = static_cast<intptr_t>(combo);
        windows_.PostMsg(parent, kWmCommand, CommandParam(id, kCbnSelChange), from);
        windows_.PostMsg(parent, kWmCommand, CommandParam(id, kCbnSelEndOk), from);
    }
}

void CCmdExecutor::StepSlider(WindowHandle top, int32_t id, int32_t percent) {
    LM_TRACE_SCOPE_ARG(L"CCmdExecutor::StepSlider", L"%d,%d", id, percent);
    if (top == kNoWindow)
        return;
    WindowHandle control = FindDescendantWindow(windows_, top, id);
    if (control == kNoWindow)
        return;
    windows_.SetActiveWindow(top);
    const std::wstring cls = LowerClassName(windows_, control);
    bool vertical = false;
    if (cls == L"msctls_trackbar32") {
        const auto minimum = static_cast<int32_t>(windows_.SendMsg(control, kTbmGetRangeMin, 0, 0));
        const auto maximum = static_cast<int32_t>(windows_.SendMsg(control, kTbmGetRangeMax, 0, 0));
        const auto position = static_cast<int32_t>(windows_.SendMsg(control, kTbmGetPos, 0, 0));
        windows_.SendMsg(control, kTbmSetPos, 1, SteppedPosition(position, minimum, maximum, percent));
        vertical = (windows_.Style(control) & kTbsVert) != 0;
    } else if (cls == L"scrollbar") {
        int32_t minimum = 0, maximum = 0;
        windows_.ScrollRange(control, kSbCtl, minimum, maximum);
        const int32_t position = windows_.ScrollPos(control, kSbCtl);
        windows_.SetScrollPos(control, kSbCtl, SteppedPosition(position, minimum, maximum, percent), true);
        vertical = (windows_.Style(control) & kSbsVert) != 0;
    } else {
        return;
    }
    if (WindowHandle parent = windows_.Parent(control)) {
        const uint32_t message = vertical ? kWmVScroll : kWmHScroll;
        windows_.PostMsg(parent, message, kSbThumbTrack, static_cast<intptr_t>(control));
        windows_.PostMsg(parent, message, kSbEndScroll, static_cast<intptr_t>(control));
    }
}

int CCmdExecutor::WindowCommand(const tagWINCMD& command, const tagPRGINFO* app, WindowHandle target) {
    if (target == kNoWindow) {
        if (command.nSubType == WIN_TOGGLE_OPEN && app && app->szExecutable[0] != 0)
            StartApplication(windows_, services_.processes, services_.shell, *app);
        return 0;
    }
    switch (command.nSubType) {
    case WIN_CLOSE:
    case WIN_TOGGLE_OPEN:
        windows_.PostMsg(target, kWmSysCommand, kScClose, 0);
        break;
    case WIN_MAXIMIZE:
        SendSysCommand(windows_, input_, target, kScMaximize);
        break;
    case WIN_MINIMIZE:
        SendSysCommand(windows_, input_, target, kScMinimize);
        break;
    case WIN_RESTORE:
        windows_.PostMsg(target, kWmSysCommand, kScRestore, 0);
        break;
    case WIN_TOGGLE_MAXIMIZE:
        SendSysCommand(windows_, input_, target, windows_.IsMaximized(target) ? kScRestore : kScMaximize);
        break;
    case WIN_TOGGLE_MINIMIZE:
        SendSysCommand(windows_, input_, target, windows_.IsMaximized(target) ? kScRestore : kScMinimize);
        break;
    default:
        break;
    }
    return 1;
}

void SendSysCommand(IWindows& windows, IInput& input, WindowHandle window, uint32_t code) {
    if (window == kNoWindow)
        return;
    switch (code) {
    case kScMinimize:
        windows.PostMsg(window, kWmSysCommand, windows.IsMinimized(window) ? kScRestore : kScMinimize, 0);
        break;
    case kScMaximize: {
        if (windows.IsMaximized(window)) {
            windows.PostMsg(window, kWmSysCommand, kScRestore, 0);
            break;
        }
        windows.PostMsg(window, kWmSysCommand, kScMaximize, 0);
        // Above the other normal windows, without taking the focus.
        windows.SetWindowPos(window, kWindowTopMost, 0, 0, 0, 0, kRaiseFlags | kSwpAsyncWindowPos);
        windows.SetWindowPos(window, kWindowNoTopMost, 0, 0, 0, 0, kRaiseFlags | kSwpAsyncWindowPos);
        int32_t cx = 0, cy = 0;
        input.MaximizedSize(cx, cy);
        input.SetCursorPos(cx, cy);
        input.SetCursor(CursorShape::None);
        break;
    }
    default:
        windows.PostMsg(window, kWmSysCommand, code, 0);
        break;
    }
}

int StartApplication(IWindows& windows, IProcesses& processes, IShell& shell, const tagPRGINFO& app) {
    LM_TRACE_SCOPE_ARG(L"StartApplication", L"%ls", app.szExecutable);
    WindowHandle window =
        CLMFindWindow(windows, processes).FindWindow(app.szWindowCaption, app.szExecutable, false);
    if (window == kNoWindow) {
        const std::wstring folder = PathFolder(app.szAppPath);
        if (folder.size() >= 2)
            shell.ShellExec(L"open", app.szAppPath, app.szCommandLine, folder, kShowNormal);
        else
            shell.ShellExec(L"open", app.szExecutable, app.szCommandLine, std::wstring(), kShowNormal);
        return 1;
    }
    if (windows.IsWindow(window)) {
        if (!(windows.ExStyle(window) & kWsExTopMost)) {
            windows.SetWindowPos(window, kWindowTopMost, 0, 0, 0, 0, kRaiseFlags);
            windows.SetWindowPos(window, kWindowNoTopMost, 0, 0, 0, 0, kRaiseFlags);
        } else {
            windows.SetWindowPos(window, kWindowTopMost, 0, 0, 0, 0, kRaiseFlags);
        }
    }
    return 1;
}

} // namespace lm
