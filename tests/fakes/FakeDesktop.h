// A simulated desktop: windows with processes, focus, key state, controls that answer their messages,
// window states that follow posted system commands. Every action is written to `log` in call order and
// every input record to `inputs`, so tests can assert exact sequences.
#pragma once
#include "platform/Desktop.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

namespace lm::test {

class FakeDesktop final : public IDesktop {
public:
    struct Window {
        WindowHandle handle = 0;
        std::wstring text;
        std::wstring className;
        uint32_t processId = 0;
        WindowHandle parent = kNoWindow; // child windows
        WindowHandle owner = kNoWindow;  // owned top-level windows
        bool visible = true;
        bool enabled = true;
        bool maximized = false;
        bool minimized = false;
        uint32_t style = 0;
        uint32_t exStyle = 0;
        int32_t id = 0;
        std::wstring moduleFileName;        // what GetWindowModuleFileName reports
        std::vector<WindowHandle> children; // stacking order, top first
        // Controls
        int32_t itemCount = 0; // combo box
        int32_t curSel = -1;
        int32_t rangeMin = 0; // trackbar or scroll bar
        int32_t rangeMax = 100;
        int32_t pos = 0;
        bool destroyed = false;
    };
    struct Message {
        WindowHandle window;
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        bool posted;
        friend bool operator==(const Message&, const Message&) = default;
    };
    struct Process {
        bool openable = true;
        std::wstring path; // full path of the first module; empty: unreadable
    };

    // --- Building the scene ---
    // Adds a top-level window below the existing ones.
    Window& AddTopLevel(const std::wstring& text, const std::wstring& cls, uint32_t pid) {
        Window& w = NewWindow(text, cls, pid);
        topLevel.push_back(w.handle);
        return w;
    }
    // Adds a top-level window above all others.
    Window& AddTopLevelOnTop(const std::wstring& text, const std::wstring& cls, uint32_t pid) {
        Window& w = NewWindow(text, cls, pid);
        topLevel.insert(topLevel.begin(), w.handle);
        return w;
    }
    Window& AddChild(WindowHandle parent, const std::wstring& cls, int32_t id,
                     const std::wstring& text = L"") {
        Window& w = NewWindow(text, cls, windows.at(parent).processId);
        w.parent = parent;
        w.id = id;
        windows.at(parent).children.push_back(w.handle);
        return w;
    }
    Window& Get(WindowHandle h) { return windows.at(h); }
    void AddProcess(uint32_t pid, const std::wstring& path, bool openable = true) {
        processes[pid] = Process{openable, path};
        processOrder.push_back(pid);
    }
    std::vector<InputRecord> KeyInputs() const {
        std::vector<InputRecord> keys;
        for (const InputRecord& r : inputs)
            if (r.kind == InputRecord::Kind::Keyboard)
                keys.push_back(r);
        return keys;
    }
    std::vector<Message> Posted() const {
        std::vector<Message> p;
        for (const Message& m : messages)
            if (m.posted)
                p.push_back(m);
        return p;
    }

    // --- IDesktop ---
    void EnumTopLevelWindows(const std::function<bool(WindowHandle)>& visit) override {
        ++enumerations;
        std::vector<WindowHandle> snapshot = topLevel;
        for (WindowHandle h : snapshot)
            if (!visit(h))
                return;
    }
    WindowHandle FindTopLevelWindow(const std::wstring& title) override {
        ++findByTitleCalls;
        if (titleSearchMisses)
            return kNoWindow;
        for (WindowHandle h : topLevel)
            if (Lower(windows[h].text) == Lower(title))
                return h;
        return kNoWindow;
    }
    bool IsWindow(WindowHandle w) override { return Exists(w); }
    bool IsVisible(WindowHandle w) override { return Exists(w) && windows[w].visible; }
    bool IsEnabled(WindowHandle w) override { return Exists(w) && windows[w].enabled; }
    bool IsMaximized(WindowHandle w) override { return Exists(w) && windows[w].maximized; }
    bool IsMinimized(WindowHandle w) override { return Exists(w) && windows[w].minimized; }
    std::wstring WindowText(WindowHandle w, size_t maxChars) override {
        ++textReads;
        return Exists(w) ? windows[w].text.substr(0, maxChars) : std::wstring();
    }
    std::wstring ClassName(WindowHandle w, size_t maxChars) override {
        return Exists(w) ? windows[w].className.substr(0, maxChars) : std::wstring();
    }
    WindowHandle Parent(WindowHandle w) override {
        if (!Exists(w))
            return kNoWindow;
        return windows[w].parent ? windows[w].parent : windows[w].owner;
    }
    WindowHandle EnabledPopup(WindowHandle w) override {
        if (!Exists(w))
            return kNoWindow;
        for (WindowHandle h : topLevel)
            if (windows[h].owner == w && windows[h].enabled && windows[h].visible)
                return h;
        return w;
    }
    std::vector<WindowHandle> Children(WindowHandle w) override {
        return Exists(w) ? windows[w].children : std::vector<WindowHandle>();
    }
    WindowHandle DlgItem(WindowHandle parent, int32_t id) override {
        if (!Exists(parent))
            return kNoWindow;
        for (WindowHandle c : windows[parent].children)
            if (windows[c].id == id)
                return c;
        return kNoWindow;
    }
    uint32_t Style(WindowHandle w) override { return Exists(w) ? windows[w].style : 0; }
    uint32_t ExStyle(WindowHandle w) override { return Exists(w) ? windows[w].exStyle : 0; }
    uint32_t WindowProcessId(WindowHandle w) override { return Exists(w) ? windows[w].processId : 0; }
    std::wstring WindowModuleFileName(WindowHandle w, size_t maxChars) override {
        return Exists(w) ? windows[w].moduleFileName.substr(0, maxChars) : std::wstring();
    }
    WindowHandle DesktopWindow() override { return kDesktop; }

