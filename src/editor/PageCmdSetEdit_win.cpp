#include "editor/PageCmdSetEdit.h"

#include "support/LMDebug.h"
#include "support/LMLocalizeWin.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <iterator>

namespace lm {

namespace {

enum class Kind { Text, Combo, List, Spin, Check };

Kind KindOf(int32_t id) {
    switch (id) {
    case kIdcProduct:
    case kIdcType:
    case kIdcParam1:
    case kIdcParam2:
        return Kind::Combo;
    case kIdcMidiList:
        return Kind::List;
    case kIdcValueSpin:
    case kIdcValue2Spin:
        return Kind::Spin;
    case kIdcRecord:
    case kIdcAlt:
    case kIdcCtrl:
    case kIdcShift:
    case kIdcRepeat:
        return Kind::Check;
    default:
        return Kind::Text;
    }
}

const wchar_t kPageProperty[] = L"LumoraKeyPage";
// Tab stops of the MIDI list, in dialog units: note, name, mark and command type within the list's width.
constexpr int kMidiTabStops[] = {20, 40, 80};
// The keystroke edit is as wide as this text and 8 pixels.
constexpr wchar_t kWidestKey[] = L"NUMPAD 8";

LRESULT CALLBACK RecordButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = static_cast<CPageCmdSetEdit*>(GetPropW(hwnd, kPageProperty));
    return page ? page->RecordButtonMessage(hwnd, message, wParam, lParam)
                : DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring WindowText(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), n + 1)));
    return text;
}

RECT PlaceOf(HWND page, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

CPageCmdSetEdit::CPageCmdSetEdit(CLMLocalizeWin& loc)
    : CPageBaseWizard(loc, kTemplate, 2, {{kIdcRepeat, 54282}, {kIdcRun, 54289}, {kIdcTest, 54401}}) {}

CPageCmdSetEdit::~CPageCmdSetEdit() = default;

void CPageCmdSetEdit::Attach(const tagKEYPAGESERVICES& services, tagPRGINFO& record) {
    picture_ = std::make_unique<CCtrlRc>(services.keyNames);
    model_ = std::make_unique<CCmdSetEditModel>(services, record, *picture_);
}

void CPageCmdSetEdit::SetKeymap(const CKeymap& keymap, const std::wstring& name) {
    if (model_)
        model_->SetKeymap(keymap, name);
}

void CPageCmdSetEdit::OnInitDialog() {
    if (model_)
        picture_->Attach(GetDlgItem(Window(), kIdcPicture));
    CPageBaseWizard::OnInitDialog(); // localised texts, bold font, tooltip, DataToControls, UpdateControls
    if (!model_)
        return;
    for (const auto& tip : kTooltips)
        AddTooltip(tip[0], static_cast<uint32_t>(tip[1]));
    if (HWND record = GetDlgItem(Window(), kIdcRecord)) {
        SetPropW(record, kPageProperty, this);
        recordProc_ = SetWindowLongPtrW(record, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordButtonProc));
    }
    LayOut();
    model_->InitPage();
    Sync();
}

void CPageCmdSetEdit::DataToControls() {
    if (!model_ || !Window())
        return;
    if (!captured_)
        CaptureTexts();
    model_->DataToControls();
    Sync();
}

void CPageCmdSetEdit::UpdateControls() {
    if (!model_ || !Window())
        return;
    model_->UpdateControls();
    Sync();
}

void CPageCmdSetEdit::ControlsToData() {
    if (model_)
        model_->ControlsToData();
}

void CPageCmdSetEdit::CaptureTexts() {
    captured_ = true;
    for (const auto& [id, state] : model_->Controls())
        if (KindOf(id) == Kind::Text || KindOf(id) == Kind::Check)
            if (HWND control = GetDlgItem(Window(), id))
                model_->Control(id).text = WindowText(control);
}

