#include "osd/OsdDlg.h"

#include "base/Text.h"
#include "support/LMDebug.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "../../res/resource.h"

namespace lm {

static_assert(COsdDlg::kIdd == IDD_OSD && COsdDlg::kIdcDisplay == IDC_OSD_DISPLAY);

namespace {

// The one message other threads post: bring the window in line with the model (wParam: what was asked).
constexpr UINT kMsgSync = WM_APP + 0x150;
constexpr UINT kWmDpiChanged = 0x02E0;
// Extended styles: the bar cannot be activated, the menu can.
constexpr DWORD kBarExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
constexpr DWORD kMenuExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;

using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

HWND H(uintptr_t window) {
    return reinterpret_cast<HWND>(window);
}

// The DPI of the monitor the window is on; the screen's when the system cannot tell per window.
uint32_t WindowDpi(HWND hwnd) {
    static const auto forWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow && hwnd) {
        if (UINT dpi = forWindow(hwnd))
            return dpi;
    }
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<uint32_t>(dpi) : kOsdBaseDpi;
}

// The primary monitor: the bar lies at its top edge, the menu covers its work area.
MONITORINFO PrimaryMonitor() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
        info.rcMonitor = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        info.rcWork = info.rcMonitor;
    }
    return info;
}

bool FaceInstalled(HDC dc, const std::wstring& face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    CopyBounded(query.lfFaceName, LF_FACESIZE, face);
    bool found = false;
    EnumFontFamiliesExW(
        dc, &query,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// The long date of the user's locale; empty when it cannot be formatted.
std::wstring LongDate(const tagLOCALTIME& now) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(now.year);
    st.wMonth = static_cast<WORD>(now.month);
    st.wDay = static_cast<WORD>(now.day);
    st.wDayOfWeek = static_cast<WORD>(now.dayOfWeek);
    wchar_t text[128];
    if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, text, 128) == 0)
        return std::wstring();
    return text;
}

TRIVERTEX Vertex(LONG x, LONG y, uint32_t color) {
    TRIVERTEX v{};
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(GetRValue(color) << 8);
    v.Green = static_cast<COLOR16>(GetGValue(color) << 8);
    v.Blue = static_cast<COLOR16>(GetBValue(color) << 8);
    return v;
}

void DrawLine(HDC dc, const OsdTextLine& line) {
    SetTextColor(dc, line.color);
    TextOutW(dc, line.at.x, line.at.y, line.text.c_str(), static_cast<int>(line.text.size()));
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<COsdControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!control)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return control->HandleMessage(message, wParam, lParam);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    auto* dialog = reinterpret_cast<COsdDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!dialog)
        return FALSE;
    return dialog->HandleMessage(hwnd, message, wParam, lParam);
}

// Answers a dialog message with a result of its own.
INT_PTR Answer(HWND hwnd, LONG_PTR result) {
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// COsdControl

COsdControl::COsdControl(IClock& clock) : clock_(clock) {
    if (HMODULE library = LoadLibraryW(L"msimg32.dll")) {
        gradientLibrary_ = library;
        gradientFill_ = reinterpret_cast<void*>(GetProcAddress(library, "GradientFill"));
    }
}

COsdControl::~COsdControl() {
    Detach();
    FreeFonts();
    if (gradientLibrary_)
        FreeLibrary(static_cast<HMODULE>(gradientLibrary_));
}

bool COsdControl::Attach(void* control) {
    HWND hwnd = static_cast<HWND>(control);
    if (!hwnd || control_)
        return false;
    control_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    oldProc_ = SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlProc));
    return oldProc_ != 0;
}

void COsdControl::Detach() {
    HWND hwnd = static_cast<HWND>(control_);
    if (!hwnd)
        return;
    if (oldProc_)
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, oldProc_);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    control_ = nullptr;
}

void COsdControl::SetFrame(const OsdFrame& frame) {
    frame_ = frame;
}

void COsdControl::SetDpi(uint32_t dpi) {
    if (dpi == geometry_.Dpi())
        return;
    geometry_ = COsdGeometry(dpi);
    FreeFonts();
}

void COsdControl::FreeFonts() {
    if (largeFont_)
        DeleteObject(static_cast<HFONT>(largeFont_));
    if (smallFont_)
        DeleteObject(static_cast<HFONT>(smallFont_));
    largeFont_ = smallFont_ = nullptr;
}

