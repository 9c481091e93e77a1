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
constexpr int kActivatePolls = 15;
constexpr uint32_t kActivatePollMs = 10;
constexpr int32_t kShowNormal = 5;
constexpr uint32_t kRaiseFlags = kSwpNoSize | kSwpNoMove | kSwpNoActivate;

std::wstring LowerClassName(IDesktop& desktop, WindowHandle window) {
    return TextToLower(desktop.ClassName(window, kClassNameChars));
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

CCmdExecutor::CCmdExecutor(const ExecServices& services)
    : services_(services), desktop_(services.desktop), sleeper_(services.threads.NewEvent(true, false)) {}

void CCmdExecutor::Sleep(uint32_t milliseconds) {
    if (sleeper_)
        sleeper_->Wait(milliseconds);
}

WindowHandle CCmdExecutor::ChooseTargetWindow(const tagWINCMD& command, const tagAPPREF* app) {
    std::wstring caption = command.szWndCaption;
    if (caption.empty() && app)
        caption = app->windowCaption;
    std::wstring executable = app ? app->executable : std::wstring();
    WindowHandle window = kNoWindow;
    if (!caption.empty() || !executable.empty())
        window = CLMFindWindow(desktop_).FindWindow(caption, executable, false);
    return window != kNoWindow ? window : desktop_.ForegroundWindow();
}

int CCmdExecutor::ExecuteCommand(const tagWINCMD& command, const tagAPPREF* app) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CCmdExecutor::ExecuteCommand", L"%d,%d,%d",
                        command.nType, command.nSubType, command.nParam);
    switch (command.nType) {
    case CMD_OSD:
        return 1; // the command handler runs these itself
    case CMD_SYSTEM:
        return SystemCommand(command);
    case CMD_KEY: {
        WindowHandle target = ChooseTargetWindow(command, app);
        if (target == kNoWindow)
            return 0;
        // A modal dialog of the window takes the keys.
        WindowHandle popup = desktop_.EnabledPopup(target);
        if (popup != kNoWindow && popup != target && desktop_.Parent(popup) == target)
            target = popup;
        SendKeystroke(target, static_cast<uint16_t>(command.nSubType & 0xFFFF),
                      (command.nParam & MOD_KEY_ALT) != 0, (command.nParam & MOD_KEY_CTRL) != 0,
                      (command.nParam & MOD_KEY_SHIFT) != 0);
        return 1;
    }
    case CMD_WINDOW:
        return WindowCommand(command, app, ChooseTargetWindow(command, app));
    case CMD_CONTROL: {
        WindowHandle target = ChooseTargetWindow(command, app);
        if (target == kNoWindow)
            return 0;
        switch (command.nSubType) {
        case CTL_MENUITEM:
            desktop_.PostMsg(target, kWmCommand,
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
        PowerServices power{desktop_, services_.power, services_.warning, services_.strings};
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
        SendMouseClick(desktop_, command.nParam);
        return 1;
    case SYS_CURSOR:
        return SetMouseCursor(desktop_, command.nParam) ? 1 : 0;
    default:
        return 0; // mouse moves are the handler's own; unknown subtypes do nothing
    }
}

void CCmdExecutor::SendKeystroke(WindowHandle window, uint16_t code, bool alt, bool ctrl, bool shift) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CCmdExecutor::SendKeystroke", L"%u,%d,%d,%d",
                        static_cast<unsigned>(code), alt ? 1 : 0, ctrl ? 1 : 0, shift ? 1 : 0);
    if (window == kNoWindow || !desktop_.IsWindow(window))
        return;

    desktop_.SetForegroundWindow(window);
    if (desktop_.SetActiveWindow(window) != kNoWindow) {
        for (int i = 0; i < kActivatePolls; ++i) {
            if (desktop_.ActiveWindow() == window)
                break;
            Sleep(kActivatePollMs);
        }
    } else {
        Sleep(kActivatePollMs);
    }

    const bool capsWasOn = (desktop_.KeyState(kVkCapital) & 1) != 0;
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
    const uint16_t vk =
        IsTableVirtualKey(code) ? code : desktop_.CharToVirtualKey(static_cast<wchar_t>(code));
    Key(vk, false);
    Key(vk, true);

    if (shift)
        Key(kVkShift, true);
    if (ctrl)
        Key(kVkControl, true);
    if (alt)
        Key(kVkMenu, true);

    if (((desktop_.KeyState(kVkCapital) & 1) != 0) != capsWasOn) {
        Key(kVkCapital, false);
        Key(kVkCapital, true);
    }
}

