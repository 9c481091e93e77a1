// The desktop as the command executors see it: top-level windows and their processes, focus, synthesised
// input, window messages and placement, the pointer, and the shell. Window handles are opaque numbers;
// 0 is no window.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lm {

using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;
// Z-order markers of SetWindowPos.
constexpr WindowHandle kWindowTopMost = static_cast<WindowHandle>(-1);
constexpr WindowHandle kWindowNoTopMost = static_cast<WindowHandle>(-2);

// Platform families of the version information.
enum class PlatformFamily { Other = 0, Windows9x = 1, NT = 2 };

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
    kSwpNoActivate = 0x0010,
    kSwpAsyncWindowPos = 0x4000,
};
// Scroll-bar kind of the scroll-bar calls: the control itself.
constexpr int kSbCtl = 2;

// Virtual-key codes the executors press themselves.
enum : uint16_t { kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12, kVkCapital = 0x14 };

// One input record of SendInput.
struct InputRecord {
    enum class Kind : uint8_t { Keyboard, Mouse };
    Kind kind = Kind::Keyboard;
    // Keyboard
    uint16_t vk = 0;
    uint16_t scan = 0;
    // Mouse
    int32_t dx = 0;
    int32_t dy = 0;
    uint32_t mouseData = 0;
    // KEYEVENTF_* or MOUSEEVENTF_* bits
    uint32_t flags = 0;
    uint32_t time = 0;

    static InputRecord Key(uint16_t vk, bool up) {
        InputRecord r;
        r.vk = vk;
        r.flags = up ? 0x0002u : 0u;
        return r;
    }
    static InputRecord Mouse(uint32_t flags, int32_t dx = 0, int32_t dy = 0) {
        InputRecord r;
        r.kind = Kind::Mouse;
        r.flags = flags;
        r.dx = dx;
        r.dy = dy;
        return r;
    }
    friend bool operator==(const InputRecord&, const InputRecord&) = default;
};
enum : uint32_t { kKeyEventKeyUp = 0x0002 };
enum : uint32_t {
    kMouseMove = 0x0001,
    kMouseLeftDown = 0x0002,
    kMouseLeftUp = 0x0004,
    kMouseRightDown = 0x0008,
    kMouseRightUp = 0x0010,
    kMouseMiddleDown = 0x0020,
    kMouseMiddleUp = 0x0040,
};

enum class CursorShape { None, Arrow, Other };

// The process-status functions (EnumProcesses and friends), loaded at run time.
class IProcessStatus {
public:
    virtual ~IProcessStatus() = default;
    // Every running process.
    virtual std::vector<uint32_t> ListProcesses() = 0;
    // Opens the process for query and read access and reads the full path of its executable module.
    // False when the process cannot be opened; the path is empty when the name cannot be read.
    virtual bool FirstModulePath(uint32_t processId, std::wstring& path) = 0;
};

// One process of a ToolHelp snapshot.
struct ProcessEntry {
    uint32_t processId = 0;
    std::wstring exeFile; // file name of the executable
};

// The ToolHelp snapshot functions of the older platform family.
class IToolHelp {
public:
    virtual ~IToolHelp() = default;
    // Takes a process snapshot; false when none could be taken.
    virtual bool SnapshotProcesses(std::vector<ProcessEntry>& processes) = 0;
};

class IDesktop {
public:
    virtual ~IDesktop() = default;

    // --- Windows ---
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

    // --- Processes ---
    virtual PlatformFamily Family() = 0;
    // Null when the library or one of its functions is missing.
    virtual std::unique_ptr<IProcessStatus> LoadProcessStatus() = 0;
    virtual std::unique_ptr<IToolHelp> LoadToolHelp() = 0;
    // Base name of the process's executable module; false when the process cannot be opened.
    virtual bool ProcessModuleBaseName(uint32_t processId, std::wstring& name) = 0;

    // --- Focus ---
    virtual WindowHandle ForegroundWindow() = 0;
    virtual bool SetForegroundWindow(WindowHandle window) = 0;
    // SetActiveWindow: returns the previously active window, none when there was none or it failed.
    virtual WindowHandle SetActiveWindow(WindowHandle window) = 0;
    // GetActiveWindow of the calling thread.
    virtual WindowHandle ActiveWindow() = 0;
    virtual WindowHandle SetFocus(WindowHandle window) = 0;

    // --- Keyboard and input ---
    // GetKeyState: bit 0 is the toggle state, bit 15 the pressed state.
    virtual uint16_t KeyState(int32_t vk) = 0;
    // VkKeyScanW: virtual key in the low byte, shift state in the high byte; 0xFFFF when none.
    virtual uint16_t CharToVirtualKey(wchar_t ch) = 0;
    // SendInput with one record; the number of records inserted.
    virtual uint32_t SendInput(const InputRecord& input) = 0;

    // --- Messages ---
    virtual bool PostMsg(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual intptr_t SendMsg(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

    // --- Placement ---
    virtual bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t cx,
                              int32_t cy, uint32_t flags) = 0;
    // Scroll bars: bar is kSbCtl for a scroll-bar control.
    virtual bool ScrollRange(WindowHandle window, int bar, int32_t& minimum, int32_t& maximum) = 0;
    virtual int32_t ScrollPos(WindowHandle window, int bar) = 0;
    virtual int32_t SetScrollPos(WindowHandle window, int bar, int32_t pos, bool redraw) = 0;

    // --- Pointer ---
    virtual bool SetCursorPos(int32_t x, int32_t y) = 0;
    // Shape set through the calling thread (GetCursor / SetCursor).
    virtual CursorShape Cursor() = 0;
    virtual void SetCursor(CursorShape shape) = 0;
    // Width and height of a maximised window on the primary screen.
    virtual void MaximizedSize(int32_t& cx, int32_t& cy) = 0;

    // --- Shell ---
    // ShellExecuteW; an empty directory passes none. True when the shell reported success.
    virtual bool ShellExec(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
                           const std::wstring& directory, int32_t show) = 0;

    // --- User notice ---
    // A task-modal, top-most warning box with an OK button.
    virtual void WarningBox(const std::wstring& text, const std::wstring& caption) = 0;
};

// The desktop of this system (Windows builds).
IDesktop& NativeDesktop();

} // namespace lm