void COsdControl::MakeFonts(void* dcHandle, const COsdGeometry& geometry) {
    HDC dc = static_cast<HDC>(dcHandle);
    HWND hwnd = static_cast<HWND>(control_);
    LOGFONTW lf{};
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    GetObjectW(current ? current : GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfPitchAndFamily = FF_SWISS | DEFAULT_PITCH;
    lf.lfWeight = FW_BOLD;
    lf.lfWidth = 0;
    lf.lfHeight = geometry.LargeFontHeight();
    // The face is chosen once: a later change of the language keeps it.
    std::vector<std::wstring> faces =
        face_.empty() ? OsdFontFaces(language_) : std::vector<std::wstring>{face_};
    for (size_t i = 0; i < faces.size() && !largeFont_; ++i) {
        if (i + 1 < faces.size() && !FaceInstalled(dc, faces[i]))
            continue;
        CopyBounded(lf.lfFaceName, LF_FACESIZE, faces[i]);
        if ((largeFont_ = CreateFontIndirectW(&lf)) != nullptr)
            face_ = faces[i];
    }
    if (!largeFont_) {
        LM_TRACE(kTraceErr, L"COsdControl::MakeFonts - no font for language %u\n", language_);
        return;
    }
    lf.lfHeight = geometry.SmallFontHeight();
    smallFont_ = CreateFontIndirectW(&lf);
    fontDpi_ = geometry.Dpi();
}

intptr_t COsdControl::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    HWND hwnd = static_cast<HWND>(control_);
    switch (message) {
    case WM_ERASEBKGND:
        EraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_NCDESTROY: {
        auto old = reinterpret_cast<WNDPROC>(oldProc_);
        Detach();
        return CallWindowProcW(old, hwnd, message, wParam, lParam);
    }
    default:
        return CallWindowProcW(reinterpret_cast<WNDPROC>(oldProc_), hwnd, message, wParam, lParam);
    }
}

void COsdControl::EraseBackground(void* dcHandle) {
    HDC dc = static_cast<HDC>(dcHandle);
    RECT rc;
    GetClientRect(static_cast<HWND>(control_), &rc);
    SetBkMode(dc, TRANSPARENT);
    if (gradientFill_) {
        // Edges in the gradient colour, the middle in the background colour.
        LONG middle = rc.left + (rc.right - rc.left) / 2;
        TRIVERTEX vertices[4] = {Vertex(rc.left, rc.top, frame_.colors.gradient),
                                 Vertex(middle, rc.bottom, frame_.colors.background),
                                 Vertex(middle, rc.top, frame_.colors.background),
                                 Vertex(rc.right, rc.bottom, frame_.colors.gradient)};
        GRADIENT_RECT rects[2] = {{0, 1}, {2, 3}};
        reinterpret_cast<GradientFillFn>(gradientFill_)(dc, vertices, 4, rects, 2, GRADIENT_FILL_RECT_H);
        return;
    }
    HBRUSH brush = CreateSolidBrush(frame_.colors.background);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

void COsdControl::Paint(void* dcHandle) {
    HDC dc = static_cast<HDC>(dcHandle);
    HWND hwnd = static_cast<HWND>(control_);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const int32_t screenHeight = monitor.rcMonitor.bottom - monitor.rcMonitor.top;
    // The menu may be drawn smaller than the bar: the fonts follow the geometry in use.
    const COsdGeometry geometry = frame_.menuMode ? MenuGeometry(screenHeight) : geometry_;
    if (largeFont_ && fontDpi_ != geometry.Dpi())
        FreeFonts();
    if (!largeFont_)
        MakeFonts(dc, geometry);
    HGDIOBJ oldFont = largeFont_ ? SelectObject(dc, static_cast<HFONT>(largeFont_)) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, frame_.colors.text);
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (!frame_.menuMode) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SetTextAlign(dc, TA_CENTER | TA_TOP);
        OsdPoint at = geometry.Text(rc.right, rc.bottom, tm.tmHeight);
        TextOutW(dc, at.x, at.y, frame_.text.c_str(), static_cast<int>(frame_.text.size()));
    } else {
        OsdMenuLayout layout = LayOutMenu(frame_.text, frame_.selectedLine, frame_.colors, geometry, rc.right,
                                          monitor.rcMonitor.right - monitor.rcMonitor.left, screenHeight);
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        DrawLine(dc, layout.title);
        for (const OsdTextLine& line : layout.lines)
            DrawLine(dc, line);
        if (smallFont_)
            SelectObject(dc, static_cast<HFONT>(smallFont_));
        tagLOCALTIME now = clock_.Now();
        DrawLine(dc, {ClockText(LongDate(now), now), layout.clockAt, layout.clockColor});
    }
    if (oldFont)
        SelectObject(dc, oldFont);
}

// ---------------------------------------------------------------------------------------------------
// COsdDlg

COsdDlg::COsdDlg(IClock& clock, const tagOSDSETTINGS& settings) : model_(clock, settings), control_(clock) {}

