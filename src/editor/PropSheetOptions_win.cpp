#include "editor/PropSheetOptions.h"

#include "app/RemoteApp.h"
#include "base/Text.h"
#include "editor/EditorModel.h"
#include "support/LMDebug.h"
#include "support/LMLocalizeWin.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <prsht.h>

#include "../../res/resource.h"

#include <cstddef>
#include <iterator>

namespace lm {

static_assert(CPageMenu::kTemplate == IDD_PAGE_MENU && CPageCmdSets::kTemplate == IDD_PAGE_CMDSETS &&
              CPageOptions::kTemplate == IDD_PAGE_OPTIONS && CPageAbout::kTemplate == IDD_PAGE_ABOUT);
static_assert(kCmdShowEditor == 33026 && kCmdQuit == 0x8103);

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

constexpr UINT_PTR kSubclassId = 1;
// The window moved to a monitor of another DPI (Windows 8.1 and later).
constexpr UINT kWmDpiChanged = 0x02E0;

// The device-interface classes whose arrival and removal the program follows: the receivers' own
// interface, the audio devices (the FireWire sound card) and the USB devices.
constexpr GUID kDeviceClasses[CPropSheetOptions::kDeviceClassCount] = {
    {0x006902CB, 0xE626, 0x45B4, {0x8A, 0x62, 0x2E, 0xAA, 0xD6, 0x3F, 0x8D, 0x12}},
    {0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}},
    {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}},
};

struct HotKey {
    int32_t id;
    UINT modifiers;
    UINT key;
    const wchar_t* name;
};
constexpr HotKey kHotKeys[] = {
    {kHotKeyQuit, MOD_CONTROL | MOD_ALT | MOD_SHIFT, 'X', L"Ctrl+Alt+Shift+X"},
    {kHotKeyClose, MOD_CONTROL | MOD_ALT, 'X', L"Ctrl+Alt+X"},
    {kHotKeyToggleC, MOD_CONTROL | MOD_ALT, 'C', L"Ctrl+Alt+C"},
    {kHotKeyToggleR, MOD_CONTROL | MOD_ALT, 'R', L"Ctrl+Alt+R"},
};

// The sheet being made on this thread: the creation callback has no parameter of its own.
thread_local CPropSheetOptions* tCreating = nullptr;

uint32_t WindowDpi(HWND window) {
    static const auto forWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow && window)
        if (UINT dpi = forWindow(window))
            return dpi;
    return 96;
}

int MetricForDpi(int metric, uint32_t dpi) {
    static const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return forDpi ? forDpi(metric, dpi) : MulDiv(GetSystemMetrics(metric), static_cast<int>(dpi), 96);
}

HICON LoadProgramIcon(int metric, uint32_t dpi) {
    const int size = MetricForDpi(metric, dpi);
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAINFRAME), IMAGE_ICON, size, size, 0));
}

LRESULT CALLBACK SheetSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR ref) {
    auto* sheet = reinterpret_cast<CPropSheetOptions*>(ref);
    intptr_t result = 0;
    if (sheet->HandleMessage(message, wParam, lParam, result))
        return result;
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, SheetSubclass, kSubclassId);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam) {
    if (!tCreating)
        return 0;
    if (message == PSCB_PRECREATE)
        tCreating->OnPreCreate(reinterpret_cast<void*>(lParam));
    else if (message == PSCB_INITIALIZED)
        tCreating->OnInitialized(hwnd);
    return 0;
}

} // namespace

CPropSheetOptions::CPropSheetOptions(CRemoteApp& app, CLMLocalizeWin& loc, ILocale& locale)
    : app_(app), loc_(loc), taskbar_(locale), menuPage_(loc), cmdSetsPage_(loc), optionsPage_(loc),
      aboutPage_(loc), pages_{&menuPage_, &cmdSetsPage_, &optionsPage_, &aboutPage_} {
    menuPage_.Attach(app);
    cmdSetsPage_.Attach(app);
    optionsPage_.Attach(app);
    aboutPage_.Attach(app);
}