WindowHandle FindDescendantWindow(IDesktop& desktop, WindowHandle parent, int32_t id) {
    if (WindowHandle child = desktop.DlgItem(parent, id)) {
        if (!desktop.Children(child).empty()) {
            if (WindowHandle inner = FindDescendantWindow(desktop, child, id))
                return inner;
        }
        return child;
    }
    for (WindowHandle child : desktop.Children(parent))
        if (WindowHandle found = FindDescendantWindow(desktop, child, id))
            return found;
    return kNoWindow;
}

void CCmdExecutor::ClickButton(WindowHandle top, int32_t id) {
    LM_TRACE_SCOPE_ARG(L"CCmdExecutor::ClickButton", L"%d", id);
    if (top == kNoWindow || !desktop_.IsWindow(top))
        return;
    WindowHandle button = FindDescendantWindow(desktop_, top, id);
    if (button == kNoWindow)
        button = desktop_.DlgItem(top, id);
    if (button == kNoWindow || LowerClassName(desktop_, button) != L"button")
        return;
    desktop_.SetWindowPos(top, kWindowNoTopMost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
    desktop_.SetActiveWindow(top);
    desktop_.SetFocus(button);
    Sleep(10);
    desktop_.PostMsg(button, kBmClick, 0, 0);
}

void CCmdExecutor::SelectComboBoxItem(WindowHandle top, int32_t id, int32_t index) {
    LM_TRACE_SCOPE_ARG(L"CCmdExecutor::SelectComboBoxItem", L"%d,%d", id, index);
    if (top == kNoWindow)
        return;
    WindowHandle combo = FindDescendantWindow(desktop_, top, id);
    if (combo == kNoWindow || LowerClassName(desktop_, combo) != L"combobox")
        return;
    desktop_.SetWindowPos(top, kWindowNoTopMost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
    desktop_.SetActiveWindow(top);
    const intptr_t count = desktop_.SendMsg(combo, kCbGetCount, 0, 0);
    if (count <= index)
        return;
    desktop_.SendMsg(combo, kCbSetCurSel, static_cast<uintptr_t>(static_cast<intptr_t>(index)), 0);
    if (WindowHandle parent = desktop_.Parent(combo)) {
        const intptr_t from = static_cast<intptr_t>(combo);
        desktop_.PostMsg(parent, kWmCommand, CommandParam(id, kCbnSelChange), from);
        desktop_.PostMsg(parent, kWmCommand, CommandParam(id, kCbnSelEndOk), from);
    }
}

void CCmdExecutor::StepSlider(WindowHandle top, int32_t id, int32_t percent) {
    LM_TRACE_SCOPE_ARG(L"CCmdExecutor::StepSlider", L"%d,%d", id, percent);
    if (top == kNoWindow)
        return;
    WindowHandle control = FindDescendantWindow(desktop_, top, id);
    if (control == kNoWindow)
        return;
    desktop_.SetActiveWindow(top);
    const std::wstring cls = LowerClassName(desktop_, control);
    bool vertical = false;
    if (cls == L"msctls_trackbar32") {
        const auto minimum = static_cast<int32_t>(desktop_.SendMsg(control, kTbmGetRangeMin, 0, 0));
        const auto maximum = static_cast<int32_t>(desktop_.SendMsg(control, kTbmGetRangeMax, 0, 0));
        const auto position = static_cast<int32_t>(desktop_.SendMsg(control, kTbmGetPos, 0, 0));
        desktop_.SendMsg(control, kTbmSetPos, 1, SteppedPosition(position, minimum, maximum, percent));
        vertical = (desktop_.Style(control) & kTbsVert) != 0;
    } else if (cls == L"scrollbar") {
        int32_t minimum = 0, maximum = 0;
        desktop_.ScrollRange(control, kSbCtl, minimum, maximum);
        const int32_t position = desktop_.ScrollPos(control, kSbCtl);
        desktop_.SetScrollPos(control, kSbCtl, SteppedPosition(position, minimum, maximum, percent), true);
        vertical = (desktop_.Style(control) & kSbsVert) != 0;
    } else {
        return;
    }
    if (WindowHandle parent = desktop_.Parent(control)) {
        const uint32_t message = vertical ? kWmVScroll : kWmHScroll;
        desktop_.PostMsg(parent, message, kSbThumbTrack, static_cast<intptr_t>(control));
        desktop_.PostMsg(parent, message, kSbEndScroll, static_cast<intptr_t>(control));
    }
}

int CCmdExecutor::WindowCommand(const tagWINCMD& command, const tagAPPREF* app, WindowHandle target) {
    if (target == kNoWindow) {
        if (command.nSubType == WIN_TOGGLE_OPEN && app && !app->executable.empty())
            StartApplication(desktop_, *app);
        return 0;
    }
    switch (command.nSubType) {
    case WIN_CLOSE:
    case WIN_TOGGLE_OPEN:
        desktop_.PostMsg(target, kWmSysCommand, kScClose, 0);
        break;
    case WIN_MAXIMIZE:
        SendSysCommand(desktop_, target, kScMaximize);
        break;
    case WIN_MINIMIZE:
        SendSysCommand(desktop_, target, kScMinimize);
        break;
    case WIN_RESTORE:
        desktop_.PostMsg(target, kWmSysCommand, kScRestore, 0);
        break;
    case WIN_TOGGLE_MAXIMIZE:
        SendSysCommand(desktop_, target, desktop_.IsMaximized(target) ? kScRestore : kScMaximize);
        break;
    case WIN_TOGGLE_MINIMIZE:
        SendSysCommand(desktop_, target, desktop_.IsMaximized(target) ? kScRestore : kScMinimize);
        break;
    default:
        break;
    }
    return 1;
}

void SendSysCommand(IDesktop& desktop, WindowHandle window, uint32_t code) {
    if (window == kNoWindow)
        return;
    switch (code) {
    case kScMinimize:
        desktop.PostMsg(window, kWmSysCommand, desktop.IsMinimized(window) ? kScRestore : kScMinimize, 0);
        break;
    case kScMaximize: {
        if (desktop.IsMaximized(window)) {
            desktop.PostMsg(window, kWmSysCommand, kScRestore, 0);
            break;
        }
        desktop.PostMsg(window, kWmSysCommand, kScMaximize, 0);
        // Above the other normal windows, without taking the focus.
        desktop.SetWindowPos(window, kWindowTopMost, 0, 0, 0, 0, kRaiseFlags | kSwpAsyncWindowPos);
        desktop.SetWindowPos(window, kWindowNoTopMost, 0, 0, 0, 0, kRaiseFlags | kSwpAsyncWindowPos);
        int32_t cx = 0, cy = 0;
        desktop.MaximizedSize(cx, cy);
        desktop.SetCursorPos(cx, cy);
        desktop.SetCursor(CursorShape::None);
        break;
    }
    default:
        desktop.PostMsg(window, kWmSysCommand, code, 0);
        break;
    }
}

int StartApplication(IDesktop& desktop, const tagAPPREF& app) {
    LM_TRACE_SCOPE_ARG(L"StartApplication", L"%ls", app.executable.c_str());
    WindowHandle window = CLMFindWindow(desktop).FindWindow(app.windowCaption, app.executable, false);
    if (window == kNoWindow) {
        const std::wstring folder = PathFolder(app.appPath);
        if (folder.size() >= 2)
            desktop.ShellExec(L"open", app.appPath, app.commandLine, folder, kShowNormal);
        else
            desktop.ShellExec(L"open", app.executable, app.commandLine, std::wstring(), kShowNormal);
        return 1;
    }
    if (desktop.IsWindow(window)) {
        if (!(desktop.ExStyle(window) & kWsExTopMost)) {
            desktop.SetWindowPos(window, kWindowTopMost, 0, 0, 0, 0, kRaiseFlags);
            desktop.SetWindowPos(window, kWindowNoTopMost, 0, 0, 0, 0, kRaiseFlags);
        } else {
            desktop.SetWindowPos(window, kWindowTopMost, 0, 0, 0, 0, kRaiseFlags);
        }
    }
    return 1;
}

} // namespace lm