COsdDlg::~COsdDlg() {
    if (HWND hwnd = H(window_.exchange(0)))
        DestroyWindow(hwnd);
    if (backgroundBrush_)
        DeleteObject(static_cast<HBRUSH>(backgroundBrush_));
}

bool COsdDlg::Create() {
    LM_TRACE_SCOPE(L"COsdDlg::Create");
    if (window_.load())
        return true;
    HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OSD), nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (!hwnd) {
        LM_TRACE(kTraceErr, L"COsdDlg::Create - no window (%lu)\n", GetLastError());
        return false;
    }
    return true;
}

void COsdDlg::Post(Ask ask) {
    if (HWND hwnd = H(window_.load()))
        PostMessageW(hwnd, kMsgSync, static_cast<WPARAM>(ask), 0);
}

void COsdDlg::ShowText(const std::wstring& text) {
    if (model_.ShowText(text))
        Post(Ask::Sync);
}

void COsdDlg::ShowMenu() {
    model_.ShowMenu();
    Post(Ask::Menu);
}

void COsdDlg::SetSelection(int32_t index) {
    model_.SetSelection(index);
    Post(Ask::Sync);
}

int32_t COsdDlg::StepSelection(bool forward) {
    int32_t selected = model_.StepSelection(forward);
    Post(Ask::Sync);
    return selected;
}

void COsdDlg::Hide() {
    model_.Hide();
    Post(Ask::Sync);
}

void COsdDlg::ApplySettings(const tagOSDSETTINGS& settings) {
    if (model_.ApplySettings(settings))
        Post(Ask::Sync);
}

void COsdDlg::SetMenu(const tagOSDMENU& menu) {
    model_.SetMenu(menu);
}

tagOSDMENU COsdDlg::Menu() const {
    return model_.Menu();
}

void COsdDlg::SetMenuShown(bool shown) {
    model_.SetMenuShown(shown);
}

bool COsdDlg::MenuShown() const {
    return model_.MenuShown();
}

void COsdDlg::InitDialog() {
    HWND hwnd = H(window_.load());
    SetWindowTextW(hwnd, kTitle);
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME);
    SetWindowLongPtrW(hwnd, GWL_STYLE, style | WS_POPUP);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, kBarExStyle);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 1, 1, SWP_NOACTIVATE | SWP_HIDEWINDOW | SWP_FRAMECHANGED);
    SetTimer(hwnd, kOsdStartTimerId, kOsdStartTimerDelay, nullptr);
    control_.Attach(GetDlgItem(hwnd, kIdcDisplay));
    control_.SetFrame(model_.Frame());
    control_.SetDpi(WindowDpi(hwnd));
}

