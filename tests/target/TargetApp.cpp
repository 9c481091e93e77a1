// A small window for the Windows tests: it appends one line to a log file for every menu command,
// button click, combo-box notification, scroll message, key down/up and system command it receives.
//
//   TargetApp.exe [-log <file>] [-title <caption>] [-windows <n>]
//
// With -windows it shows n further plain top-level windows (for timing the window search).
//
// Log lines (one per event, flushed at once):
//   START <pid>                 MENU <id>                   BUTTON <id>
//   COMBO <id> <notification> <selection>                  HSCROLL <id> <code> <pos>
//   VSCROLL <id> <code> <pos>   KEYDOWN <vk>                KEYUP <vk>
//   SYSKEYDOWN <vk>             SYSKEYUP <vk>               CHAR <code>
//   SYSCOMMAND <hex command>    DIALOG OPEN / DIALOG END <id>
#include "TargetIds.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::wstring gLogPath;
HWND gMain = nullptr;

void Log(const wchar_t* format, ...) {
    wchar_t line[512];
    va_list args;
    va_start(args, format);
    vswprintf(line, 512, format, args);
    va_end(args);
    FILE* f = _wfopen(gLogPath.c_str(), L"ab");
    if (!f)
        return;
    char bytes[1024];
    int n = WideCharToMultiByte(CP_UTF8, 0, line, -1, bytes, sizeof(bytes), nullptr, nullptr);
    if (n > 1)
        fwrite(bytes, 1, static_cast<size_t>(n - 1), f);
    fputs("\n", f);
    fclose(f);
}

HWND Child(int id) { return GetDlgItem(gMain, id); }

// Every message the thread takes from its queue, modal loops included.
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* m = reinterpret_cast<const MSG*>(lParam);
        switch (m->message) {
        case WM_KEYDOWN:
            Log(L"KEYDOWN %u", static_cast<unsigned>(m->wParam));
            break;
        case WM_KEYUP:
            Log(L"KEYUP %u", static_cast<unsigned>(m->wParam));
            break;
        case WM_SYSKEYDOWN:
            Log(L"SYSKEYDOWN %u", static_cast<unsigned>(m->wParam));
            break;
        case WM_SYSKEYUP:
            Log(L"SYSKEYUP %u", static_cast<unsigned>(m->wParam));
            break;
        case WM_CHAR:
            Log(L"CHAR %u", static_cast<unsigned>(m->wParam));
            break;
        default:
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        Log(L"DIALOG OPEN");
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            Log(L"DIALOG END %u", static_cast<unsigned>(LOWORD(wParam)));
            EndDialog(dlg, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// A modal dialog from an in-memory template: a caption, an edit field, OK and Cancel.
void ShowModalDialog(HWND owner) {
    alignas(4) WORD buffer[512] = {};
    WORD* p = buffer;
    auto* dt = reinterpret_cast<DLGTEMPLATE*>(p);
    dt->style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
    dt->cdit = 3;
    dt->cx = 180;
    dt->cy = 70;
    p = reinterpret_cast<WORD*>(dt + 1);
    *p++ = 0; // menu
    *p++ = 0; // class
    for (const wchar_t* t = L"Target Dialog"; (*p++ = *t) != 0; ++t) {
    }
    *p++ = 9;
    for (const wchar_t* t = L"MS Shell Dlg"; (*p++ = *t) != 0; ++t) {
    }
    auto item = [&](DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const wchar_t* text) {
        p = reinterpret_cast<WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR(3));
        auto* it = reinterpret_cast<DLGITEMTEMPLATE*>(p);
        it->style = style | WS_CHILD | WS_VISIBLE;
        it->x = x;
        it->y = y;
        it->cx = cx;
        it->cy = cy;
        it->id = id;
        p = reinterpret_cast<WORD*>(it + 1);
        *p++ = 0xFFFF;
        *p++ = cls;
        for (const wchar_t* t = text; (*p++ = *t) != 0; ++t) {
        }
        *p++ = 0;
    };
    item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 166, 14, kDialogEditId, 0x0081, L"");
    item(BS_DEFPUSHBUTTON | WS_TABSTOP, 70, 48, 50, 14, IDOK, 0x0080, L"OK");
    item(BS_PUSHBUTTON | WS_TABSTOP, 123, 48, 50, 14, IDCANCEL, 0x0080, L"Cancel");
    DialogBoxIndirectW(GetModuleHandleW(nullptr), dt, owner, DialogProc);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        int notification = HIWORD(wParam);
        if (lParam == 0) {
            Log(L"MENU %d", id);
            if (id == kMenuDialog)
                ShowModalDialog(hwnd);
            else if (id == kMenuExit)
                DestroyWindow(hwnd);
        } else if (id == kButtonId && notification == BN_CLICKED) {
            Log(L"BUTTON %d", id);
        } else if (id == kComboId) {
            int sel = static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0));
            Log(L"COMBO %d %d %d", id, notification, sel);
        }
        return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
        HWND ctl = reinterpret_cast<HWND>(lParam);
        int id = ctl ? GetDlgCtrlID(ctl) : 0;
        int pos = 0;
        if (id == kTrackbarId) {
            pos = static_cast<int>(SendMessageW(ctl, TBM_GETPOS, 0, 0));
        } else if (ctl) {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_ALL;
            GetScrollInfo(ctl, SB_CTL, &si);
            int code = LOWORD(wParam);
            pos = si.nPos;
            if (code == SB_LINERIGHT)
                pos = std::min(si.nMax, pos + 1);
            else if (code == SB_LINELEFT)
                pos = std::max(si.nMin, pos - 1);
            else if (code == SB_PAGERIGHT)
                pos = std::min(si.nMax, pos + static_cast<int>(si.nPage));
            else if (code == SB_PAGELEFT)
                pos = std::max(si.nMin, pos - static_cast<int>(si.nPage));
            else if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK)
                pos = static_cast<short>(HIWORD(wParam));
            SetScrollPos(ctl, SB_CTL, pos, TRUE);
        }
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

