#include "editor/PageBase.h"

#include "support/LMDebug.h"
#include "support/LMLocalizeWin.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

namespace lm {

namespace {

// Sent to child dialogs once their parent has its new DPI (Windows 10 and later).
constexpr UINT kWmDpiChangedAfterParent = 0x02E3;

INT_PTR CALLBACK PageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // The sheet passes the page record; its parameter is the page object.
        auto* record = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, record->lParam);
    }
    auto* page = reinterpret_cast<CPropPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!page)
        return FALSE;
    return page->HandleMessage(hwnd, message, wParam, lParam);
}

} // namespace

CPropPage::CPropPage(CLMLocalizeWin& loc, int32_t templateId, std::vector<tagCAPTIONTEXT> captions)
    : loc_(loc), templateId_(templateId), captions_(std::move(captions)) {}

CPropPage::~CPropPage() {
    if (window_)
        SetWindowLongPtrW(window_, DWLP_USER, 0); // a page that outlives its object stays quiet
    Destroyed();
}

_PSP* CPropPage::CreateSheetPage(const std::wstring& title, const std::wstring& headerTitle,
                                 const std::wstring& headerSubtitle) {
    // The templates hold rich edit controls: a dialog whose control class is unknown is not made.
    static const HMODULE richEdit = LoadLibraryW(L"riched20.dll");
    if (!richEdit)
        TraceMessage(kTraceErr, kTraceAllContexts, L"CPropPage: no rich edit control\n");
    title_ = title;
    headerTitle_ = headerTitle;
    headerSubtitle_ = headerSubtitle;
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(templateId_);
    page.pfnDlgProc = PageDialogProc;
    page.pszTitle = title_.c_str();
    page.lParam = reinterpret_cast<LPARAM>(this);
    if (!headerTitle_.empty()) {
        page.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
        page.pszHeaderTitle = headerTitle_.c_str();
        page.pszHeaderSubTitle = headerSubtitle_.c_str();
    }
    HPROPSHEETPAGE created = CreatePropertySheetPageW(&page);
    if (!created)
        TraceMessage(kTraceErr, kTraceAllContexts, L"CPropPage: page %d could not be made\n", templateId_);
    return created;
}

void CPropPage::LocalizePage() {
    if (!window_)
        return;
    loc_.LocalizeDialog(window_);
    for (const tagCAPTIONTEXT& caption : captions_) {
        std::wstring text;
        if (loc_.LoadText(caption.stringId, text))
            SetDlgItemTextW(window_, caption.controlId, text.c_str());
    }
    UpdateTexts();
}

HWND__* CPropPage::Sheet() const {
    return window_ ? GetParent(window_) : nullptr;
}

void CPropPage::CreateTooltip() {
    if (tooltip_ || !window_)
        return;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_)
        return;
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, kTooltipWidth);
    SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
}

void CPropPage::AddTooltip(int32_t controlId, uint32_t stringId) {
    HWND control = window_ ? GetDlgItem(window_, controlId) : nullptr;
    std::wstring text;
    if (!tooltip_ || !control || !loc_.LoadText(stringId, text))
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CPropPage::RemoveTooltip(int32_t controlId) {
    HWND control = window_ ? GetDlgItem(window_, controlId) : nullptr;
    if (!tooltip_ || !control)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CPropPage::CreateBoldFont() {
    if (!window_)
        return;
    auto font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    if (!font || !GetObjectW(font, sizeof face, &face))
        return;
    face.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&face);
    if (!bold)
        return;
    if (boldFont_)
        DeleteObject(boldFont_);
    boldFont_ = bold;
}

void CPropPage::Destroyed() {
    if (tooltip_)
        DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    if (boldFont_)
        DeleteObject(boldFont_);
    boldFont_ = nullptr;
    window_ = nullptr;
}

bool CPropPage::OnMessage(uint32_t, uintptr_t, intptr_t, intptr_t&) {
    return false;
}

intptr_t CPropPage::HandleMessage(HWND__* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_INITDIALOG:
        window_ = window;
        OnInitDialog();
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        intptr_t result = 0;
        if (header && header->hwndFrom == GetParent(window) && OnSheetNotify(header->code, result)) {
            SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
            return TRUE;
        }
        break;
    }
    case kWmDpiChangedAfterParent:
        CreateBoldFont();
        break;
    case WM_DESTROY: {
        intptr_t ignored = 0;
        OnMessage(message, wParam, lParam, ignored);
        Destroyed();
        return FALSE;
    }
    default:
        break;
    }
    intptr_t result = 0;
    return OnMessage(message, wParam, lParam, result) ? result : FALSE;
}

CPageBase::~CPageBase() {
    StopTimer();
}

void CPageBase::OnInitDialog() {
    CreateTooltip();
    LocalizePage();
    CreateBoldFont();
    StartTimer();
    LoadSettings();
}

void CPageBase::StartTimer() {
    if (timerRunning_ || !Window())
        return;
    timerRunning_ = SetTimer(Window(), kTimerId, kTimerMs, nullptr) != 0;
}

void CPageBase::StopTimer() {
    if (timerRunning_ && Window())
        KillTimer(Window(), kTimerId);
    timerRunning_ = false;
}

bool CPageBase::OnSheetNotify(uint32_t code, intptr_t& result) {
    switch (code) {
    case PSN_SETACTIVE:
        StartTimer();
        LoadSettings();
        result = 0;
        return true;
    case PSN_KILLACTIVE:
        SaveSettings();
        StopTimer();
        result = FALSE; // the page may be left
        return true;
    case PSN_APPLY:
        SaveSettings();
        result = PSNRET_NOERROR;
        return true;
    default:
        return false;
    }
}

bool CPageBase::OnMessage(uint32_t message, uintptr_t wParam, intptr_t, intptr_t& result) {
    if (message == WM_TIMER && wParam == kTimerId) {
        OnTimerTick();
        result = 0;
        return true;
    }
    if (message == WM_DESTROY)
        StopTimer();
    return false;
}

CPageBaseWizard::CPageBaseWizard(CLMLocalizeWin& loc, int32_t templateId, int32_t step,
                                 std::vector<tagCAPTIONTEXT> captions)
    : CPropPage(loc, templateId, std::move(captions)), step_(step) {}

uint32_t CPageBaseWizard::WizardButtons() const {
    switch (step_) {
    case 1:
        return PSWIZB_NEXT;
    case 2:
        return PSWIZB_BACK | PSWIZB_NEXT;
    default:
        return PSWIZB_BACK | PSWIZB_FINISH;
    }
}

void CPageBaseWizard::OnInitDialog() {
    LocalizePage();
    CreateBoldFont();
    CreateTooltip();
    DataToControls();
    UpdateControls();
}

bool CPageBaseWizard::OnSheetNotify(uint32_t code, intptr_t& result) {
    switch (code) {
    case PSN_SETACTIVE:
        PropSheet_SetWizButtons(Sheet(), WizardButtons());
        result = 0;
        return true;
    case PSN_WIZNEXT:
    case PSN_WIZFINISH:
    case PSN_APPLY:
        ControlsToData();
        result = 0; // go on as the platform does
        return true;
    case PSN_HELP:
        result = 0;
        return true;
    default:
        return false;
    }
}

bool CPageBaseWizard::OnMessage(uint32_t message, uintptr_t, intptr_t, intptr_t& result) {
    if (message == WM_HELP) { // no help
        result = TRUE;
        return true;
    }
    return false;
}

} // namespace lm
