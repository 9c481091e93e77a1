#include "editor/CtrlRc.h"

#include "support/LMDebug.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace lm {

namespace {

const wchar_t kObjectProperty[] = L"LumoraCtrlRc";

LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = static_cast<CCtrlRc*>(GetPropW(hwnd, kObjectProperty));
    return control ? control->HandleMessage(message, wParam, lParam)
                   : DefWindowProcW(hwnd, message, wParam, lParam);
}

RECT ToRect(const tagRCRECT& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

// A frame two pixels wide on the rectangle's edge.
void Frame(HDC dc, const tagRCRECT& outer, uint32_t color) {
    HBRUSH brush = CreateSolidBrush(color);
    RECT r = ToRect(outer);
    FrameRect(dc, &r, brush);
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
}

} // namespace

CCtrlRc::CCtrlRc(CKeyNames& keyNames) : CRcPicture(keyNames) {}

CCtrlRc::~CCtrlRc() {
    Detach();
    if (bitmap_)
        DeleteObject(bitmap_);
}

bool CCtrlRc::Attach(HWND__* control) {
    if (control_ || !control)
        return false;
    control_ = control;
    SetPropW(control_, kObjectProperty, this);
    oldProc_ = SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PictureProc));
    PictureChanged();
    return true;
}

void CCtrlRc::Detach() {
    if (!control_)
        return;
    SetWindowLongPtrW(control_, GWLP_WNDPROC, oldProc_);
    RemovePropW(control_, kObjectProperty);
    control_ = nullptr;
    oldProc_ = 0;
}

void CCtrlRc::LoadPicture() {
    const tagRCMODEL* model = Model();
    const int32_t wanted = Visible() && model ? model->bitmap : 0;
    if (wanted == loadedBitmap_)
        return;
    if (bitmap_)
        DeleteObject(bitmap_);
    bitmap_ = nullptr;
    loadedBitmap_ = wanted;
    if (!wanted)
        return;
    bitmap_ = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(wanted),
                                              IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap_)
        TraceMessage(kTraceErr, kTraceAllContexts, L"CCtrlRc: no picture %d\n", wanted);
}

void CCtrlRc::PictureChanged() {
    LoadPicture();
    if (!control_)
        return;
    if (const tagRCMODEL* model = Model(); model && Visible())
        SetWindowPos(control_, nullptr, 0, 0, model->width, model->height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(control_, nullptr, FALSE);
}

void CCtrlRc::Repaint(const tagRCRECT& area) {
    if (!control_)
        return;
    RECT r = ToRect(area);
    InvalidateRect(control_, &r, FALSE);
}

void CCtrlRc::Paint(HDC dc) {
    RECT client{};
    GetClientRect(control_, &client);
    if (bitmap_) {
        BITMAP info{};
        GetObjectW(bitmap_, sizeof info, &info);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap_);
        StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    for (const tagRCFRAME& frame : MarkFrames())
        Frame(dc, frame.rect, frame.color);
    if (!Selection().IsEmpty()) {
        RECT r = ToRect(Selection());
        InvertRect(dc, &r);
        Frame(dc, Selection(), kSelectionColor);
    }
}

intptr_t CCtrlRc::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    HWND hwnd = control_;
    const auto old = reinterpret_cast<WNDPROC>(oldProc_);
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETCURSOR: {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        SetCursor(LoadCursorW(nullptr, AreaAt(p.x, p.y) ? IDC_HAND : IDC_ARROW));
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        // The key first, then the static control's own handling, which tells the page.
        Click(static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)));
        break;
    case WM_NCDESTROY: {
        Detach();
        return CallWindowProcW(old, hwnd, message, wParam, lParam);
    }
    default:
        break;
    }
    return CallWindowProcW(old, hwnd, message, wParam, lParam);
}

} // namespace lm
