// A small window for the Windows tests: it appends one line to a log file for every command, button
// click, combo-box notification, scroll message, key message and system command it receives:
// START <pid>, MENU <id>, BUTTON <id>, COMBO <id> <notification> <selection>, HSCROLL / VSCROLL <id>
// <code> <pos>, KEYDOWN / KEYUP / SYSKEYDOWN / SYSKEYUP <vk>, CHAR <code>, SYSCOMMAND <hex command>,
// DIALOG OPEN, DIALOG END <id>.
//
//   TargetApp.exe [-log <file>] [-windows <n>]
//
// Without -log it logs nothing. With -windows it shows n further plain top-level windows (for timing the
// window search).
#include "TargetIds.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::wstring gLogPath;

void Log(const wchar_t* format, ...) {
    wchar_t line[512];
    va_list args;
    va_start(args, format);
    vswprintf(line, 512, format, args);
    va_end(args);
    if (FILE* f = _wfopen(gLogPath.c_str(), L"ab")) {
        std::fprintf(f, "%ls\n", line);
        fclose(f);
    }
}

// Every key message the thread takes from its queue, modal loops included.
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* m = reinterpret_cast<const MSG*>(lParam);
    const wchar_t* names[] = {L"KEYDOWN", L"KEYUP", L"CHAR", nullptr, L"SYSKEYDOWN", L"SYSKEYUP"};
    if (code == HC_ACTION && wParam == PM_REMOVE && m->message >= WM_KEYDOWN && m->message <= WM_SYSKEYUP &&
        names[m->message - WM_KEYDOWN])
        Log(L"%ls %u", names[m->message - WM_KEYDOWN], static_cast<unsigned>(m->wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (lParam == 0) {
            Log(L"MENU %d", id);
            if (id == kCommandDialog) {
                Log(L"DIALOG OPEN");
                Log(L"DIALOG END %d", MessageBoxW(hwnd, L"A modal dialog", L"Target Dialog", MB_OKCANCEL));
            }
        } else if (id == kButtonId && HIWORD(wParam) == BN_CLICKED) {
            Log(L"BUTTON %d", id);
        } else if (id == kComboId) {
            Log(L"COMBO %d %d %d", id, HIWORD(wParam),
                static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0)));
        }
        return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
        HWND ctl = reinterpret_cast<HWND>(lParam);
        int id = GetDlgCtrlID(ctl);
        int pos = id == kTrackbarId ? static_cast<int>(SendMessageW(ctl, TBM_GETPOS, 0, 0))
                                    : GetScrollPos(ctl, SB_CTL);
        Log(L"%ls %d %u %d", msg == WM_HSCROLL ? L"HSCROLL" : L"VSCROLL", id,
            static_cast<unsigned>(LOWORD(wParam)), pos);
        return 0;
    }
    case WM_SYSCOMMAND:
        Log(L"SYSCOMMAND 0x%04X", static_cast<unsigned>(wParam & 0xFFF0));
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    std::wstring title = L"Lumora Test Target";
    int extraWindows = 0;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i + 1 < argc; ++i) {
        if (wcscmp(argv[i], L"-log") == 0)
            gLogPath = argv[++i];
        else if (wcscmp(argv[i], L"-windows") == 0)
            extraWindows = _wtoi(argv[++i]);
    }
    LocalFree(argv);

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kTargetClass;
    RegisterClassExW(&wc);
    HWND main = CreateWindowExW(0, kTargetClass, title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 300, 220,
                                nullptr, nullptr, instance, nullptr);
    auto make = [&](const wchar_t* cls, DWORD style, int x, int y, int w, int h, int id) {
        return CreateWindowExW(0, cls, id == kButtonId ? L"Push" : L"", style | WS_CHILD | WS_VISIBLE, x, y,
                               w, h, main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                               nullptr);
    };
    make(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 80, 26, kButtonId);
    HWND combo = make(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 100, 10, 150, 200, kComboId);
    for (const wchar_t* item : {L"Zero", L"One", L"Two", L"Three", L"Four"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    HWND track = make(TRACKBAR_CLASSW, TBS_HORZ | WS_TABSTOP, 10, 46, 240, 30, kTrackbarId);
    SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageW(track, TBM_SETPOS, TRUE, 50);
    HWND scroll = make(L"SCROLLBAR", SBS_HORZ, 10, 86, 240, 18, kScrollId);
    SetScrollRange(scroll, SB_CTL, 0, 100, FALSE);
    SetScrollPos(scroll, SB_CTL, 50, TRUE);
    make(L"EDIT", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 10, 114, 240, 22, kEditId);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"LumoraTestTargetExtra";
    RegisterClassExW(&wc);
    for (int i = 0; i < extraWindows && i < 1000; ++i) {
        std::wstring caption = title + L" " + std::to_wstring(i + 1);
        HWND w = CreateWindowExW(0, wc.lpszClassName, caption.c_str(), WS_OVERLAPPED | WS_CAPTION,
                                 60 + (i % 40) * 4, 60 + (i % 40) * 4, 160, 60, nullptr, nullptr, instance,
                                 nullptr);
        ShowWindow(w, SW_SHOWNOACTIVATE);
    }
    SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
    ShowWindow(main, showCommand == SW_HIDE ? SW_SHOWNORMAL : showCommand);
    SetFocus(GetDlgItem(main, kEditId));
    Log(L"START %lu", GetCurrentProcessId());

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
