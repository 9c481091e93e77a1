// The Windows desktop: user32, the process-status library and the shell.
#include "platform/Desktop.h"

#include "base/Path.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <vector>

namespace lm {
namespace {

HWND H(WindowHandle w) {
    return reinterpret_cast<HWND>(w);
}
WindowHandle W(HWND h) {
    return reinterpret_cast<WindowHandle>(h);
}

// Messages to other programs wait at most this long; a hung program must not stop the command thread.
constexpr UINT kSendTimeoutMs = 2000;

// The full image path through the limited query right, which also works for processes of other
// bitness and for most elevated ones.
bool ImagePathLimited(DWORD processId, std::wstring& path) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    wchar_t buffer[MAX_PATH * 4];
    DWORD size = static_cast<DWORD>(std::size(buffer));
    path.clear();
    if (QueryFullProcessImageNameW(process, 0, buffer, &size))
        path.assign(buffer, size);
    CloseHandle(process);
    return true;
}

class Psapi final : public IProcessStatus {
public:
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
    using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);

    static std::unique_ptr<IProcessStatus> Load() {
        HMODULE library = LoadLibraryW(L"PSAPI.DLL");
        if (!library)
            return nullptr;
        auto p = std::unique_ptr<Psapi>(new Psapi(library));
        p->enumProcesses_ = reinterpret_cast<EnumProcessesFn>(
            reinterpret_cast<void*>(GetProcAddress(library, "EnumProcesses")));
        p->enumModules_ = reinterpret_cast<EnumProcessModulesFn>(
            reinterpret_cast<void*>(GetProcAddress(library, "EnumProcessModules")));
        p->moduleFileName_ = reinterpret_cast<GetModuleFileNameExFn>(
            reinterpret_cast<void*>(GetProcAddress(library, "GetModuleFileNameExW")));
        if (!p->enumProcesses_ || !p->enumModules_ || !p->moduleFileName_)
            return nullptr;
        return p;
    }
    ~Psapi() override { FreeLibrary(library_); }

    std::vector<uint32_t> ListProcesses() override {
        // Every process: the buffer grows until the list fits with room to spare.
        std::vector<DWORD> ids(1024);
        for (;;) {
            DWORD bytes = 0;
            DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
            if (!enumProcesses_(ids.data(), capacity, &bytes))
                return {};
            if (bytes < capacity) {
                ids.resize(bytes / sizeof(DWORD));
                break;
            }
            ids.resize(ids.size() * 2);
        }
        return std::vector<uint32_t>(ids.begin(), ids.end());
    }

    bool FirstModulePath(uint32_t processId, std::wstring& path) override {
        path.clear();
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
        if (process) {
            HMODULE module = nullptr;
            DWORD needed = 0;
            wchar_t buffer[MAX_PATH];
            if (enumModules_(process, &module, sizeof(module), &needed)) {
                DWORD n = moduleFileName_(process, module, buffer, MAX_PATH);
                path.assign(buffer, n);
            }
            CloseHandle(process);
            if (!path.empty())
                return true;
        }
        // The modules of a process of other bitness cannot be listed, and some processes refuse the
        // read access: their image path still names the executable.
        if (ImagePathLimited(processId, path))
            return true;
        return process != nullptr;
    }

private:
    explicit Psapi(HMODULE library) : library_(library) {}
    HMODULE library_;
    EnumProcessesFn enumProcesses_ = nullptr;
    EnumProcessModulesFn enumModules_ = nullptr;
    GetModuleFileNameExFn moduleFileName_ = nullptr;
};

class ToolHelp final : public IToolHelp {
public:
    using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);

    static std::unique_ptr<IToolHelp> Load() {
        HMODULE library = LoadLibraryW(L"Kernel32.DLL");
        if (!library)
            return nullptr;
        auto t = std::unique_ptr<ToolHelp>(new ToolHelp(library));
        t->snapshot_ = reinterpret_cast<CreateSnapshotFn>(
            reinterpret_cast<void*>(GetProcAddress(library, "CreateToolhelp32Snapshot")));
        t->first_ = reinterpret_cast<ProcessWalkFn>(
            reinterpret_cast<void*>(GetProcAddress(library, "Process32FirstW")));
        t->next_ = reinterpret_cast<ProcessWalkFn>(
            reinterpret_cast<void*>(GetProcAddress(library, "Process32NextW")));
        if (!t->snapshot_ || !t->first_ || !t->next_)
            return nullptr;
        return t;
    }
    ~ToolHelp() override { FreeLibrary(library_); }

    bool SnapshotProcesses(std::vector<ProcessEntry>& processes) override {
        HANDLE snapshot = snapshot_(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return false;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = first_(snapshot, &entry); more; more = next_(snapshot, &entry))
            processes.push_back(ProcessEntry{entry.th32ProcessID, PathFileName(entry.szExeFile)});
        CloseHandle(snapshot);
        return true;
    }