void COsdDlg::LayoutBar(bool fullScreen) {
    HWND hwnd = H(window_.load());
    HWND control = GetDlgItem(hwnd, kIdcDisplay);
    if (firstLayout_) {
        firstLayout_ = false;
        ShowWindow(control, SW_SHOWNA);
        SetTimer(hwnd, kOsdHideTimerId, kOsdHideTimerPeriod, nullptr);
    }
    MONITORINFO monitor = PrimaryMonitor();
    RECT target = fullScreen ? monitor.rcWork : monitor.rcMonitor;
    if (!fullScreen)
        target.bottom = target.top + control_.Geometry().BarHeight();
    DWORD exStyle = fullScreen ? kMenuExStyle : kBarExStyle;
    RECT now;
    GetWindowRect(hwnd, &now);
    bool visible = IsWindowVisible(hwnd) != FALSE;
    if (EqualRect(&now, &target) && static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)) == exStyle) {
        // Only back to the top: other top-most windows (a video player) may have come over it.
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    // No half-sized frame: drawing waits until window and control have their new size.
    if (visible)
        SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, exStyle);
    int width = target.right - target.left;
    int height = target.bottom - target.top;
    SetWindowPos(hwnd, HWND_TOPMOST, target.left, target.top, width, height,
                 SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (visible) {
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

void COsdDlg::Sync(bool menuAsked) {
    HWND hwnd = H(window_.load());
    HWND control = GetDlgItem(hwnd, kIdcDisplay);
    OsdFrame frame = model_.Frame();
    OsdFrame drawn = control_.Frame();
    control_.SetFrame(frame);
    switch (frame.state) {
    case OsdState::Hidden:
        if (IsWindowVisible(hwnd))
            ShowWindow(hwnd, SW_HIDE);
        break;
    case OsdState::Bar:
        LayoutBar(false);
        if (!IsWindowVisible(hwnd))
            SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        break;
    case OsdState::Menu:
        LayoutBar(true);
        if (!IsWindowVisible(hwnd))
            SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        // The menu takes the keys (Escape); moving the highlight does not ask for the front again.
        if (menuAsked || placed_ != OsdState::Menu) {
            SetForegroundWindow(hwnd);
            SetFocus(hwnd);
        }
        if (menuAsked) {
            // The pointer goes out of the way, to the lower right corner, and is not drawn over the menu.
            MONITORINFO monitor = PrimaryMonitor();
            SetCursorPos(monitor.rcMonitor.right - 1, monitor.rcMonitor.bottom - 1);
            SetCursor(nullptr);
        }
        break;
    }
    placed_ = frame.state;
    if (frame.text != drawn.text || frame.menuMode != drawn.menuMode || frame.colors != drawn.colors) {
        InvalidateRect(control, nullptr, TRUE);
        UpdateWindow(control);
    } else if (frame.selectedLine != drawn.selectedLine) {
        // Only the two menu lines concerned.
        MONITORINFO monitor = PrimaryMonitor();
        int screenWidth = monitor.rcMonitor.right - monitor.rcMonitor.left;
        const COsdGeometry geometry = control_.MenuGeometry(monitor.rcMonitor.bottom - monitor.rcMonitor.top);
        for (int32_t line : {drawn.selectedLine, frame.selectedLine}) {
            if (line < 0 || line >= kOsdMenuEntries)
                continue;
            OsdRect r = geometry.MenuLine(line, screenWidth);
            RECT rc{r.left, r.top, r.right, r.bottom};
            InvalidateRect(control, &rc, TRUE);
        }
        if (model_.MenuShown())
            UpdateWindow(control);
    }
}

intptr_t COsdDlg::HandleMessage(void* window, uint32_t message, uintptr_t wParam, intptr_t) {
    HWND hwnd = static_cast<HWND>(window);
    switch (message) {
    case WM_INITDIALOG:
        // Known from here on: the dialog's first messages arrive before CreateDialogParam returns.
        window_.store(reinterpret_cast<uintptr_t>(hwnd));
        InitDialog();
        return FALSE; // no focus
    case kMsgSync:
        Sync(static_cast<Ask>(wParam) == Ask::Menu);
        return TRUE;
    case WM_TIMER:
        if (wParam == kOsdStartTimerId) {
            KillTimer(hwnd, kOsdStartTimerId);
            if (placed_ == OsdState::Hidden)
                ShowWindow(hwnd, SW_HIDE);
        } else if (wParam == kOsdHideTimerId && model_.HideDue()) {
            // Rolled up from the bottom edge towards the top.
            AnimateWindow(hwnd, kOsdRollMs, AW_HIDE | AW_VER_NEGATIVE);
            if (IsWindowVisible(hwnd))
                ShowWindow(hwnd, SW_HIDE);
            placed_ = OsdState::Hidden;
        }
        return TRUE;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            model_.Escape();
            Sync(false);
        }
        return FALSE;
    case WM_COMMAND:
        // A message loop that runs the dialog manager turns Escape into Cancel.
        if (LOWORD(wParam) == IDCANCEL) {
            model_.Escape();
            Sync(false);
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG: {
        uint32_t color = model_.Frame().colors.background;
        if (!backgroundBrush_ || brushColor_ != color) {
            if (backgroundBrush_)
                DeleteObject(static_cast<HBRUSH>(backgroundBrush_));
            backgroundBrush_ = CreateSolidBrush(color);
            brushColor_ = color;
        }
        SetBkColor(reinterpret_cast<HDC>(wParam), color);
        return reinterpret_cast<INT_PTR>(backgroundBrush_);
    }
    case WM_ERASEBKGND:
        // The control covers the whole client area.
        return Answer(hwnd, 1);
    case WM_MOUSEACTIVATE:
        // A click on the bar leaves the application in front active.
        return placed_ == OsdState::Menu ? FALSE : Answer(hwnd, MA_NOACTIVATE);
    case WM_SETCURSOR:
        if (placed_ != OsdState::Menu)
            return FALSE;
        SetCursor(nullptr);
        return Answer(hwnd, TRUE);
    case kWmDpiChanged:
    case WM_DISPLAYCHANGE:
        // Sizes follow the monitor: the bar keeps its place at the top edge with the new height.
        if (message == kWmDpiChanged)
            control_.SetDpi(LOWORD(wParam));
        if (placed_ != OsdState::Hidden)
            LayoutBar(placed_ == OsdState::Menu);
        InvalidateRect(GetDlgItem(hwnd, kIdcDisplay), nullptr, TRUE);
        return Answer(hwnd, 0);
    case WM_DESTROY:
        KillTimer(hwnd, kOsdHideTimerId);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace lm
