// A simulated desktop: windows that keep their state and what was posted to them, controls that answer
// their messages, a keyboard whose input lands in the window in front, a pointer, processes with their
// executables, and a shell that keeps what it started and showed.
#pragma once
#include "base/Path.h"
#include "base/Text.h"
#include "cmdset/PrgInfo.h"
#include "platform/Desktop.h"
#include "platform/Input.h"
#include "platform/Processes.h"
#include "platform/Shell.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace lm::test {

class FakeWindows final : public IWindows {
public:
    using Message = std::tuple<uint32_t, uintptr_t, intptr_t>; // message and parameters
    struct Window {
        std::wstring text, className, module; // module: the creating module's file name
        uint32_t processId = 0;
        WindowHandle parent = kNoWindow, owner = kNoWindow;
        bool visible = true, enabled = true, maximized = false, minimized = false, destroyed = false;
        uint32_t style = 0, exStyle = 0;
        int32_t id = 0;
        std::vector<WindowHandle> children; // stacking order, top first
        int32_t items = 0, selection = -1, minimum = 0, maximum = 100, position = 0, checked = 0; // controls
        std::vector<Message> posted;
        // Keyboard input received while in front: "+vk" / "-vk" in hex, "+'c'" / "-'c'" for characters.
        std::wstring keys;
    };

    // A top-level window below the others, or above them.
    WindowHandle Add(const std::wstring& text, const std::wstring& cls, uint32_t pid, bool onTop = false) {
        WindowHandle h = New(text, cls, pid);
        topLevel.insert(onTop ? topLevel.begin() : topLevel.end(), h);
        return h;
    }
    WindowHandle AddChild(WindowHandle parent, const std::wstring& cls, int32_t id) {
        WindowHandle h = New(L"", cls, windows.at(parent).processId);
        windows[h].parent = parent;
        windows[h].id = id;
        windows[parent].children.push_back(h);
        return h;
    }
    Window& operator[](WindowHandle h) { return windows.at(h); }

    void EnumTopLevelWindows(const std::function<bool(WindowHandle)>& visit) override {
        for (WindowHandle h : std::vector<WindowHandle>(topLevel))
            if (!visit(h))
                return;
    }
    WindowHandle FindTopLevelWindow(const std::wstring& title) override {
        for (WindowHandle h : topLevel)
            if (!titleSearchMisses && SameText(windows[h].text, title))
                return h;
        return kNoWindow;
    }
    bool IsWindow(WindowHandle w) override { return Exists(w); }
    bool IsVisible(WindowHandle w) override { return Exists(w) && windows[w].visible; }
    bool IsEnabled(WindowHandle w) override { return Exists(w) && windows[w].enabled; }
    bool IsMaximized(WindowHandle w) override { return Exists(w) && windows[w].maximized; }
    bool IsMinimized(WindowHandle w) override { return Exists(w) && windows[w].minimized; }
    std::wstring WindowText(WindowHandle w, size_t n) override { return Of(w).text.substr(0, n); }
    std::wstring ClassName(WindowHandle w, size_t n) override { return Of(w).className.substr(0, n); }
    WindowHandle Parent(WindowHandle w) override { return Of(w).parent ? Of(w).parent : Of(w).owner; }
    WindowHandle EnabledPopup(WindowHandle w) override {
        for (WindowHandle h : topLevel)
            if (windows[h].owner == w && windows[h].enabled && windows[h].visible)
                return h;
        return Exists(w) ? w : kNoWindow;
    }
    std::vector<WindowHandle> Children(WindowHandle w) override { return Of(w).children; }
    WindowHandle DlgItem(WindowHandle parent, int32_t id) override {
        for (WindowHandle c : Of(parent).children)
            if (windows[c].id == id)
                return c;
        return kNoWindow;
    }
    uint32_t Style(WindowHandle w) override { return Of(w).style; }
    uint32_t ExStyle(WindowHandle w) override { return Of(w).exStyle; }
    uint32_t WindowProcessId(WindowHandle w) override { return Of(w).processId; }
    std::wstring WindowModuleFileName(WindowHandle w, size_t n) override { return Of(w).module.substr(0, n); }
    WindowHandle DesktopWindow() override { return kDesktop; }

    WindowHandle ForegroundWindow() override { return foreground; }
    bool SetForegroundWindow(WindowHandle w) override {
        return Exists(w) && !refusesForeground && (foreground = w);
    }
    bool SetActiveWindow(WindowHandle w) override { return (active = w, Exists(w)); }
    void SetFocus(WindowHandle w) override { focus = w; }

