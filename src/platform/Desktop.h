// The windows of the desktop as the command executors see them: top-level windows and their controls,
// focus, messages and placement. Window handles are opaque numbers; 0 is no window.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lm {

using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;
// Z-order markers of SetWindowPos.
constexpr WindowHandle kWindowTopMost = static_cast<WindowHandle>(-1);
constexpr WindowHandle kWindowNoTopMost = static_cast<WindowHandle>(-2);

// Window messages and their parameters used by the executors.
enum : uint32_t {
    kWmCommand = 0x0111,
    kWmSysCommand = 0x0112,
    kWmTimer = 0x0113,
    kWmHScroll = 0x0114,
    kWmVScroll = 0x0115,
    kBmClick = 0x00F5,
    kCbGetCount = 0x0146,
    kCbSetCurSel = 0x014E,
    kTbmGetPos = 0x0400,
    kTbmGetRangeMin = 0x0401,
    kTbmGetRangeMax = 0x0402,
    kTbmSetPos = 0x0405,
};
enum : uint32_t { kCbnSelChange = 1, kCbnSelEndOk = 9 };
enum : uint32_t { kSbThumbTrack = 5, kSbEndScroll = 8 };
enum : uint32_t {
    kScMinimize = 0xF020,
    kScMaximize = 0xF030,
    kScClose = 0xF060,
    kScRestore = 0xF120,
    kScScreenSave = 0xF140,
};
// Window styles the executors test.
enum : uint32_t { kTbsVert = 0x0002, kSbsVert = 0x0001, kWsExTopMost = 0x0008 };
// SetWindowPos flags.
enum : uint32_t {
    kSwpNoSize = 0x0001,
    kSwpNoMove = 0x0002,
    kSwpNoZOrder = 0x0004,
    kSwpNoActivate = 0x0010,
    kSwpHideWindow = 0x0080,
    kSwpAsyncWindowPos = 0x4000,
};
// Scroll-bar kind of the scroll-bar calls: the control itself.
constexpr int kSbCtl = 2;

class IWindows {
public:
    virtual ~IWindows() = default;

    // Visits the top-level windows in the platform's order (top of the stacking order first) until
    // the visitor returns false.
    virtual void EnumTopLevelWindows(const std::function<bool(WindowHandle)>& visit) = 0;
    // A top-level window whose title equals the text, compared without regard to letter case.
    virtual WindowHandle FindTopLevelWindow(const std::wstring& title) = 0;
    virtual bool IsWindow(WindowHandle window) = 0;
    virtual bool IsVisible(WindowHandle window) = 0;
    virtual bool IsEnabled(WindowHandle window) = 0;
    virtual bool IsMaximized(WindowHandle window) = 0;
    virtual bool IsMinimized(WindowHandle window) = 0;
    // The window's text or class name, at most maxChars characters.
    virtual std::wstring WindowText(WindowHandle window, size_t maxChars) = 0;
    virtual std::wstring ClassName(WindowHandle window, size_t maxChars) = 0;
    // GetParent: the parent of a child window, the owner of a top-level one.
    virtual WindowHandle Parent(WindowHandle window) = 0;
    // GetWindow(GW_ENABLEDPOPUP): the enabled pop-up the window owns, or the window itself / none.
    virtual WindowHandle EnabledPopup(WindowHandle window) = 0;
    // The direct children in stacking order, top first.
    virtual std::vector<WindowHandle> Children(WindowHandle window) = 0;
    // GetDlgItem: the first direct child with that control ID.
    virtual WindowHandle DlgItem(WindowHandle parent, int32_t id) = 0;
    virtual uint32_t Style(WindowHandle window) = 0;
    virtual uint32_t ExStyle(WindowHandle window) = 0;
    // Process of the window's thread; 0 when unknown.
    virtual uint32_t WindowProcessId(WindowHandle window) = 0;
    // GetWindowModuleFileNameW: the module that created the window, at most maxChars characters.
    virtual std::wstring WindowModuleFileName(WindowHandle window, size_t maxChars) = 0;
    virtual WindowHandle DesktopWindow() = 0;

    // The window that receives the keyboard input of the user.
    virtual WindowHandle ForegroundWindow() = 0;
    // Asks for the window to be brought to the front. The system may refuse (a background process
    // may not take the foreground from the user) or let it happen a little later.
    virtual bool SetForegroundWindow(WindowHandle window) = 0;
    // SetActiveWindow: among the calling thread's windows; false when it failed.
    virtual bool SetActiveWindow(WindowHandle window) = 0;
    virtual void SetFocus(WindowHandle window) = 0;

    virtual bool PostMsg(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual intptr_t SendMsg(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t cx,
                              int32_t cy, uint32_t flags) = 0;
    // Scroll bars: bar is kSbCtl for a scroll-bar control.
    virtual bool ScrollRange(WindowHandle window, int bar, int32_t& minimum, int32_t& maximum) = 0;
    virtual int32_t ScrollPos(WindowHandle window, int bar) = 0;
    virtual int32_t SetScrollPos(WindowHandle window, int bar, int32_t pos, bool redraw) = 0;
};

// The windows of this system (Windows builds).
IWindows& NativeWindows();

} // namespace lm
