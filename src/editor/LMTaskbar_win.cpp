#include "editor/LMTaskbar.h"

#include "base/Text.h"
#include "editor/EditorModel.h"
#include "support/LMDebug.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace lm {

namespace {

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

// The DPI of the monitor the taskbar is on (the primary one when there is no taskbar).
uint32_t TaskbarDpi() {
    static const auto forMonitor = reinterpret_cast<GetDpiForMonitorFn>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor")));
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    HMONITOR monitor = taskbar ? MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)
                               : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    UINT x = 0, y = 0;
    if (forMonitor && forMonitor(monitor, 0 /* effective DPI */, &x, &y) == S_OK && y > 0)
        return y;
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<uint32_t>(dpi) : 96;
}

int SmallIconSize(uint32_t dpi) {
    static const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    if (forDpi)
        return forDpi(SM_CXSMICON, dpi);
    return MulDiv(GetSystemMetrics(SM_CXSMICON), static_cast<int>(dpi), 96);
}

bool Parked(HWND window) {
    RECT r{};
    return GetWindowRect(window, &r) && r.left == kParkedLeft;
}

void AppendItem(HMENU menu, UINT id, const wchar_t* text, HBITMAP glyph) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_FTYPE;
    item.fType = MFT_STRING;
    item.wID = id;
    item.dwTypeData = const_cast<wchar_t*>(text);
    item.hbmpItem = glyph;
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
}

// Copies the items of a menu: separators, texts with their check and disabled states, and popups
// (the popup itself is shared, not copied).
void CopyItems(HMENU from, HMENU to) {
    const int count = GetMenuItemCount(from);
    for (int pos = 0; pos < count; ++pos) {
        wchar_t text[256] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 255;
        if (!GetMenuItemInfoW(from, static_cast<UINT>(pos), TRUE, &item))
            continue;
        item.fState &= MFS_CHECKED | MFS_DISABLED;
        InsertMenuItemW(to, GetMenuItemCount(to), TRUE, &item);
    }
}

// Removes every item without destroying the popups that belong to other menus.
void EmptyMenu(HMENU menu) {
    while (GetMenuItemCount(menu) > 0)
        RemoveMenu(menu, 0, MF_BYPOSITION);
}

} // namespace

void CenterOnDesktop(HWND__* window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT r{};
    if (!GetWindowRect(window, &r) ||
        !GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info))
        return;
    const RECT& work = info.rcWork;
    const int width = r.right - r.left, height = r.bottom - r.top;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MakeTopWindow(HWND__* window) {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, flags);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

CLMTaskbar::CLMTaskbar(ILocale& locale) : locale_(locale) {}

CLMTaskbar::~CLMTaskbar() {
    RemoveIcon();
    if (popup_) {
        EmptyMenu(popup_);
        DestroyMenu(popup_);
    }
    if (icon_)
        DestroyIcon(icon_);
}

uint32_t CLMTaskbar::TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

void CLMTaskbar::Attach(HWND__* owner, const std::wstring& tip, int32_t iconResource) {
    owner_ = owner;
    tip_ = CutTo(tip, kTrayTipChars - 1);
    iconResource_ = iconResource;
    // An elevated program still hears the shell's restart.
    ChangeWindowMessageFilterEx(owner, TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
}

void CLMTaskbar::MakeIcon() {
    const uint32_t dpi = TaskbarDpi();
    if (icon_ && dpi == iconDpi_)
        return;
    const int size = SmallIconSize(dpi);
    auto icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconResource_), IMAGE_ICON, size, size, 0));
    if (!icon)
        return;
    if (icon_)
        DestroyIcon(icon_);
    icon_ = icon;
    iconDpi_ = dpi;
    TraceMessage(kTraceInfo, kTraceAllContexts, L"CLMTaskbar: icon of %d pixels for %u DPI\n", size, dpi);
}

bool CLMTaskbar::Notify(uint32_t action) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon_;
    CopyBounded(data.szTip, kTrayTipChars, tip_);
    return Shell_NotifyIconW(action, &data) != FALSE;
}

bool CLMTaskbar::CreateIcon() {
    if (!owner_)
        return false;
    MakeIcon();
    iconExists_ = Notify(NIM_ADD);
    if (!iconExists_)
        TraceMessage(kTraceWrn, kTraceAllContexts, L"CLMTaskbar: the shell did not take the icon\n");
    return iconExists_;
}

void CLMTaskbar::RemoveIcon() {
    if (iconExists_)
        Notify(NIM_DELETE);
    iconExists_ = false;
}

void CLMTaskbar::TaskbarCreated() {
    if (iconExists_)
        CreateIcon();
}

void CLMTaskbar::UpdateDpi() {
    const uint32_t before = iconDpi_;
    MakeIcon();
    if (iconExists_ && iconDpi_ != before)
        Notify(NIM_MODIFY);
}

void CLMTaskbar::ShowOwner(bool toTop) {
    if (Parked(owner_))
        CenterOnDesktop(owner_);
    ShowWindow(owner_, SW_RESTORE);
    SetForegroundWindow(owner_);
    if (toTop)
        MakeTopWindow(owner_);
}

void CLMTaskbar::OnCallback(intptr_t lParam) {
    switch (LOWORD(lParam)) {
    case WM_LBUTTONDOWN:
        if (IsWindowVisible(owner_))
            ShowWindow(owner_, SW_HIDE);
        else
            ShowOwner(false);
        break;
    case WM_RBUTTONDOWN:
        ShowMenu();
        break;
    default:
        break;
    }
}

void CLMTaskbar::ShowMenu() {
    if (!popup_)
        popup_ = CreatePopupMenu();
    if (!popup_)
        return;
    EmptyMenu(popup_);
    const tagTRAYWORDS words = TrayWords(locale_.ThreadLocale());
    if (showHideItems_) {
        const bool visible = IsWindowVisible(owner_) != FALSE;
        AppendItem(popup_, kCmdTrayToggle, visible ? words.hide : words.show,
                   visible ? HBMMENU_POPUP_MINIMIZE : HBMMENU_POPUP_RESTORE);
        SetMenuDefaultItem(popup_, kCmdTrayToggle, FALSE);
    }
    POINT at{};
    GetCursorPos(&at);
    if (postContextMenu_) {
        PostMessageW(owner_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(owner_), MAKELPARAM(at.x, at.y));
        return;
    }
    if (extraMenu_) {
        AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
        CopyItems(extraMenu_, popup_);
    }
    if (showHideItems_) {
        AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
        AppendItem(popup_, kCmdTrayExit, words.exit, HBMMENU_POPUP_CLOSE);
    }
    MENUINFO style{};
    style.cbSize = sizeof style;
    style.fMask = MIM_STYLE;
    style.dwStyle = MNS_CHECKORBMP;
    SetMenuInfo(popup_, &style);
    // The menu closes when the user clicks elsewhere only while its owner is in front.
    SetForegroundWindow(owner_);
    TrackPopupMenu(popup_, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner_, nullptr);
    PostMessageW(owner_, WM_NULL, 0, 0);
}

bool CLMTaskbar::OnCommand(uint32_t id) {
    if (id == kCmdTrayToggle) {
        if (IsWindowVisible(owner_))
            ShowWindow(owner_, SW_HIDE);
        else
            ShowOwner(true);
        return true;
    }
    if (id == kCmdTrayExit) {
        PostMessageW(owner_, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    return false;
}

} // namespace lm