    bool PostMsg(WindowHandle w, uint32_t msg, uintptr_t wp, intptr_t lp) override {
        if (!Exists(w) && w != kDesktop)
            return false;
        Window& win = windows[w];
        win.posted.emplace_back(msg, wp, lp);
        if (msg != kWmSysCommand)
            return true;
        if (wp == kScMaximize || wp == kScRestore) // restore: out of minimised, else out of maximised
            win.maximized = wp == kScMaximize || (win.minimized && win.maximized);
        win.minimized = wp == kScMinimize || (wp != kScRestore && wp != kScMaximize && win.minimized);
        win.destroyed = wp == kScClose;
        return true;
    }
    intptr_t SendMsg(WindowHandle w, uint32_t msg, uintptr_t wp, intptr_t lp) override {
        Window& c = Of(w);
        if (msg == kCbSetCurSel)
            c.selection = static_cast<intptr_t>(wp) < c.items ? static_cast<int32_t>(wp) : -1;
        if (msg == kTbmSetPos)
            c.position = std::clamp(static_cast<int32_t>(lp), c.minimum, c.maximum);
        const std::map<uint32_t, int32_t> answers{{kCbGetCount, c.items},       {kCbSetCurSel, c.selection},
                                                  {kTbmGetPos, c.position},     {kTbmGetRangeMin, c.minimum},
                                                  {kTbmGetRangeMax, c.maximum}, {kBmGetCheck, c.checked}};
        return answers.count(msg) ? answers.at(msg) : 0;
    }
    // The top-most marker puts the window above all others; the not-top-most one moves a top-most
    // window to the top of the windows that are not top-most.
    bool SetWindowPos(WindowHandle w, WindowHandle after, int32_t, int32_t, int32_t, int32_t,
                      uint32_t flags) override {
        if (Exists(w) && (flags & kSwpHideWindow))
            windows[w].visible = false;
        if (Exists(w) && (flags & kSwpNoZOrder))
            return true;
        if (!Exists(w) || (after != kWindowTopMost && after != kWindowNoTopMost))
            return false;
        if (after == kWindowNoTopMost && !(windows[w].exStyle & kWsExTopMost))
            return true;
        topLevel.erase(std::remove(topLevel.begin(), topLevel.end(), w), topLevel.end());
        auto below = std::find_if(topLevel.begin(), topLevel.end(), [&](WindowHandle h) {
            return after == kWindowTopMost || !(windows[h].exStyle & kWsExTopMost);
        });
        topLevel.insert(below, w);
        windows[w].exStyle = after == kWindowTopMost ? windows[w].exStyle | kWsExTopMost
                                                     : windows[w].exStyle & ~uint32_t(kWsExTopMost);
        return true;
    }
    bool ScrollRange(WindowHandle w, int bar, int32_t& minimum, int32_t& maximum) override {
        return (minimum = Of(w).minimum, maximum = Of(w).maximum, bar == kSbCtl);
    }
    int32_t ScrollPos(WindowHandle w, int) override { return Of(w).position; }
    int32_t SetScrollPos(WindowHandle w, int bar, int32_t pos, bool) override {
        if (bar == kSbCtl)
            Of(w).position = std::clamp(pos, Of(w).minimum, Of(w).maximum);
        return 0;
    }

    static constexpr WindowHandle kDesktop = 0x10010;
    std::map<WindowHandle, Window> windows;
    std::vector<WindowHandle> topLevel; // stacking order, top first
    WindowHandle foreground = kNoWindow, active = kNoWindow, focus = kNoWindow;
    bool refusesForeground = false; // a background program may not take the foreground
    bool titleSearchMisses = false; // the title changed just before the search by title

private:
    bool Exists(WindowHandle w) { return windows.count(w) && !windows[w].destroyed; }
    Window& Of(WindowHandle w) { return Exists(w) ? windows[w] : none_; }
    WindowHandle New(const std::wstring& text, const std::wstring& cls, uint32_t pid) {
        Window& w = windows[next_ += 0x10];
        w.text = text, w.className = cls, w.processId = pid;
        return next_;
    }
    Window none_;
    WindowHandle next_ = 0xF0;
};