    PlatformFamily Family() override { return family; }
    std::unique_ptr<IProcessStatus> LoadProcessStatus() override {
        ++processStatusLoads;
        return processStatusMissing ? nullptr : std::make_unique<Psapi>(*this);
    }
    std::unique_ptr<IToolHelp> LoadToolHelp() override {
        return toolHelpMissing ? nullptr : std::make_unique<ToolHelp>(*this);
    }
    bool ProcessModuleBaseName(uint32_t pid, std::wstring& name) override {
        auto it = processes.find(pid);
        if (it == processes.end() || !it->second.openable)
            return false;
        name = it->second.path.substr(it->second.path.find_last_of(L'\\') + 1);
        return true;
    }

    WindowHandle ForegroundWindow() override { return foreground; }
    bool SetForegroundWindow(WindowHandle w) override {
        Log(L"SetForegroundWindow " + Hex(w));
        if (!Exists(w))
            return false;
        foreground = w;
        return true;
    }
    WindowHandle SetActiveWindow(WindowHandle w) override {
        Log(L"SetActiveWindow " + Hex(w));
        WindowHandle previous = setActiveReports;
        pendingActive = w;
        activeQueries = 0;
        if (activateAfterQueries == 0)
            active = w;
        return previous;
    }
    WindowHandle ActiveWindow() override {
        ++activeQueries;
        if (activateAfterQueries > 0 && activeQueries >= activateAfterQueries)
            active = pendingActive;
        return active;
    }
    WindowHandle SetFocus(WindowHandle w) override {
        Log(L"SetFocus " + Hex(w));
        WindowHandle previous = focus;
        focus = w;
        return previous;
    }

    uint16_t KeyState(int32_t vk) override {
        uint16_t s = 0;
        if (vk == kVkCapital && capsLock)
            s |= 1;
        if (vk >= 0 && vk < 256 && down[vk])
            s |= 0x8000;
        return s;
    }
    uint16_t CharToVirtualKey(wchar_t ch) override {
        auto it = keyScan.find(ch);
        if (it != keyScan.end())
            return it->second;
        // A US layout for letters and digits.
        if (ch >= L'a' && ch <= L'z')
            return static_cast<uint16_t>(ch - L'a' + 'A');
        if (ch >= L'A' && ch <= L'Z')
            return static_cast<uint16_t>(0x100 | ch);
        if (ch >= L'0' && ch <= L'9')
            return static_cast<uint16_t>(ch);
        return 0xFFFF;
    }
    uint32_t SendInput(const InputRecord& r) override {
        inputs.push_back(r);
        if (r.kind == InputRecord::Kind::Keyboard) {
            bool up = (r.flags & kKeyEventKeyUp) != 0;
            Log(std::wstring(up ? L"key up " : L"key down ") + Hex(r.vk));
            if (r.vk < 256)
                down[r.vk] = !up;
            if (r.vk == kVkCapital && !up && !capsLockStuck)
                capsLock = !capsLock;
        } else {
            Log(L"mouse " + Hex(r.flags) + L" " + std::to_wstring(r.dx) + L"," + std::to_wstring(r.dy));
            if (r.flags & kMouseMove) {
                cursorX += r.dx;
                cursorY += r.dy;
            }
        }
        return refuseInput ? 0 : 1;
    }