HMENU BuildMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kMenuOpen, L"&Open");
    AppendMenuW(file, MF_STRING, kMenuSave, L"&Save");
    AppendMenuW(file, MF_STRING, kMenuDialog, L"&Dialog...");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, kMenuExit, L"E&xit");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    HMENU play = CreatePopupMenu();
    AppendMenuW(play, MF_STRING, kMenuPlay, L"&Play");
    AppendMenuW(play, MF_STRING, kMenuStop, L"&Stop");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(play), L"&Playback");
    return bar;
}

void CreateControls(HWND hwnd, HINSTANCE instance) {
    auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
        return CreateWindowExW(0, cls, text, style | WS_CHILD | WS_VISIBLE, x, y, w, h, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    make(L"BUTTON", L"Push", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 80, 26, kButtonId);
    HWND combo = make(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 100, 10, 150, 200, kComboId);
    for (const wchar_t* item : {L"Zero", L"One", L"Two", L"Three", L"Four"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    HWND track = make(TRACKBAR_CLASSW, L"", TBS_HORZ | WS_TABSTOP, 10, 46, 240, 30, kTrackbarId);
    SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageW(track, TBM_SETPOS, TRUE, 50);
    HWND scroll = make(L"SCROLLBAR", L"", SBS_HORZ, 10, 86, 240, 18, kScrollId);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    si.nMin = 0;
    si.nMax = 100;
    si.nPage = 10;
    si.nPos = 50;
    SetScrollInfo(scroll, SB_CTL, &si, TRUE);
    make(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 10, 114, 240, 22, kEditId);
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
        else if (wcscmp(argv[i], L"-title") == 0)
            title = argv[++i];
        else if (wcscmp(argv[i], L"-windows") == 0)
            extraWindows = _wtoi(argv[++i]);
    }
    if (argv)
        LocalFree(argv);
    if (gLogPath.empty()) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        gLogPath = std::wstring(temp) + L"TargetApp.log";
    }

    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&icc);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kTargetClass;
    RegisterClassExW(&wc);
    gMain = CreateWindowExW(0, kTargetClass, title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 300, 220, nullptr,
                            BuildMenu(), instance, nullptr);
    if (!gMain)
        return 1;
    CreateControls(gMain, instance);
    if (extraWindows > 0) {
        WNDCLASSEXW extra{};
        extra.cbSize = sizeof(extra);
        extra.lpfnWndProc = DefWindowProcW;
        extra.hInstance = instance;
        extra.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        extra.lpszClassName = L"LumoraTestTargetExtra";
        RegisterClassExW(&extra);
        for (int i = 0; i < extraWindows && i < 1000; ++i) {
            std::wstring caption = title + L" " + std::to_wstring(i + 1);
            HWND w = CreateWindowExW(0, extra.lpszClassName, caption.c_str(), WS_OVERLAPPED | WS_CAPTION,
                                     60 + (i % 40) * 4, 60 + (i % 40) * 4, 160, 60, nullptr, nullptr, instance,
                                     nullptr);
            ShowWindow(w, SW_SHOWNOACTIVATE);
        }
    }
    SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
    ShowWindow(gMain, showCommand == SW_HIDE ? SW_SHOWNORMAL : showCommand);
    UpdateWindow(gMain);
    SetFocus(Child(kEditId));
    Log(L"START %lu", GetCurrentProcessId());

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Log(L"EXIT");
    return 0;
}