// A US keyboard and a mouse. Keys go to the window in front; Caps Lock toggles on its key-down.
class FakeInput final : public IInput {
public:
    explicit FakeInput(FakeWindows* windows = nullptr) : windows_(windows) {}
    uint16_t KeyState(int32_t vk) override { return (vk == kVkCapital && capsLock) ? 1 : 0; }
    // Letters, digits and "?" (Shift and the key right of the full stop); the shift state in the high byte.
    uint16_t CharToVirtualKey(wchar_t ch) override {
        if (ch == L'?' || ch >= 128 || !std::iswalnum(static_cast<wint_t>(ch)))
            return ch == L'?' ? 0x1BF : 0xFFFF;
        return static_cast<uint16_t>(std::towupper(static_cast<wint_t>(ch)) |
                                     (std::iswupper(static_cast<wint_t>(ch)) ? 0x100 : 0));
    }
    uint32_t SendInput(const tagINPUTRECORD& r) override {
        const bool up = (r.flags & kKeyEventKeyUp) != 0;
        if (r.kind == tagINPUTRECORD::Kind::Mouse) {
            x += r.dx;
            y += r.dy;
            const wchar_t* names = L"LlRrMm"; // flags 0x02 to 0x40 in pairs: down (upper), up (lower)
            for (int bit = 0; bit < 6; ++bit)
                if (r.flags & (2u << bit))
                    buttons += names[bit];
            return 1;
        }
        if (r.vk == kVkCapital && !up && !capsStuck)
            capsLock = !capsLock;
        wchar_t token[24];
        if (r.flags & kKeyEventUnicode)
            std::swprintf(token, 24, L" %lc'%lc'", up ? L'-' : L'+', static_cast<wchar_t>(r.scan));
        else
            std::swprintf(token, 24, L" %lc%x%ls", up ? L'-' : L'+', r.vk,
                          r.scan || (r.flags & ~kKeyEventKeyUp) ? L"?" : L"");
        if (windows_ && windows_->foreground != kNoWindow) {
            std::wstring& keys = (*windows_)[windows_->foreground].keys;
            keys += keys.empty() ? token + 1 : token;
        }
        return 1;
    }
    bool SetCursorPos(int32_t cx, int32_t cy) override { return (x = cx, y = cy, true); }
    CursorShape Cursor() override { return cursor; }
    void SetCursor(CursorShape shape) override { cursor = shape; }
    void MaximizedSize(int32_t& cx, int32_t& cy) override { cx = 1936, cy = 1096; }

    bool capsLock = false;
    bool capsStuck = false; // Caps Lock presses do not toggle (the state is held elsewhere)
    int32_t x = 0, y = 0;
    std::wstring buttons;
    CursorShape cursor = CursorShape::Arrow;

private:
    FakeWindows* windows_;
};

class FakeProcesses final : public IProcesses {
public:
    PlatformFamily Family() override { return family; }
    bool ImagePath(uint32_t pid, std::wstring& path) override {
        path = images.count(pid) ? images[pid] : std::wstring();
        return images.count(pid) != 0;
    }
    bool SnapshotProcesses(std::vector<tagPROCESSENTRY>& out) override {
        for (auto& [pid, path] : images)
            out.push_back(tagPROCESSENTRY{pid, PathFileName(path)});
        return true;
    }
    bool IntegrityLevel(uint32_t pid, uint32_t& level) override {
        level = pid == 0 ? ownLevel : levels.count(pid) ? levels[pid] : 0;
        return level != 0;
    }
    PlatformFamily family = PlatformFamily::NT;
    std::map<uint32_t, std::wstring> images; // processes that can be opened, by ID
    uint32_t ownLevel = kIntegrityMedium;
    std::map<uint32_t, uint32_t> levels; // integrity levels that can be read, by process ID
};

class FakeShell final : public IShell {
public:
    bool ShellExec(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
                   const std::wstring& directory, int32_t show) override {
        started.push_back(verb + L"|" + file + L"|" + parameters + L"|" + directory + L"|" +
                          std::to_wstring(show));
        return true;
    }
    void WarningBox(const std::wstring& text, const std::wstring& caption) override {
        shown.push_back(caption + L"|" + text);
    }
    std::vector<std::wstring> started; // verb|file|parameters|directory|show
    std::vector<std::wstring> shown;   // caption|text
};

// The application record of the executors' four fields.
inline tagPRGINFO AppRecord(const std::wstring& executable, const std::wstring& path = {},
                            const std::wstring& caption = {}, const std::wstring& commandLine = {}) {
    tagPRGINFO record;
    CopyBounded(record.szExecutable, kPrgTextChars, executable);
    CopyBounded(record.szAppPath, kPrgTextChars, path);
    CopyBounded(record.szWindowCaption, kPrgTextChars, caption);
    CopyBounded(record.szCommandLine, kPrgTextChars, commandLine);
    return record;
}

} // namespace lm::test