    bool PostMsg(WindowHandle w, uint32_t msg, uintptr_t wp, intptr_t lp) override {
        messages.push_back(Message{w, msg, wp, lp, true});
        Log(L"post " + Hex(w) + L" " + Hex(msg) + L" " + Hex(wp) + L" " + Hex(static_cast<uintptr_t>(lp)));
        if (!Exists(w))
            return false;
        if (msg == kWmSysCommand)
            ApplySysCommand(w, static_cast<uint32_t>(wp));
        return true;
    }
    intptr_t SendMsg(WindowHandle w, uint32_t msg, uintptr_t wp, intptr_t lp) override {
        messages.push_back(Message{w, msg, wp, lp, false});
        if (!Exists(w))
            return 0;
        Window& c = windows[w];
        switch (msg) {
        case kCbGetCount:
            return c.itemCount;
        case kCbSetCurSel:
            Log(L"send " + Hex(w) + L" CB_SETCURSEL " + std::to_wstring(static_cast<intptr_t>(wp)));
            if (static_cast<intptr_t>(wp) < 0 || static_cast<intptr_t>(wp) >= c.itemCount) {
                c.curSel = -1;
                return -1;
            }
            c.curSel = static_cast<int32_t>(wp);
            return c.curSel;
        case kTbmGetPos:
            return c.pos;
        case kTbmGetRangeMin:
            return c.rangeMin;
        case kTbmGetRangeMax:
            return c.rangeMax;
        case kTbmSetPos:
            Log(L"send " + Hex(w) + L" TBM_SETPOS " + std::to_wstring(wp) + L" " + std::to_wstring(lp));
            c.pos = std::clamp(static_cast<int32_t>(lp), c.rangeMin, c.rangeMax);
            return 0;
        default:
            return 0;
        }
    }

    bool SetWindowPos(WindowHandle w, WindowHandle after, int32_t x, int32_t y, int32_t cx, int32_t cy,
                      uint32_t flags) override {
        std::wstring where = after == kWindowTopMost     ? L"TOPMOST"
                             : after == kWindowNoTopMost ? L"NOTOPMOST"
                                                         : Hex(after);
        Log(L"SetWindowPos " + Hex(w) + L" " + where + L" " + std::to_wstring(x) + L"," + std::to_wstring(y) +
            L"," + std::to_wstring(cx) + L"," + std::to_wstring(cy) + L" " + Hex(flags));
        if (!Exists(w))
            return false;
        if (after == kWindowTopMost)
            windows[w].exStyle |= kWsExTopMost;
        else if (after == kWindowNoTopMost)
            windows[w].exStyle &= ~kWsExTopMost;
        return true;
    }
    bool ScrollRange(WindowHandle w, int bar, int32_t& minimum, int32_t& maximum) override {
        if (!Exists(w) || bar != kSbCtl)
            return false;
        minimum = windows[w].rangeMin;
        maximum = windows[w].rangeMax;
        return true;
    }
    int32_t ScrollPos(WindowHandle w, int bar) override {
        return Exists(w) && bar == kSbCtl ? windows[w].pos : 0;
    }
    int32_t SetScrollPos(WindowHandle w, int bar, int32_t pos, bool redraw) override {
        Log(L"SetScrollPos " + Hex(w) + L" " + std::to_wstring(bar) + L" " + std::to_wstring(pos) +
            (redraw ? L" redraw" : L""));
        if (!Exists(w) || bar != kSbCtl)
            return 0;
        int32_t previous = windows[w].pos;
        windows[w].pos = std::clamp(pos, windows[w].rangeMin, windows[w].rangeMax);
        return previous;
    }

    bool SetCursorPos(int32_t x, int32_t y) override {
        Log(L"SetCursorPos " + std::to_wstring(x) + L"," + std::to_wstring(y));
        cursorX = x;
        cursorY = y;
        return true;
    }
    CursorShape Cursor() override { return cursor; }
    void SetCursor(CursorShape shape) override {
        Log(shape == CursorShape::None ? L"SetCursor none" : L"SetCursor arrow");
        cursor = shape;
    }
    void MaximizedSize(int32_t& cx, int32_t& cy) override {
        cx = maximizedWidth;
        cy = maximizedHeight;
    }