void CPageCmdSetEdit::LayOut() {
    HWND page = Window();
    SendDlgItemMessageW(page, kIdcSelectedKey, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), TRUE);
    SendDlgItemMessageW(page, kIdcMidiList, LB_SETTABSTOPS, std::size(kMidiTabStops),
                        reinterpret_cast<LPARAM>(kMidiTabStops));
    for (int32_t id : {kIdcParam2Label, kIdcParam2, kIdcValue, kIdcValueSpin, kIdcValue2})
        if (HWND control = GetDlgItem(page, id)) {
            const RECT r = PlaceOf(page, control);
            places_[id] = Place{r.left, r.top, r.right, r.bottom};
        }

    // The keystroke row: the edit as wide as the widest key name, the record button to the row's end,
    // the three modifiers below, a third of the row each.
    HWND key = GetDlgItem(page, kIdcKey), record = GetDlgItem(page, kIdcRecord);
    if (!key || !record)
        return;
    const RECT keyPlace = PlaceOf(page, key), recordPlace = PlaceOf(page, record);
    HDC dc = GetDC(page);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, kWidestKey, static_cast<int>(std::size(kWidestKey) - 1), &extent);
    SelectObject(dc, old);
    ReleaseDC(page, dc);
    const int keyWidth = extent.cx + 8;
    MoveWindow(key, keyPlace.left, keyPlace.top, keyWidth, keyPlace.bottom - keyPlace.top, TRUE);
    const int recordLeft = keyPlace.left + keyWidth + 4;
    MoveWindow(record, recordLeft, recordPlace.top, recordPlace.right - recordLeft,
               recordPlace.bottom - recordPlace.top, TRUE);
    const int row = recordPlace.right - keyPlace.left;
    int i = 0;
    for (int32_t id : {kIdcAlt, kIdcCtrl, kIdcShift})
        if (HWND box = GetDlgItem(page, id)) {
            const RECT r = PlaceOf(page, box);
            MoveWindow(box, keyPlace.left + i++ * row / 3, r.top, row / 3 - 8, r.bottom - r.top, TRUE);
        }
}

// The control ID's label takes half the row and its edit stands right of it (command type 5); every
// other type has the template's places.
void CPageCmdSetEdit::PlaceControls() {
    const bool compact = model_->SelectedType() == CMD_CONTROL;
    if (compact == compact_ || !places_.count(kIdcParam2Label) || !places_.count(kIdcValue))
        return;
    compact_ = compact;
    HWND page = Window();
    const Place label = places_[kIdcParam2Label], value = places_[kIdcValue], list = places_[kIdcParam2];
    if (compact) {
        const int half = (list.right - label.left) / 2;
        MoveWindow(GetDlgItem(page, kIdcParam2Label), label.left, label.top, half - 4,
                   label.bottom - label.top, TRUE);
        MoveWindow(GetDlgItem(page, kIdcValue), label.left + half, list.top, value.right - value.left,
                   value.bottom - value.top, TRUE);
    } else {
        MoveWindow(GetDlgItem(page, kIdcParam2Label), label.left, label.top, label.right - label.left,
                   label.bottom - label.top, TRUE);
        MoveWindow(GetDlgItem(page, kIdcValue), value.left, value.top, value.right - value.left,
                   value.bottom - value.top, TRUE);
    }
}

