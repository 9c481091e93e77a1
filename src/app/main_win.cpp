// Entry point of the Windows program.
#include "osd/OsdDlg.h"
#include "platform/Platform.h"
#include "support/LMDebug.h"

#include "../../res/Version.h"
#include "../../res/resource.h"

#include <windows.h>
#include <commctrl.h>

namespace {

const wchar_t kWindowClass[] = L"LumoraRemoteControlMain";
const wchar_t kWindowTitle[] = L"Lumora Remote Control Editor";

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        SetBkMode(dc, TRANSPARENT);
        HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        HGDIOBJ old = SelectObject(dc, font);
        DrawTextW(dc, L"Lumora Remote Control " TEXT(LM_VERSION_TEXT), -1, &rc,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    lm::CLMTraceProcess trace(3);
    lm::TraceMessage(lm::kTraceMsg, lm::kTraceAllContexts, L"%ls %ls starting\n", TEXT(LM_PRODUCT_NAME),
                     TEXT(LM_VERSION_TEXT));

    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&icc);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAINFRAME));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc)) {
        lm::TraceMessage(lm::kTraceErr, lm::kTraceAllContexts, L"RegisterClassEx failed: %lu\n",
                         GetLastError());
        return 1;
    }
    HWND hwnd = CreateWindowExW(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 420, 160, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        lm::TraceMessage(lm::kTraceErr, lm::kTraceAllContexts, L"CreateWindowEx failed: %lu\n",
                         GetLastError());
        return 1;
    }
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    // The on-screen display with the default settings, as the program creates it at start-up; it
    // greets once and rolls away.
    lm::COsdDlg osd(lm::NativePlatform().clock, lm::tagOSDSETTINGS{});
    if (osd.Create())
        osd.ShowText(L"Lumora Remote Control " TEXT(LM_VERSION_TEXT));

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    lm::TraceMessage(lm::kTraceMsg, lm::kTraceAllContexts, L"%ls ends\n", TEXT(LM_PRODUCT_NAME));
    return static_cast<int>(msg.wParam);
}