    bool ShellExec(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
                   const std::wstring& directory, int32_t show) override {
        Log(L"ShellExecute " + verb + L"|" + file + L"|" + parameters + L"|" + directory + L"|" +
            std::to_wstring(show));
        return true;
    }
    void WarningBox(const std::wstring& text, const std::wstring& caption) override {
        Log(L"WarningBox " + caption + L"|" + text);
    }

    void Log(const std::wstring& line) { log.push_back(line); }
    static std::wstring Hex(uintptr_t v) {
        wchar_t buffer[32];
        std::swprintf(buffer, 32, L"0x%llx", static_cast<unsigned long long>(v));
        return buffer;
    }
    static std::wstring Lower(std::wstring s) {
        for (wchar_t& c : s)
            c = static_cast<wchar_t>(std::towlower(c));
        return s;
    }

    static constexpr WindowHandle kDesktop = 0x10010;

    std::map<WindowHandle, Window> windows;
    std::vector<WindowHandle> topLevel; // stacking order, top first
    std::map<uint32_t, Process> processes;
    std::vector<uint32_t> processOrder; // order EnumProcesses lists them
    PlatformFamily family = PlatformFamily::NT;
    bool processStatusMissing = false;
    bool toolHelpMissing = false;
    bool snapshotFails = false;
    std::map<wchar_t, uint16_t> keyScan;

    WindowHandle foreground = kNoWindow;
    WindowHandle active = kNoWindow;
    WindowHandle focus = kNoWindow;
    // What SetActiveWindow reports as the previous active window.
    WindowHandle setActiveReports = kNoWindow;
    // 0: SetActiveWindow takes effect at once; n: only the n-th ActiveWindow query after it sees it.
    int activateAfterQueries = 0;
    int activeQueries = 0;
    WindowHandle pendingActive = kNoWindow;

    bool capsLock = false;
    bool capsLockStuck = false; // Caps Lock presses do not toggle (e.g. the state is held elsewhere)
    bool down[256] = {};
    bool refuseInput = false;
    CursorShape cursor = CursorShape::Arrow;
    int32_t cursorX = 0, cursorY = 0;
    int32_t maximizedWidth = 1936, maximizedHeight = 1096;

    std::vector<std::wstring> log;
    std::vector<InputRecord> inputs;
    std::vector<Message> messages;
    int enumerations = 0;
    int findByTitleCalls = 0;
    bool titleSearchMisses = false;
    int textReads = 0;
    int processStatusLoads = 0;
    int processOpens = 0;

private:
    bool Exists(WindowHandle w) {
        auto it = windows.find(w);
        return it != windows.end() && !it->second.destroyed;
    }
    Window& NewWindow(const std::wstring& text, const std::wstring& cls, uint32_t pid) {
        WindowHandle h = next_;
        next_ += 0x10;
        Window& w = windows[h];
        w.handle = h;
        w.text = text;
        w.className = cls;
        w.processId = pid;
        return w;
    }
    void ApplySysCommand(WindowHandle w, uint32_t code) {
        Window& win = windows[w];
        switch (code) {
        case kScMaximize:
            win.maximized = true;
            win.minimized = false;
            break;
        case kScMinimize:
            win.minimized = true;
            break;
        case kScRestore:
            if (win.minimized)
                win.minimized = false;
            else
                win.maximized = false;
            break;
        case kScClose:
            win.destroyed = true;
            topLevel.erase(std::remove(topLevel.begin(), topLevel.end(), w), topLevel.end());
            break;
        default:
            break;
        }
    }

    class Psapi final : public IProcessStatus {
    public:
        explicit Psapi(FakeDesktop& d) : d_(d) {}
        std::vector<uint32_t> ListProcesses() override { return d_.processOrder; }
        bool FirstModulePath(uint32_t pid, std::wstring& path) override {
            ++d_.processOpens;
            auto it = d_.processes.find(pid);
            if (it == d_.processes.end() || !it->second.openable)
                return false;
            path = it->second.path;
            return true;
        }

    private:
        FakeDesktop& d_;
    };
    class ToolHelp final : public IToolHelp {
    public:
        explicit ToolHelp(FakeDesktop& d) : d_(d) {}
        bool SnapshotProcesses(std::vector<ProcessEntry>& out) override {
            if (d_.snapshotFails)
                return false;
            for (uint32_t pid : d_.processOrder) {
                const std::wstring& p = d_.processes[pid].path;
                out.push_back(ProcessEntry{pid, p.substr(p.find_last_of(L'\\') + 1)});
            }
            return true;
        }

    private:
        FakeDesktop& d_;
    };

    WindowHandle next_ = 0x100;
};

} // namespace lm::test