void CPageCmdSetEdit::SyncList(int32_t id, const tagCTLSTATE& state, const tagCTLSTATE* shown) {
    HWND control = GetDlgItem(Window(), id);
    const bool combo = KindOf(id) == Kind::Combo;
    bool select = !shown || shown->selected != state.selected;
    if (!shown || shown->items != state.items) {
        if (!combo && shown && shown->items.size() == state.items.size()) {
            // Single lines of the MIDI list changed (their marks).
            for (size_t i = 0; i < state.items.size(); ++i)
                if (shown->items[i] != state.items[i]) {
                    SendMessageW(control, LB_DELETESTRING, i, 0);
                    SendMessageW(control, LB_INSERTSTRING, i,
                                 reinterpret_cast<LPARAM>(state.items[i].text.c_str()));
                    SendMessageW(control, LB_SETITEMDATA, i, state.items[i].data);
                }
        } else {
            SendMessageW(control, WM_SETREDRAW, FALSE, 0);
            SendMessageW(control, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
            for (const tagLISTITEM& item : state.items) {
                const LRESULT at = SendMessageW(control, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                                                reinterpret_cast<LPARAM>(item.text.c_str()));
                SendMessageW(control, combo ? CB_SETITEMDATA : LB_SETITEMDATA, static_cast<WPARAM>(at),
                             item.data);
            }
            SendMessageW(control, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(control, nullptr, TRUE);
        }
        select = true;
    }
    if (select) {
        SendMessageW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(state.selected), 0);
        if (!combo)
            SendMessageW(control, LB_SETTOPINDEX, static_cast<WPARAM>(model_->MidiTopLine()), 0);
    }
}

void CPageCmdSetEdit::Sync() {
    HWND page = Window();
    if (!model_ || !page)
        return;
    syncing_ = true;
    for (const auto& [id, state] : model_->Controls()) {
        HWND control = GetDlgItem(page, id);
        if (!control)
            continue;
        auto it = shown_.find(id);
        const tagCTLSTATE* shown = it != shown_.end() ? &it->second : nullptr;
        if (!shown || shown->visible != state.visible)
            ShowWindow(control, state.visible ? SW_SHOWNA : SW_HIDE);
        if (!shown || shown->enabled != state.enabled)
            EnableWindow(control, state.enabled);
        switch (KindOf(id)) {
        case Kind::Combo:
        case Kind::List:
            SyncList(id, state, shown);
            break;
        case Kind::Spin:
            if (!shown || shown->low != state.low || shown->high != state.high)
                SendMessageW(control, UDM_SETRANGE32, static_cast<WPARAM>(state.low), state.high);
            if (!shown || shown->pos != state.pos)
                SendMessageW(control, UDM_SETPOS32, 0, state.pos);
            break;
        case Kind::Check:
            if (!shown || shown->checked != state.checked)
                SendMessageW(control, BM_SETCHECK, state.checked ? BST_CHECKED : BST_UNCHECKED, 0);
            [[fallthrough]];
        case Kind::Text:
            if (!shown || shown->text != state.text)
                SetWindowTextW(control, state.text.c_str());
            break;
        }
        shown_[id] = state;
    }
    if (valueTooltip_ != model_->ValueTooltip()) {
        valueTooltip_ = model_->ValueTooltip();
        if (valueTooltip_)
            AddTooltip(kIdcValue, kValueTooltip);
        else
            RemoveTooltip(kIdcValue);
    }
    PlaceControls();
    syncing_ = false;
}

void CPageCmdSetEdit::Read(int32_t id) {
    HWND control = GetDlgItem(Window(), id);
    if (!control)
        return;
    tagCTLSTATE& state = model_->Control(id);
    switch (KindOf(id)) {
    case Kind::Combo:
        state.selected = static_cast<int32_t>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        break;
    case Kind::List:
        state.selected = static_cast<int32_t>(SendMessageW(control, LB_GETCURSEL, 0, 0));
        break;
    case Kind::Check:
        state.checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        break;
    case Kind::Text:
        state.text = WindowText(control);
        break;
    case Kind::Spin:
        return;
    }
    shown_[id] = state; // the control shows it already
}

bool CPageCmdSetEdit::OnCommand(int32_t id, uint32_t code) {
    HWND page = Window();
    switch (id) {
    case kIdcProduct:
        if (code != CBN_SELCHANGE)
            return false;
        Read(id);
        model_->ProductChanged();
        break;
    case kIdcMidiList:
        if (code != LBN_SELCHANGE)
            return false;
        Read(id);
        model_->MidiLinePicked();
        break;
    case kIdcPicture:
        if (code != STN_CLICKED)
            return false;
        model_->PictureClicked();
        Sync();
        SetFocus(GetDlgItem(page, kIdcType));
        return true;
    case kIdcType:
    case kIdcParam1:
    case kIdcParam2:
        if (code != CBN_SELCHANGE)
            return false;
        Read(id);
        if (id == kIdcType)
            model_->TypeChanged();
        else if (id == kIdcParam1)
            model_->Param1Changed();
        break;
    case kIdcKey:
    case kIdcValue:
    case kIdcValue2:
    case kIdcOsdText:
        if (code != EN_CHANGE)
            return false;
        Read(id);
        return true;
    case kIdcRate:
    case kIdcDelay: {
        if (code != EN_CHANGE)
            return false;
        Read(id);
        model_->RepeatEditChanged(id);
        const bool cut = model_->Control(id).text != shown_[id].text;
        Sync();
        if (cut)
            SendDlgItemMessageW(page, id, EM_SETSEL, 0x7FFF, 0x7FFF);
        return true;
    }
    case kIdcRepeat:
    case kIdcAlt:
    case kIdcCtrl:
    case kIdcShift:
    case kIdcRecord:
        if (code != BN_CLICKED)
            return false;
        Read(id);
        if (id == kIdcRepeat)
            model_->RepeatToggled();
        if (id == kIdcRecord) {
            model_->RecordToggled();
            SetFocus(GetDlgItem(page, kIdcRecord));
        }
        break;
    case kIdcRun:
        if (code != BN_CLICKED)
            return false;
        model_->Run();
        return true;
    case kIdcTest:
        if (code != BN_CLICKED)
            return false;
        model_->Test();
        SetFocus(GetDlgItem(page, kIdcTest));
        return true;
    default:
        return false;
    }
    Sync();
    return true;
}

intptr_t CPageCmdSetEdit::RecordButtonMessage(HWND__* button, uint32_t message, uintptr_t wParam,
                                              intptr_t lParam) {
    intptr_t result = 0;
    if (RecorderMessage(message, wParam, result))
        return result;
    return CallWindowProcW(reinterpret_cast<WNDPROC>(recordProc_), button, message, wParam, lParam);
}

bool CPageCmdSetEdit::RecorderMessage(uint32_t message, uintptr_t wParam, intptr_t& result) {
    if (!model_)
        return false;
    const bool recording = model_->Recording();
    switch (message) {
    case WM_GETDLGCODE:
        if (!recording)
            return false;
        result = DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTMESSAGE;
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        if (!recording)
            return false;
        const auto vk = static_cast<uint32_t>(wParam);
        const auto character = static_cast<wchar_t>(MapVirtualKeyW(vk, MAPVK_VK_TO_CHAR) & 0x7FFF);
        if (!model_->RecordKey(vk, character, GetKeyState(VK_MENU) < 0, GetKeyState(VK_CONTROL) < 0,
                               GetKeyState(VK_SHIFT) < 0))
            return false;
        swallowChars_ = !model_->Recording();
        Sync();
        result = 0;
        return true;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
        if (!recording && !swallowChars_)
            return false;
        result = 0;
        return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // The keys of a recorded combination come up without clicking the button or opening a menu.
        if (!recording && !swallowChars_)
            return false;
        if (!recording && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_CONTROL) >= 0 &&
            GetKeyState(VK_SHIFT) >= 0)
            swallowChars_ = false;
        result = 0;
        return true;
    default:
        return false;
    }
}