CPropSheetOptions::~CPropSheetOptions() {
    if (window_ && IsWindow(window_))
        DestroyWindow(window_);
    Unregister();
    // The program menu is a popup of the "Load" menu and goes with it.
    if (loadMenu_)
        DestroyMenu(loadMenu_);
    else if (programMenu_)
        DestroyMenu(programMenu_);
    if (bigIcon_)
        DestroyIcon(bigIcon_);
    if (smallIcon_)
        DestroyIcon(smallIcon_);
}

int CPropSheetOptions::Run() {
    LM_TRACE_SCOPE(L"CPropSheetOptions::Run");
    const uint32_t titleIds[kPageCount] = {kStringTabMenu, kStringTabCmdSets, kStringTabOptions,
                                           kStringTabAbout};
    const wchar_t* fallbacks[kPageCount] = {L"Menu", L"Command sets", L"Options", L"About"};
    HPROPSHEETPAGE handles[kPageCount] = {};
    for (size_t i = 0; i < kPageCount; ++i) {
        tabTitles_[i] = loc_.Text(titleIds[i], fallbacks[i]);
        handles[i] = pages_[i]->CreateSheetPage(tabTitles_[i]);
        if (!handles[i])
            return 1;
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP | PSH_USECALLBACK | PSH_USEHICON;
    header.hInstance = GetModuleHandleW(nullptr);
    smallIcon_ = LoadProgramIcon(SM_CXSMICON, 96);
    header.hIcon = smallIcon_;
    header.pszCaption = kEditorTitle;
    header.nPages = kPageCount;
    header.phpage = handles;
    header.pfnCallback = SheetCallback;
    tCreating = this;
    auto sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    tCreating = nullptr;
    if (!sheet || !window_) {
        TraceMessage(kTraceErr, kTraceAllContexts, L"CPropSheetOptions: the sheet could not be made\n");
        return 1;
    }

    // The program's message loop: the sheet's keyboard handling, everything else dispatched.
    MSG msg{};
    while (!ended_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            exitCode_ = static_cast<int>(msg.wParam);
            break;
        }
        if (got < 0)
            break;
        if (!PropSheet_IsDialogMessage(window_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!ended_ && !PropSheet_GetCurrentPageHwnd(window_))
            ended_ = true; // the platform closed the sheet
    }
    Unregister();
    DestroyWindow(window_);
    window_ = nullptr;
    return exitCode_;
}

void CPropSheetOptions::OnPreCreate(void* dialogTemplate) {
    // A background start makes the sheet hidden: it is not to be seen, not even for a moment.
    if (!app_.BackgroundStart() || !dialogTemplate)
        return;
    auto* words = static_cast<WORD*>(dialogTemplate);
    const bool extended = words[1] == 0xFFFF;
    auto* style = reinterpret_cast<DWORD*>(extended ? words + 6 : words);
    *style &= ~static_cast<DWORD>(WS_VISIBLE);
}

void CPropSheetOptions::OnInitialized(HWND__* sheet) {
    LM_TRACE_SCOPE(L"CPropSheetOptions::OnInitialized");
    window_ = sheet;
    SetWindowSubclass(sheet, SheetSubclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    LocalizeSheet();
    SetWindowTextW(sheet, kEditorTitle);
    SetIcons();
    for (int id : {IDOK, IDCANCEL}) {
        if (HWND button = GetDlgItem(sheet, id)) {
            ShowWindow(button, SW_HIDE);
            EnableWindow(button, FALSE);
        }
    }
    if (app_.BackgroundStart())
        SetWindowPos(sheet, nullptr, kParkedLeft, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExtendSystemMenu();
    BuildProgramMenu();

    taskbar_.Attach(sheet, kEditorTitle, IDI_MAINFRAME);
    taskbar_.SetShowHideItems(true);
    taskbar_.SetPostContextMenu(false);
    taskbar_.SetExtraMenu(loadMenu_);
    if (!app_.BackgroundStart()) {
        taskbar_.CreateIcon();
    } else if (app_.Settings().Get().hidden == 1) {
        taskbar_.RemoveIcon();
        SetToolWindow(true);
    } else {
        taskbar_.CreateIcon();
    }
    RegisterHotKeys();
    RegisterDeviceNotifications();
}

void CPropSheetOptions::SetIcons() {
    const uint32_t dpi = WindowDpi(window_);
    HICON big = LoadProgramIcon(SM_CXICON, dpi), small = LoadProgramIcon(SM_CXSMICON, dpi);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (bigIcon_)
        DestroyIcon(bigIcon_);
    if (smallIcon_)
        DestroyIcon(smallIcon_);
    bigIcon_ = big;
    smallIcon_ = small;
}

void CPropSheetOptions::ExtendSystemMenu() {
    HMENU system = GetSystemMenu(window_, FALSE);
    if (!system)
        return;
    const std::wstring minimise = loc_.Text(kStringMinimise, L"Minimise");
    InsertMenuW(system, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    InsertMenuW(system, 2, MF_BYPOSITION | MF_STRING, SC_MINIMIZE, minimise.c_str());
    SetWindowLongPtrW(window_, GWL_STYLE, GetWindowLongPtrW(window_, GWL_STYLE) | WS_MINIMIZEBOX);
    if (HMENU languages = loc_.LanguagePopup()) {
        InsertMenuW(system, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        InsertMenuW(system, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(languages),
                    LanguagePopupCaption(loc_).c_str());
    }
}

void CPropSheetOptions::BuildProgramMenu() {
    programMenu_ = CreatePopupMenu();
    loadMenu_ = CreatePopupMenu();
    if (!programMenu_ || !loadMenu_)
        return;
    if (CCmdSetAdmin* admin = app_.Admin())
        for (const tagPROGRAMENTRY& entry : ProgramMenuEntries(*admin))
            AppendMenuW(programMenu_, MF_STRING, kCmdProgramFirst + static_cast<UINT>(entry.index),
                        entry.text.c_str());
    AppendMenuW(loadMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(programMenu_),
                loc_.Text(kStringLoad, L"Load").c_str());
}

void CPropSheetOptions::UpdateProgramMenu() {
    CCmdSetAdmin* admin = app_.Admin();
    if (!admin || !programMenu_)
        return;
    const std::wstring active = app_.KeyPath().ActiveApplication();
    for (const tagPROGRAMENTRY& entry : ProgramMenuEntries(*admin)) {
        const UINT id = kCmdProgramFirst + static_cast<UINT>(entry.index);
        if (GetMenuState(programMenu_, id, MF_BYCOMMAND) == static_cast<UINT>(-1))
            continue; // only the entries that exist are renamed
        ModifyMenuW(programMenu_, id, MF_BYCOMMAND | MF_STRING, id, entry.text.c_str());
        if (!active.empty() && entry.name == active)
            CheckMenuRadioItem(programMenu_, kCmdProgramFirst, kCmdProgramFirst + kMainMenuPlaces - 1, id,
                               MF_BYCOMMAND);
    }
}

void CPropSheetOptions::RegisterHotKeys() {
    for (size_t i = 0; i < std::size(kHotKeys); ++i) {
        const HotKey& key = kHotKeys[i];
        hotKeys_[i] = RegisterHotKey(window_, key.id, key.modifiers, key.key) != FALSE;
        if (!hotKeys_[i])
            TraceMessage(kTraceErr, kTraceAllContexts,
                         L"CPropSheetOptions: hot key %ls is held by another program (error %lu)\n", key.name,
                         GetLastError());
    }
}

void CPropSheetOptions::RegisterDeviceNotifications() {
    for (size_t i = 0; i < kDeviceClassCount; ++i) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = kDeviceClasses[i];
        deviceNotifications_[i] = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

void CPropSheetOptions::Unregister() {
    for (size_t i = 0; i < std::size(kHotKeys); ++i)
        if (hotKeys_[i] && window_)
            UnregisterHotKey(window_, kHotKeys[i].id);
    hotKeys_ = {};
    for (void*& notification : deviceNotifications_) {
        if (notification)
            UnregisterDeviceNotification(notification);
        notification = nullptr;
    }
    taskbar_.RemoveIcon();
}

void CPropSheetOptions::SetToolWindow(bool on) {
    LONG_PTR style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    style = on ? style | WS_EX_TOOLWINDOW : style & ~static_cast<LONG_PTR>(WS_EX_TOOLWINDOW);
    SetWindowLongPtrW(window_, GWL_EXSTYLE, style);
}

bool CPropSheetOptions::IsToolWindow() const {
    return (GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
}

void CPropSheetOptions::ShowEditor(bool show) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CPropSheetOptions::ShowEditor", L"%d", show ? 1 : 0);
    if (app_.Settings().Get().hidden == 1) {
        if (!show) {
            ShowWindow(window_, SW_HIDE);
            taskbar_.RemoveIcon();
            SetToolWindow(true);
            return;
        }
        SetToolWindow(false);
        if (!taskbar_.IconExists())
            taskbar_.CreateIcon();
        ShowWindow(window_, SW_SHOW);
        CenterOnDesktop(window_);
        MakeTopWindow(window_);
        return;
    }
    if (!taskbar_.IconExists())
        taskbar_.CreateIcon();
    // The tray's toggle, when the window is not already as asked.
    if ((IsWindowVisible(window_) != FALSE) != show)
        PostMessageW(window_, WM_COMMAND, kCmdTrayToggle, 0);
}

bool CPropSheetOptions::SaveSettings() {
    bool all = true;
    for (CPageBase* page : pages_)
        if (page->Window())
            all = page->SaveSettings() && all;
    return all;
}

void CPropSheetOptions::LocalizeSheet() {
    const uint32_t titleIds[kPageCount] = {kStringTabMenu, kStringTabCmdSets, kStringTabOptions,
                                           kStringTabAbout};
    for (size_t i = 0; i < kPageCount; ++i)
        loc_.LoadText(titleIds[i], tabTitles_[i]);
    for (CPageBase* page : pages_)
        if (page->Window())
            page->LocalizePage();
    HWND tabs = window_ ? PropSheet_GetTabControl(window_) : nullptr;
    for (size_t i = 0; tabs && i < kPageCount; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = tabTitles_[i].data();
        TabCtrl_SetItem(tabs, static_cast<int>(i), &item);
    }
}

void CPropSheetOptions::ToggleFromHotKey() {
    const bool hidden = app_.Settings().Get().hidden == 1;
    ShowEditor(!IsWindowVisible(window_) || (hidden && IsToolWindow()));
}

void CPropSheetOptions::CloseSequence() {
    LM_TRACE(kTraceInfo, L"SC_CLOSE: SaveSettings() - BEFORE\n");
    SaveSettings();
    LM_TRACE(kTraceInfo, L"SC_CLOSE: SaveSettings() - AFTER\n");
    LM_TRACE(kTraceInfo, L"SC_CLOSE: LM_MakeTopWindow() - BEFORE\n");
    MakeTopWindow(window_);
    LM_TRACE(kTraceInfo, L"SC_CLOSE: LM_MakeTopWindow() - AFTER\n");
    if (loc_.ShowMessageBox(kStringQuitQuestion, kMsgWarningYesNo, window_) == IDYES)
        ended_ = true;
    else
        ShowEditor(false);
}

void CPropSheetOptions::LanguageChanged() {
    loc_.LocalizeDialog(window_);
    if (HMENU system = GetSystemMenu(window_, FALSE)) {
        if (HMENU languages = loc_.LanguagePopup())
            ModifyMenuW(system, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(languages),
                        LanguagePopupCaption(loc_).c_str());
        ModifyMenuW(system, SC_MINIMIZE, MF_BYCOMMAND | MF_STRING, SC_MINIMIZE,
                    loc_.Text(kStringMinimise, L"Minimise").c_str());
    }
    if (loadMenu_)
        ModifyMenuW(loadMenu_, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(programMenu_),
                    loc_.Text(kStringLoad, L"Load").c_str());
    LocalizeSheet();
}

bool CPropSheetOptions::OnCommand(uint32_t id) {
    if (id >= kCmdProgramFirst && id < kCmdProgramFirst + kMainMenuPlaces) {
        app_.KeyPath().SwitchToProgram(static_cast<int>(id - kCmdProgramFirst));
        return true;
    }
    if (id == kCmdOk || id == kCmdCancel) {
        SaveSettings();
        ShowEditor(false);
        return true;
    }
    if (id == kCmdShowEditor) {
        ShowEditor(true);
        return true;
    }
    if (id == kCmdQuit) {
        PostQuitMessage(0);
        return true;
    }
    return taskbar_.OnCommand(id);
}

bool CPropSheetOptions::OnSysCommand(uintptr_t command) {
    if (command <= 0xFFFF && app_.SwitchLanguage(static_cast<uint32_t>(command))) {
        LanguageChanged();
        return true;
    }
    switch (command & 0xFFF0) {
    case SC_MINIMIZE:
        SaveSettings();
        ShowEditor(false);
        return true;
    case SC_MAXIMIZE:
        return true;
    case SC_CLOSE:
        CloseSequence();
        return true;
    default:
        return false;
    }
}

void CPropSheetOptions::OnDeviceChange(uintptr_t event, intptr_t record) {
    tagDEVICEEVENT device;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(record);
    if (header) {
        device.deviceType = header->dbch_devicetype;
        if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE &&
            header->dbch_size > offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)) {
            const auto* iface = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
            const size_t chars =
                (header->dbch_size - offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)) / sizeof(wchar_t);
            device.path.assign(iface->dbcc_name, wcsnlen(iface->dbcc_name, chars));
        }
    }
    app_.HandleDeviceChange(static_cast<uint32_t>(event), header ? &device : nullptr);
}

bool CPropSheetOptions::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    if (message == CLMTaskbar::TaskbarCreatedMessage()) {
        taskbar_.TaskbarCreated();
        return false;
    }
    switch (message) {
    case WM_COMMAND:
        if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) {
            result = 0;
            return OnCommand(LOWORD(wParam));
        }
        return false;
    case WM_SYSCOMMAND:
        result = 0;
        return OnSysCommand(wParam);
    case WM_HOTKEY:
        if (wParam == kHotKeyQuit) {
            LM_TRACE(kTraceMsg, L"CPropSheetOptions: quit hot key\n");
            PostQuitMessage(static_cast<int>(kExitCodeQuitHotKey));
        } else if (wParam == kHotKeyClose) {
            PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (wParam == kHotKeyToggleC || wParam == kHotKeyToggleR) {
            ToggleFromHotKey();
        }
        result = 0;
        return true;
    case kTrayCallbackMessage:
        taskbar_.OnCallback(lParam);
        result = 0;
        return true;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == programMenu_)
            UpdateProgramMenu();
        return false;
    case WM_DEVICECHANGE:
        OnDeviceChange(wParam, lParam);
        result = TRUE;
        return true;
    case WM_POWERBROADCAST:
        if (wParam == kPbtApmSuspend)
            app_.HandlePowerSuspend();
        else if (wParam == kPbtApmResumeAutomatic || wParam == kPbtApmResumeSuspend)
            app_.HandlePowerResume();
        return false;
    case WM_ENDSESSION:
        result = DefSubclassProc(window_, message, wParam, lParam);
        if (wParam)
            app_.FreeReceivers();
        return true;
    case kWmDpiChanged: {
        result = DefSubclassProc(window_, message, wParam, lParam);
        if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        SetIcons();
        taskbar_.UpdateDpi();
        return true;
    }
    case WM_DISPLAYCHANGE:
        taskbar_.UpdateDpi();
        return false;
    case WM_DESTROY:
        Unregister();
        return false;
    default:
        return false;
    }
}

} // namespace lm