private:
    explicit ToolHelp(HMODULE library) : library_(library) {}
    HMODULE library_;
    CreateSnapshotFn snapshot_ = nullptr;
    ProcessWalkFn first_ = nullptr;
    ProcessWalkFn next_ = nullptr;
};

BOOL CALLBACK EnumVisitor(HWND window, LPARAM param) {
    auto* visit = reinterpret_cast<const std::function<bool(WindowHandle)>*>(param);
    return (*visit)(W(window)) ? TRUE : FALSE;
}

std::wstring ReadText(int (*reader)(HWND, LPWSTR, int), HWND window, size_t maxChars) {
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    int n = reader(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}
int WindowTextReader(HWND w, LPWSTR b, int n) {
    return GetWindowTextW(w, b, n);
}
int ClassNameReader(HWND w, LPWSTR b, int n) {
    return GetClassNameW(w, b, n);
}

class Win32Desktop final : public IDesktop {
public:
    void EnumTopLevelWindows(const std::function<bool(WindowHandle)>& visit) override {
        EnumWindows(EnumVisitor, reinterpret_cast<LPARAM>(&visit));
    }
    WindowHandle FindTopLevelWindow(const std::wstring& title) override {
        return W(FindWindowW(nullptr, title.c_str()));
    }
    bool IsWindow(WindowHandle w) override { return w != kNoWindow && ::IsWindow(H(w)); }
    bool IsVisible(WindowHandle w) override { return IsWindowVisible(H(w)) != FALSE; }
    bool IsEnabled(WindowHandle w) override { return IsWindowEnabled(H(w)) != FALSE; }
    bool IsMaximized(WindowHandle w) override { return IsZoomed(H(w)) != FALSE; }
    bool IsMinimized(WindowHandle w) override { return IsIconic(H(w)) != FALSE; }
    std::wstring WindowText(WindowHandle w, size_t maxChars) override {
        return ReadText(WindowTextReader, H(w), maxChars);
    }
    std::wstring ClassName(WindowHandle w, size_t maxChars) override {
        return ReadText(ClassNameReader, H(w), maxChars);
    }
    WindowHandle Parent(WindowHandle w) override { return W(GetParent(H(w))); }
    WindowHandle EnabledPopup(WindowHandle w) override {
        if (HWND popup = GetWindow(H(w), GW_ENABLEDPOPUP))
            return W(popup);
        // Systems that do not answer this query: the first visible, enabled pop-up the window owns in
        // stacking order, else the window itself.
        if (!::IsWindow(H(w)))
            return kNoWindow;
        for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
            if (GetWindow(h, GW_OWNER) == H(w) &&
                (style & (WS_POPUP | WS_VISIBLE | WS_DISABLED)) == (WS_POPUP | WS_VISIBLE))
                return W(h);
        }
        return w;
    }
    std::vector<WindowHandle> Children(WindowHandle w) override {
        std::vector<WindowHandle> children;
        for (HWND c = GetWindow(H(w), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            children.push_back(W(c));
        return children;
    }
    WindowHandle DlgItem(WindowHandle parent, int32_t id) override { return W(GetDlgItem(H(parent), id)); }
    uint32_t Style(WindowHandle w) override {
        return static_cast<uint32_t>(GetWindowLongPtrW(H(w), GWL_STYLE));
    }
    uint32_t ExStyle(WindowHandle w) override {
        return static_cast<uint32_t>(GetWindowLongPtrW(H(w), GWL_EXSTYLE));
    }
    uint32_t WindowProcessId(WindowHandle w) override {
        DWORD processId = 0;
        GetWindowThreadProcessId(H(w), &processId);
        return processId;
    }
    std::wstring WindowModuleFileName(WindowHandle w, size_t maxChars) override {
        std::vector<wchar_t> buffer(maxChars + 1, L'\0');
        UINT n = GetWindowModuleFileNameW(H(w), buffer.data(), static_cast<UINT>(buffer.size()));
        return std::wstring(buffer.data(), std::min<size_t>(n, maxChars));
    }
    WindowHandle DesktopWindow() override { return W(GetDesktopWindow()); }

    // A 64-bit Windows program runs only on the NT family.
    PlatformFamily Family() override { return PlatformFamily::NT; }
    std::unique_ptr<IProcessStatus> LoadProcessStatus() override { return Psapi::Load(); }
    std::unique_ptr<IToolHelp> LoadToolHelp() override { return ToolHelp::Load(); }
    bool ProcessModuleBaseName(uint32_t processId, std::wstring& name) override {
        std::unique_ptr<IProcessStatus> psapi = Psapi::Load();
        std::wstring path;
        if (!psapi || !psapi->FirstModulePath(processId, path))
            return false;
        name = PathFileName(path);
        return true;
    }

    WindowHandle ForegroundWindow() override { return W(GetForegroundWindow()); }
    bool SetForegroundWindow(WindowHandle w) override { return ::SetForegroundWindow(H(w)) != FALSE; }
    WindowHandle SetActiveWindow(WindowHandle w) override { return W(::SetActiveWindow(H(w))); }
    WindowHandle ActiveWindow() override { return W(GetActiveWindow()); }
    WindowHandle SetFocus(WindowHandle w) override { return W(::SetFocus(H(w))); }

    uint16_t KeyState(int32_t vk) override { return static_cast<uint16_t>(GetKeyState(vk)); }
    uint16_t CharToVirtualKey(wchar_t ch) override { return static_cast<uint16_t>(VkKeyScanW(ch)); }
    uint32_t SendInput(const InputRecord& r) override {
        INPUT input{};
        if (r.kind == InputRecord::Kind::Keyboard) {
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = r.vk;
            input.ki.wScan = r.scan;
            input.ki.dwFlags = r.flags;
            input.ki.time = r.time;
        } else {
            input.type = INPUT_MOUSE;
            input.mi.dx = r.dx;
            input.mi.dy = r.dy;
            input.mi.mouseData = r.mouseData;
            input.mi.dwFlags = r.flags;
            input.mi.time = r.time;
        }
        return ::SendInput(1, &input, sizeof(INPUT));
    }

    bool PostMsg(WindowHandle w, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        return PostMessageW(H(w), message, wParam, lParam) != FALSE;
    }
    intptr_t SendMsg(WindowHandle w, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(H(w), message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                 kSendTimeoutMs, &result))
            return 0;
        return static_cast<intptr_t>(result);
    }

    bool SetWindowPos(WindowHandle w, WindowHandle after, int32_t x, int32_t y, int32_t cx, int32_t cy,
                      uint32_t flags) override {
        return ::SetWindowPos(H(w), H(after), x, y, cx, cy, flags) != FALSE;
    }
    bool ScrollRange(WindowHandle w, int bar, int32_t& minimum, int32_t& maximum) override {
        int lo = 0, hi = 0;
        BOOL ok = GetScrollRange(H(w), bar, &lo, &hi);
        minimum = lo;
        maximum = hi;
        return ok != FALSE;
    }
    int32_t ScrollPos(WindowHandle w, int bar) override { return GetScrollPos(H(w), bar); }
    int32_t SetScrollPos(WindowHandle w, int bar, int32_t pos, bool redraw) override {
        return ::SetScrollPos(H(w), bar, pos, redraw ? TRUE : FALSE);
    }

    bool SetCursorPos(int32_t x, int32_t y) override { return ::SetCursorPos(x, y) != FALSE; }
    CursorShape Cursor() override {
        HCURSOR current = GetCursor();
        if (!current)
            return CursorShape::None;
        return current == LoadCursorW(nullptr, IDC_ARROW) ? CursorShape::Arrow : CursorShape::Other;
    }
    void SetCursor(CursorShape shape) override {
        ::SetCursor(shape == CursorShape::None ? nullptr : LoadCursorW(nullptr, IDC_ARROW));
    }
    void MaximizedSize(int32_t& cx, int32_t& cy) override {
        cx = GetSystemMetrics(SM_CXMAXIMIZED);
        cy = GetSystemMetrics(SM_CYMAXIMIZED);
    }

    bool ShellExec(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
                   const std::wstring& directory, int32_t show) override {
        HINSTANCE result = ShellExecuteW(nullptr, verb.c_str(), file.c_str(),
                                         parameters.empty() ? nullptr : parameters.c_str(),
                                         directory.empty() ? nullptr : directory.c_str(), show);
        return reinterpret_cast<INT_PTR>(result) > 32;
    }
    void WarningBox(const std::wstring& text, const std::wstring& caption) override {
        MessageBoxW(nullptr, text.c_str(), caption.c_str(),
                    MB_OK | MB_ICONWARNING | MB_TASKMODAL | MB_TOPMOST);
    }
};

} // namespace

IDesktop& NativeDesktop() {
    static Win32Desktop desktop;
    return desktop;
}

} // namespace lm