void CPageCmdSetEdit::PaintLegend(HDC dc) {
    HWND page = Window();
    HWND run = GetDlgItem(page, kIdcRun);
    if (!run)
        return;
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0)));
    SIZE x{};
    GetTextExtentPoint32W(dc, L"X", 1, &x);
    const int size = x.cy;
    RECT client{};
    GetClientRect(page, &client);
    int left = PlaceOf(page, run).left;
    const int top = client.bottom - 4 - size;
    SetBkMode(dc, TRANSPARENT);
    for (int mark = 1; mark < kMarkCount; ++mark) {
        RECT square{left, top, left + size, top + size};
        FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&square, -1, -1);
        HBRUSH brush = CreateSolidBrush(kMarkColors[mark]);
        FillRect(dc, &square, brush);
        DeleteObject(brush);
        const std::wstring word = Localize().Text(kLegendWords[mark - 1]);
        SIZE extent{};
        GetTextExtentPoint32W(dc, word.c_str(), static_cast<int>(word.size()), &extent);
        TextOutW(dc, left + size + 4, top, word.c_str(), static_cast<int>(word.size()));
        left += size + 4 + extent.cx + 12 + size;
    }
    SelectObject(dc, oldFont);
}

bool CPageCmdSetEdit::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    if (CPageBaseWizard::OnMessage(message, wParam, lParam, result))
        return true;
    if (!model_)
        return false;
    switch (message) {
    case WM_COMMAND:
        if (syncing_)
            return false;
        if (OnCommand(LOWORD(wParam), HIWORD(wParam))) {
            result = 0;
            return true;
        }
        return false;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || header->code != UDN_DELTAPOS ||
            (header->idFrom != kIdcValueSpin && header->idFrom != kIdcValue2Spin))
            return false;
        const auto id = static_cast<int32_t>(header->idFrom);
        model_->SpinStep(id, reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta);
        Sync();
        const int32_t edit = id == kIdcValueSpin ? kIdcValue : kIdcValue2;
        SendDlgItemMessageW(Window(), edit, EM_SETSEL, 0, -1);
        SendDlgItemMessageW(Window(), edit, EM_SCROLLCARET, 0, 0);
        SetWindowLongPtrW(Window(), DWLP_MSGRESULT, TRUE); // the spin's own position stays the model's
        result = TRUE;
        return true;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Window(), &ps);
        PaintLegend(dc);
        EndPaint(Window(), &ps);
        result = TRUE;
        return true;
    }
    case WM_DESTROY:
        if (HWND record = GetDlgItem(Window(), kIdcRecord); record && recordProc_) {
            SetWindowLongPtrW(record, GWLP_WNDPROC, recordProc_);
            RemovePropW(record, kPageProperty);
        }
        recordProc_ = 0;
        picture_->Detach();
        shown_.clear();
        places_.clear();
        captured_ = false;
        compact_ = false;
        valueTooltip_ = false;
        return false;
    default:
        return false;
    }
}

} // namespace lm
