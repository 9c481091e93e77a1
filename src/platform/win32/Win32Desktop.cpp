// The Windows desktop: windows and messages, synthesised input and the pointer (user32), process images
// (kernel32) and the shell.
#include "platform/Desktop.h"
#include "platform/Input.h"
#include "platform/Processes.h"
#include "platform/Shell.h"

#include "base/Path.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
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

class Win32Windows final : public IWindows {
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

    WindowHandle ForegroundWindow() override { return W(GetForegroundWindow()); }
    bool SetForegroundWindow(WindowHandle w) override { return ::SetForegroundWindow(H(w)) != FALSE; }
    bool SetActiveWindow(WindowHandle w) override { return ::SetActiveWindow(H(w)) != nullptr; }
    void SetFocus(WindowHandle w) override { ::SetFocus(H(w)); }

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
};

class Win32Input final : public IInput {
public:
    uint16_t KeyState(int32_t vk) override { return static_cast<uint16_t>(GetKeyState(vk)); }
    uint16_t CharToVirtualKey(wchar_t ch) override { return static_cast<uint16_t>(VkKeyScanW(ch)); }
    uint32_t SendInput(const tagINPUTRECORD& r) override {
        INPUT input{};
        if (r.kind == tagINPUTRECORD::Kind::Keyboard) {
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = r.vk;
            input.ki.wScan = r.scan;
            input.ki.dwFlags = r.flags;
        } else {
            input.type = INPUT_MOUSE;
            input.mi.dx = r.dx;
            input.mi.dy = r.dy;
            input.mi.dwFlags = r.flags;
        }
        return ::SendInput(1, &input, sizeof(INPUT));
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
};

class Win32Processes final : public IProcesses {
public:
    // A 64-bit Windows program runs only on the NT family.
    PlatformFamily Family() override { return PlatformFamily::NT; }
    // The limited query right also opens processes of other bitness and most elevated ones, and the
    // image name needs no walk over the process's modules.
    bool ImagePath(uint32_t processId, std::wstring& path) override {
        path.clear();
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        if (!process)
            return false;
        wchar_t buffer[MAX_PATH * 4];
        DWORD size = static_cast<DWORD>(std::size(buffer));
        if (QueryFullProcessImageNameW(process, 0, buffer, &size))
            path.assign(buffer, size);
        CloseHandle(process);
        return true;
    }
    bool SnapshotProcesses(std::vector<tagPROCESSENTRY>& processes) override {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return false;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            processes.push_back(tagPROCESSENTRY{entry.th32ProcessID, PathFileName(entry.szExeFile)});
        CloseHandle(snapshot);
        return true;
    }
    // The limited query right is granted on elevated processes too, and their token can be read.
    bool IntegrityLevel(uint32_t processId, uint32_t& level) override {
        level = 0;
        HANDLE process = processId ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)
                                   : GetCurrentProcess();
        if (!process)
            return false;
        HANDLE token = nullptr;
        const bool opened = OpenProcessToken(process, TOKEN_QUERY, &token) != 0;
        if (processId)
            CloseHandle(process);
        if (!opened)
            return false;
        alignas(TOKEN_MANDATORY_LABEL) unsigned char
            buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
        DWORD size = 0;
        bool read = GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof(buffer), &size) != 0;
        CloseHandle(token);
        if (!read)
            return false;
        PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
        if (!IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0)
            return false;
        level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u);
        return true;
    }
};

class Win32Shell final : public IShell {
public:
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

IWindows& NativeWindows() {
    static Win32Windows windows;
    return windows;
}
IInput& NativeInput() {
    static Win32Input input;
    return input;
}
IProcesses& NativeProcesses() {
    static Win32Processes processes;
    return processes;
}
IShell& NativeShell() {
    static Win32Shell shell;
    return shell;
}

} // namespace lm
