#include "exec/DlgShutdownWarning.h"

#include "exec/PowerCommand.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace lm {

namespace {

// A dialog template built in memory: the layout of dialog 109 in dialog units.
class TemplateBuilder {
public:
    void Dialog(DWORD style, DWORD exStyle, WORD items, short cx, short cy, const wchar_t* title,
                const wchar_t* font, WORD pointSize) {
        Align();
        Dword(style);
        Dword(exStyle);
        words_.push_back(items);
        words_.push_back(0); // x
        words_.push_back(0); // y
        words_.push_back(static_cast<WORD>(cx));
        words_.push_back(static_cast<WORD>(cy));
        words_.push_back(0); // no menu
        words_.push_back(0); // standard class
        Text(title);
        words_.push_back(pointSize);
        Text(font);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, const wchar_t* cls,
              const wchar_t* text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        words_.push_back(static_cast<WORD>(x));
        words_.push_back(static_cast<WORD>(y));
        words_.push_back(static_cast<WORD>(cx));
        words_.push_back(static_cast<WORD>(cy));
        words_.push_back(id);
        Text(cls);
        Text(text);
        words_.push_back(0); // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Align() {
        if (words_.size() % 2)
            words_.push_back(0);
    }
    void Dword(DWORD v) {
        words_.push_back(LOWORD(v));
        words_.push_back(HIWORD(v));
    }
    void Text(const wchar_t* s) {
        for (; *s; ++s)
            words_.push_back(static_cast<WORD>(*s));
        words_.push_back(0);
    }
    std::vector<WORD> words_; // WORD-aligned; DialogBoxIndirect needs DWORD alignment of the start
};

struct DialogState {
    IStringSource* strings;
    CShutdownCountdown countdown;
    UINT_PTR timer = 0;
};

void KillCountdownTimer(HWND dialog, DialogState& state) {
    if (state.timer != 0) {
        KillTimer(dialog, state.timer);
        state.timer = 0;
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<DialogState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
        SetWindowTextW(dialog,
                       state->strings->Text(kIdsShutdownTitle, CDlgShutdownWarning::kDefaultTitle).c_str());
        SetDlgItemTextW(dialog, CDlgShutdownWarning::kIdcText,
                        state->strings->Text(kIdsShutdownText, L"About to shutdown ... ").c_str());
        HWND progress = GetDlgItem(dialog, CDlgShutdownWarning::kIdcProgress);
        SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, state->countdown.Length()));
        SendMessageW(progress, PBM_SETPOS, 0, 0);
        state->timer = SetTimer(dialog, kShutdownTimerId, kShutdownTimerPeriod, nullptr);
        // The warning must be seen over whatever runs full screen.
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(dialog);
        // The focus goes to Cancel, the default: a stray Space or Enter must not start the power action.
        SetFocus(GetDlgItem(dialog, IDCANCEL));
        return FALSE;
    }
    case WM_TIMER:
        if (state && wParam == state->timer && state->timer != 0) {
            if (state->countdown.Tick()) {
                KillCountdownTimer(dialog, *state);
                EndDialog(dialog, IDOK);
            } else {
                SendDlgItemMessageW(dialog, CDlgShutdownWarning::kIdcProgress, PBM_SETPOS,
                                    static_cast<WPARAM>(state->countdown.Position()), 0);
            }
        }
        return FALSE;
    case WM_SYSCOMMAND:
        if (state && (wParam & 0xFFF0) == SC_CLOSE)
            KillCountdownTimer(dialog, *state);
        return FALSE; // the default handling closes the dialog with Cancel
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            if (state)
                KillCountdownTimer(dialog, *state);
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

int32_t CDlgShutdownWarning::Run(int32_t seconds) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);

    TemplateBuilder t;
    t.Dialog(DS_MODALFRAME | DS_SETFONT | DS_CENTER | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION | WS_SYSMENU,
             WS_EX_TOPMOST, 4, 186, 68, kDefaultTitle, L"MS Shell Dlg", 8);
    t.Item(SS_LEFT, 7, 7, 172, 10, kIdcText, L"Static", L"");
    t.Item(WS_BORDER, 7, 21, 172, 12, kIdcProgress, PROGRESS_CLASSW, L"");
    // Cancel is the first tab stop.
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 129, 47, 50, 14, IDCANCEL, L"Button", L"Cancel");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 73, 47, 50, 14, IDOK, L"Button", L"OK");

    DialogState state{&strings_, CShutdownCountdown(seconds)};
    INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr, DialogProc,
                                             reinterpret_cast<LPARAM>(&state));
    return static_cast<int32_t>(result);
}

} // namespace lm
