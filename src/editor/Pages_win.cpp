// The editor's pages on their templates: each copies what the user does into the rules of PageModels.h
// and shows their results.
#include "editor/Pages.h"

#include "app/RemoteApp.h"
#include "base/Path.h"
#include "base/Text.h"
#include "editor/HtmlWriter.h"
#include "editor/PropSheetWizard.h"
#include "osd/OsdDlg.h"
#include "platform/Platform.h"
#include "receivers/ReceiverTypes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "support/LMDebug.h"
#include "support/LMLocalizeWin.h"
#include "support/LMSystemInfo.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <prsht.h>
#include <richedit.h>
#include <shellapi.h>
#undef FindExecutable // the shell's macro, not the administration's operation

#include "../../res/resource.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace lm {

static_assert(CPageMenu::kTemplate == IDD_PAGE_MENU && CPageCmdSets::kTemplate == IDD_PAGE_CMDSETS &&
              CPageOptions::kTemplate == IDD_PAGE_OPTIONS && CPageAbout::kTemplate == IDD_PAGE_ABOUT);

namespace {

constexpr int kMenuIconSize = 32;
// The menu page's image 0 (an application without an executable): the program's icon.
constexpr int kMenuDefaultIcon = IDI_MAINFRAME;

std::wstring WindowText(HWND hwnd) {
    if (!hwnd)
        return std::wstring();
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), n + 1)));
    return text;
}

std::wstring ItemText(HWND page, int id) {
    return WindowText(GetDlgItem(page, id));
}

std::wstring ComboItem(HWND combo, int index) {
    const LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR)
        return std::wstring();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got =
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

// The icon of a file: the first one, large or small; the Windows logo when the file has none, the
// exclamation mark when there is no file. The caller destroys it (DestroyIcon ignores shared icons).
HICON FileIcon(const std::wstring& file, bool large) {
    if (file.empty())
        return LoadIconW(nullptr, IDI_EXCLAMATION);
    HICON icon = nullptr;
    if (ExtractIconExW(file.c_str(), 0, large ? &icon : nullptr, large ? nullptr : &icon, 1) > 0 && icon)
        return icon;
    return LoadIconW(nullptr, IDI_WINLOGO);
}

void SetRichText(HWND edit, const std::wstring& text, const std::vector<LONG>& tabs) {
    SetWindowTextW(edit, L"");
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, EM_SETSEL, 0, -1);
    PARAFORMAT2 para{};
    para.cbSize = sizeof para;
    para.dwMask = PFM_TABSTOPS;
    para.cTabCount = static_cast<SHORT>(tabs.size());
    for (size_t i = 0; i < tabs.size(); ++i)
        para.rgxTabs[i] = tabs[i];
    SendMessageW(edit, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&para));
}

// Character range of a line of a rich edit.
CHARRANGE LineRange(HWND edit, int line) {
    const auto start = static_cast<LONG>(SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
    const auto length = static_cast<LONG>(SendMessageW(edit, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
    return CHARRANGE{start, start + length};
}

void FormatLine(HWND edit, int line, bool centre, const CHARFORMAT2W* format) {
    CHARRANGE range = LineRange(edit, line);
    if (range.cpMin < 0)
        return;
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    if (centre) {
        PARAFORMAT2 para{};
        para.cbSize = sizeof para;
        para.dwMask = PFM_ALIGNMENT;
        para.wAlignment = PFA_CENTER;
        SendMessageW(edit, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&para));
    }
    if (format)
        SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(format));
}

// The summary of a set in a rich edit: tab stops at 50 and 1550 twips, name and description centred,
// the name bold.
void ShowSummaryIn(HWND edit, const std::wstring& text) {
    if (!edit)
        return;
    SetRichText(edit, text, {50, 1550});
    if (text.empty())
        return;
    CHARFORMAT2W bold{};
    bold.cbSize = sizeof bold;
    bold.dwMask = CFM_BOLD;
    bold.dwEffects = CFE_BOLD;
    FormatLine(edit, 1, true, &bold);
    FormatLine(edit, 2, true, nullptr);
    CHARRANGE start{0, 0};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
}

// Sets the heading of a list view's column.
void SetColumnTitle(HWND list, int column, const std::wstring& title) {
    std::wstring text = title;
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT;
    header.pszText = text.data();
    SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&header));
}

// The program's Test and Run when the key path has no executors (nothing happens).
class CNoCommandRunner final : public ICommandRunner {
public:
    int RunCommand(const tagWINCMD&, const tagPRGINFO&) override { return 0; }
    int StartApplication(const tagPRGINFO&) override { return 0; }
};

// The program's Test and Run: Test runs the command as a key would (display commands and the pointer
// included), Run starts the application through the executors.
class CKeyPathRunner final : public ICommandRunner {
public:
    CKeyPathRunner(IKeyPath& path, const tagEXECSERVICES& exec) : path_(path), exec_(exec) {}
    int RunCommand(const tagWINCMD& command, const tagPRGINFO& application) override {
        const int result = path_.TestCommand(command, application);
        return result >= 0 ? result : exec_.RunCommand(command, application);
    }
    int StartApplication(const tagPRGINFO& application) override {
        return exec_.StartApplication(application);
    }

private:
    IKeyPath& path_;
    CExecCommandRunner exec_;
};

int OpenOverview(CCmdSetAdmin& admin, IStringSource& words, uint32_t model, const tagPRGINFO& record,
                 const CKeymap& keymap) {
    CHtmlWriter writer(
        tagHTMLSERVICES{admin.Profiles().FileSystem(), words, admin.KeyNames(), NativePlatform().clock},
        PathFolder(admin.UserFile()), PathFolder(admin.PresetFile()));
    return ShowOverview(writer, NativeShell(), words, model, record, keymap);
}

std::wstring ProgramFolder() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    return PathFolder(module);
}

} // namespace

// ===================================================================================================
// The main menu's places

CPageMenu::~CPageMenu() {
    if (images_)
        ImageList_Destroy(images_);
}

void CPageMenu::OnInitDialog() {
    CPageBase::OnInitDialog(); // tooltip, texts, bold font, timer, LoadSettings
    HWND page = Window();
    if (HWND button = GetDlgItem(page, kAutoselect))
        SetClassLongPtrW(button, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_HAND)));
    UpdateTexts();
    for (int i = 0; i < kMainMenuPlaces; ++i) {
        SendDlgItemMessageW(page, kFirstLabel + i, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), TRUE);
        SendDlgItemMessageW(page, kFirstList + i, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), TRUE);
    }
    LayOut();
}

void CPageMenu::UpdateTexts() {
    AddTooltip(kAutoselect, 1240);
}

// The lists keep their width and left edge and take the height their 32-pixel icons need; they are
// stacked from the first list's place, 8 pixels apart (less when the ten would not fit in their
// group); each label ends 4 pixels before its list, centred on it.
void CPageMenu::LayOut() {
    HWND page = Window();
    HWND first = GetDlgItem(page, kFirstList), group = GetDlgItem(page, 1220);
    if (!first || !group)
        return;
    RECT r{}, end{};
    GetWindowRect(first, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    GetWindowRect(group, &end);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&end), 2);
    std::array<int, kMainMenuPlaces> heights{};
    int total = 0;
    for (int i = 0; i < kMainMenuPlaces; ++i) {
        // The closed box: the combo box inside the image combo box, as tall as its 32-pixel images.
        HWND combo =
            reinterpret_cast<HWND>(SendDlgItemMessageW(page, kFirstList + i, CBEM_GETCOMBOCONTROL, 0, 0));
        RECT field{};
        if (combo)
            GetWindowRect(combo, &field);
        heights[static_cast<size_t>(i)] = std::max<int>(field.bottom - field.top, kMenuIconSize + 6);
        total += heights[static_cast<size_t>(i)];
    }
    const int room = end.bottom - 6 - r.top - total;
    const int gap = std::clamp(room / (kMainMenuPlaces - 1), 0, 8);
    int top = r.top;
    for (int i = 0; i < kMainMenuPlaces; ++i) {
        HWND list = GetDlgItem(page, kFirstList + i), label = GetDlgItem(page, kFirstLabel + i);
        const int height = heights[static_cast<size_t>(i)];
        SetWindowPos(list, nullptr, r.left, top, r.right - r.left, height + 200,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (label) {
            RECT lr{};
            GetWindowRect(label, &lr);
            const int width = lr.right - lr.left, lh = lr.bottom - lr.top;
            SetWindowPos(label, nullptr, r.left - 4 - width, top + (height - lh) / 2, width, lh,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        top += height + gap;
    }
}

bool CPageMenu::LoadSettings() {
    CCmdSetAdmin* admin = app_ ? app_->Admin() : nullptr;
    HWND page = Window();
    if (!admin || !page)
        return true;
    filling_ = true;
    if (images_)
        ImageList_Destroy(images_);
    images_ = ImageList_Create(kMenuIconSize, kMenuIconSize, ILC_COLOR32 | ILC_MASK, 10, 10);
    HICON fallback =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMenuDefaultIcon),
                                      IMAGE_ICON, kMenuIconSize, kMenuIconSize, 0));
    ImageList_AddIcon(images_, fallback ? fallback : LoadIconW(nullptr, IDI_APPLICATION));
    if (fallback)
        DestroyIcon(fallback);
    admin->LoadAppList();
    auto apps = admin->AppList();
    items_ = MenuItems(*apps);
    std::vector<int> images(items_.size(), kMenuImageDefault);
    for (size_t i = 0; i < items_.size(); ++i) {
        tagPRGINFO record;
        if (!admin->Catalog().Lookup(items_[i], record))
            continue;
        const std::wstring file = IconFileOf(record, admin->Profiles().FileSystem());
        if (file.empty())
            continue;
        HICON icon = FileIcon(file, true);
        images[i] = ImageList_AddIcon(images_, icon);
        DestroyIcon(icon);
    }
    for (int place = 0; place < kMainMenuPlaces; ++place) {
        HWND list = GetDlgItem(page, kFirstList + place);
        SendMessageW(list, CB_RESETCONTENT, 0, 0);
        SendMessageW(list, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
        for (size_t i = 0; i < items_.size(); ++i) {
            COMBOBOXEXITEMW item{};
            item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
            item.iItem = static_cast<INT_PTR>(i);
            item.pszText = items_[i].data();
            item.iImage = item.iSelectedImage = images[i] < 0 ? kMenuImageDefault : images[i];
            SendMessageW(list, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        SendMessageW(list, CB_SETCURSEL, 0, 0);
    }
    filling_ = false;
    FillControls();
    return true;
}

void CPageMenu::SelectPlaces(const std::array<int32_t, kMainMenuPlaces>& places) {
    filling_ = true;
    for (int i = 0; i < kMainMenuPlaces; ++i)
        SendDlgItemMessageW(Window(), kFirstList + i, CB_SETCURSEL,
                            static_cast<WPARAM>(places[static_cast<size_t>(i)]), 0);
    filling_ = false;
}

void CPageMenu::FillControls() {
    CCmdSetAdmin* admin = app_ ? app_->Admin() : nullptr;
    if (admin && Window())
        SelectPlaces(RestorePlaces(*admin, items_));
}

bool CPageMenu::SaveSettings() {
    CCmdSetAdmin* admin = app_ ? app_->Admin() : nullptr;
    HWND page = Window();
    if (!admin || !page || items_.empty())
        return true;
    std::array<std::wstring, kMainMenuPlaces> names;
    for (int i = 0; i < kMainMenuPlaces; ++i) {
        const auto at = static_cast<size_t>(SendDlgItemMessageW(page, kFirstList + i, CB_GETCURSEL, 0, 0));
        names[static_cast<size_t>(i)] = at < items_.size() ? items_[at] : std::wstring();
    }
    StorePlaces(*admin, names);
    PropSheet_UnChanged(Sheet(), page);
    return true;
}

void CPageMenu::Autoselect() {
    CCmdSetAdmin* admin = app_ ? app_->Admin() : nullptr;
    if (!admin || !Window())
        return;
    if (items_.size() >= 2)
        SelectPlaces(AutoselectPlaces(*admin, items_));
    SaveSettings();
}

bool CPageMenu::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    if (CPageBase::OnMessage(message, wParam, lParam, result))
        return true;
    if (message != WM_COMMAND)
        return false;
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == kAutoselect && code == BN_CLICKED) {
        Autoselect();
        return true;
    }
    if (id >= kFirstList && id < kFirstList + kMainMenuPlaces && code == CBN_SELCHANGE && !filling_) {
        SaveSettings();
        return true;
    }
    return false;
}

// ===================================================================================================
// The command-set list

CPageCmdSets::~CPageCmdSets() {
    if (images_)
        ImageList_Destroy(images_);
    if (icon_)
        DestroyIcon(icon_);
}

void CPageCmdSets::OnInitDialog() {
    HWND page = Window();
    HWND list = GetDlgItem(page, kList);
    RECT client{};
    GetClientRect(list, &client);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL) - 105;
    column.pszText = const_cast<wchar_t*>(L"Software");
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    std::wstring status = Localize().Text(kStringStatus, L"Status");
    column.fmt = LVCFMT_RIGHT;
    column.cx = 100;
    column.pszText = status.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE);
    CreateToolbar();
    CPageBase::OnInitDialog(); // texts (and the refill), timer, LoadSettings
}

// The bar stands in the strip above the list, left of the icon, with the system's small images.
void CPageCmdSets::CreateToolbar() {
    HWND page = Window();
    RECT list{};
    GetWindowRect(GetDlgItem(page, kList), &list);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&list), 2);
    toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                   CCS_NOPARENTALIGN | CCS_NODIVIDER,
                               list.left, 4, list.right - list.left - 48, list.top - 6, page, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!toolbar_) {
        TraceMessage(kTraceErr, kTraceAllContexts, L"Failed to create toolbar\n");
        return;
    }
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar_, TB_SETINDENT, 12, 0);
    SendMessageW(toolbar_, TB_LOADIMAGES, IDB_STD_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    const int images[] = {STD_FILENEW, STD_COPY, STD_PROPERTIES, STD_DELETE, STD_UNDO, STD_PRINTPRE};
    TBBUTTON buttons[std::size(kCommands)] = {};
    for (size_t i = 0; i < std::size(kCommands); ++i) {
        buttons[i].iBitmap = images[i];
        buttons[i].idCommand = static_cast<int>(kCommands[i]);
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
        buttons[i].iString = -1;
    }
    SendMessageW(toolbar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void CPageCmdSets::UpdateTexts() {
    SetColumnTitle(GetDlgItem(Window(), kList), 1, Localize().Text(kStringStatus, L"Status"));
    SaveSettings();
    FillControls();
}

bool CPageCmdSets::LoadSettings() {
    if (CCmdSetAdmin* admin = app_ ? app_->Admin() : nullptr)
        admin->LoadAppList();
    return true;
}

void CPageCmdSets::FillControls() {
    CCmdSetAdmin* admin = app_ ? app_->Admin() : nullptr;
    HWND list = GetDlgItem(Window(), kList);
    if (!admin || !list)
        return;
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    if (images_)
        ImageList_Destroy(images_);
    images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 10, 10);
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    rows_ = CmdSetRows(*admin, Localize());
    for (size_t i = 0; i < rows_.size(); ++i) {
        HICON icon = FileIcon(rows_[i].iconFile, false);
        const int image = ImageList_AddIcon(images_, icon);
        DestroyIcon(icon);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = rows_[i].record.szName;
        item.iImage = image;
        const auto at =
            static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        item.mask = LVIF_TEXT;
        item.iItem = at;
        item.iSubItem = 1;
        item.pszText = rows_[i].status.data();
        SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    SelectRow(0);
}

int32_t CPageCmdSets::SelectedRow() const {
    return static_cast<int32_t>(
        SendDlgItemMessageW(Window(), kList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CPageCmdSets::SelectRow(int32_t row) {
    HWND list = GetDlgItem(Window(), kList);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    OnTimerTick();
    ShowSummary();
}

bool CPageCmdSets::SelectedRecord(tagPRGINFO& record) {
    CCmdSetAdmin* admin = app_ ? app_->Admin() : nullptr;
    const int32_t row = SelectedRow();
    if (!admin || row < 0)
        return false;
    wchar_t name[kPrgTextChars] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = name;
    item.cchTextMax = kPrgTextChars;
    SendDlgItemMessageW(Window(), kList, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&item));
    return admin->Catalog().Lookup(name, record);
}

void CPageCmdSets::OnTimerTick() {
    tagPRGINFO record;
    const bool selected = SelectedRecord(record);
    const tagSETCOMMANDS commands = SetCommands(selected ? &record : nullptr);
    if (toolbar_) {
        const bool states[] = {commands.create, commands.copy,  commands.edit,
                               commands.remove, commands.reset, commands.information};
        for (size_t i = 0; i < std::size(kCommands); ++i)
            SendMessageW(toolbar_, TB_ENABLEBUTTON, kCommands[i], MAKELONG(states[i] ? TRUE : FALSE, 0));
    }
    CCmdSetAdmin* admin = app_ ? app_->Admin() : nullptr;
    const std::wstring file = selected && admin ? IconFileOf(record, admin->Profiles().FileSystem()) : L"";
    if (selected == (icon_ != nullptr) && file == iconFile_)
        return;
    HICON old = icon_;
    icon_ = selected ? FileIcon(file, true) : nullptr;
    iconFile_ = file;
    SendDlgItemMessageW(Window(), kIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
    if (old)
        DestroyIcon(old);
}

void CPageCmdSets::ShowSummary() {
    tagPRGINFO record;
    ShowSummaryIn(GetDlgItem(Window(), kSummary),
                  SelectedRecord(record) ? SetSummary(record, Localize()) : L"");
}

bool CPageCmdSets::RunWizard(uint32_t titleId, const tagPRGINFO& record, const CKeymap& keymap,
                             const std::wstring& name) {
    CCmdSetAdmin* admin = app_->Admin();
    const tagEXECSERVICES* exec = app_->KeyPath().ExecServices();
    CNoCommandRunner none;
    std::unique_ptr<CKeyPathRunner> runner =
        exec ? std::make_unique<CKeyPathRunner>(app_->KeyPath(), *exec) : nullptr;
    const std::wstring title = Localize().Text(titleId, titleId == kStringNew ? L"New" : L"Edit");
    CPropSheetWizard wizard(Localize(), title);
    wizard.Record() = record;
    wizard.Attach(tagKEYPAGESERVICES{*admin, Localize(), admin->KeyNames(), app_->Registry(),
                                     runner ? static_cast<ICommandRunner&>(*runner) : none,
                                     app_->Settings().Get().midiDevice},
                  keymap, name);
    const bool finished = wizard.DoModal(Sheet());
    if (finished && !name.empty() && name != wizard.Record().szName)
        admin->DeleteCommandSet(name);
    // What step 2 wrote stays written whichever way the wizard ended.
    admin->LoadAppList();
    app_->KeyPath().ReloadActiveSet();
    return finished;
}

bool CPageCmdSets::RunCommand(uint32_t command) {
    CCmdSetAdmin* admin = app_ ? app_->Admin() : nullptr;
    if (!admin)
        return false;
    const int32_t row = SelectedRow();
    tagPRGINFO record;
    const bool selected = SelectedRecord(record);
    switch (command) {
    case kStringNew: {
        CKeymap keymap;
        BuildDefaultKeymap(keymap, Localize());
        RunWizard(kStringNew, tagPRGINFO{}, keymap, L"");
        break;
    }
    case kStringCopyCommand: {
        if (!selected)
            return true;
        std::wstring name;
        if (CopyCommandSet(*admin, Localize(), record.szName, name) == 0)
            Localize().ShowMessageBox(
                FormatBounded(kPrgTextChars + 32, L"_%ls already in list!", name.c_str()), kMsgError,
                Window());
        break;
    }
    case kStringEdit: {
        if (!selected)
            return true;
        CKeymap keymap;
        admin->LoadKeymap(record.szName, keymap, false);
        RunWizard(kStringEdit, record, keymap, record.szName);
        break;
    }
    case kStringDelete:
        if (!selected)
            return true;
        switch (DeleteRuleOf(record)) {
        case DeleteRule::Refuse:
            Localize().ShowMessageBox(kStringPresetRefused, kMsgError, Window());
            return true;
        case DeleteRule::WarnThenDelete:
            Localize().ShowMessageBox(kStringModifiedPreset, kMsgWarning, Window());
            [[fallthrough]];
        case DeleteRule::Delete:
            DeleteCommandSet(*admin, record);
            break;
        }
        break;
    case kStringReset:
        if (!selected)
            return true;
        ResetCommandSet(*admin, record);
        break;
    case kStringInformation: {
        if (!selected)
            return true;
        CKeymap keymap;
        admin->LoadKeymap(record.szName, keymap, false);
        uint32_t model = 2;
        app_->Registry().ReadDword(kRcTypeValue, model);
        OpenOverview(*admin, Localize(), model, record, keymap);
        break;
    }
    default:
        return false;
    }
    admin->LoadAppList();
    FillControls();
    const auto count = static_cast<int32_t>(SendDlgItemMessageW(Window(), kList, LVM_GETITEMCOUNT, 0, 0));
    SelectRow(row >= 0 && row < count ? row : std::max<int32_t>(0, count - 1));
    return true;
}

void CPageCmdSets::ContextMenu(int32_t x, int32_t y) {
    tagPRGINFO record;
    if (!SelectedRecord(record))
        return;
    const tagSETCOMMANDS commands = SetCommands(&record);
    HMENU menu = CreatePopupMenu();
    // New, Copy, Edit, Delete, Reset, Information.
    const uint32_t order[] = {kStringNew,    kStringCopyCommand, kStringEdit,
                              kStringDelete, kStringReset,       kStringInformation};
    const wchar_t* english[] = {L"New", L"Copy", L"Edit", L"Delete", L"Reset", L"Information"};
    for (size_t i = 0; i < std::size(order); ++i) {
        const bool enabled = order[i] == kStringDelete  ? commands.remove
                             : order[i] == kStringReset ? commands.reset
                                                        : true;
        AppendMenuW(menu, MF_STRING | (enabled ? 0 : MF_GRAYED), order[i],
                    Localize().Text(order[i], english[i]).c_str());
    }
    if (x == -1 && y == -1) {
        RECT r{};
        GetWindowRect(GetDlgItem(Window(), kList), &r);
        x = r.left + 16, y = r.top + 16;
    }
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, Window(), nullptr);
    DestroyMenu(menu);
}

bool CPageCmdSets::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    if (CPageBase::OnMessage(message, wParam, lParam, result))
        return true;
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1) { // menu, toolbar or accelerator
            if (RunCommand(LOWORD(wParam))) {
                result = 0;
                return true;
            }
        }
        return false;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != GetDlgItem(Window(), kList))
            return false;
        ContextMenu(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        result = 0;
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == TTN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            const std::wstring text = CutTo(Localize().Text(static_cast<uint32_t>(header->idFrom)), 79);
            CopyBounded(info->szText, std::size(info->szText), text);
            info->lpszText = info->szText;
            return true;
        }
        if (header->idFrom != static_cast<UINT_PTR>(kList))
            return false;
        switch (header->code) {
        case LVN_ITEMCHANGED:
            OnTimerTick();
            ShowSummary();
            return true;
        case NM_DBLCLK:
        case NM_RETURN:
            PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(kStringEdit, 0), 0);
            return true;
        case LVN_KEYDOWN: {
            const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey;
            tagPRGINFO record;
            if (key == VK_DELETE && SelectedRecord(record) && !record.bPreset)
                PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(kStringDelete, 0), 0);
            else if (key == 'C' && GetKeyState(VK_CONTROL) < 0)
                PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(kStringCopyCommand, 0), 0);
            return true;
        }
        default:
            return false;
        }
    }
    default:
        return false;
    }
}

// ===================================================================================================
// The options

struct CPageOptions::Preview {
    COsdControl control{NativePlatform().clock};
};

CPageOptions::CPageOptions(CLMLocalizeWin& loc)
    : CPageBase(loc, kTemplate, {{1400, 4450}, {1430, 53957}, {1431, 4457}, {1452, 53696}}) {}

CPageOptions::~CPageOptions() = default;

void CPageOptions::OnInitDialog() {
    HWND page = Window();
    preview_ = std::make_unique<Preview>();
    if (app_)
        preview_->control.SetLanguage(app_->Localize().CurrentLanguage());
    preview_->control.Attach(GetDlgItem(page, kPreview));
    HWND spin = GetDlgItem(page, kTimeSpin);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(page, kTime)), 0);
    SendMessageW(spin, UDM_SETRANGE32, kDisplayTimeMin, kDisplayTimeMax);
    UDACCEL accel[] = {{0, 1}, {2, 5}};
    SendMessageW(spin, UDM_SETACCEL, std::size(accel), reinterpret_cast<LPARAM>(accel));
    HWND list = GetDlgItem(page, kReceivers);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(list, &client);
    std::wstring devices = Localize().Text(kStringDevices, L"Devices"),
                 options = Localize().Text(kStringOptionsColumn, L"Options");
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = client.right - 75;
    column.pszText = devices.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = 75;
    column.pszText = options.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    SendDlgItemMessageW(page, kServerHost, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(L"127.0.0.1"));
    SendDlgItemMessageW(page, kServerHost, EM_LIMITTEXT, CSettings::kIrServerHostChars - 1, 0);
    SendDlgItemMessageW(page, kServerPort, EM_LIMITTEXT, 5, 0);
    CPageBase::OnInitDialog(); // texts, timer, LoadSettings
    FillControls();
    OnTimerTick();
}

void CPageOptions::UpdateTexts() {
    for (int id : {kTextColour, kBackground, kGradient})
        AddTooltip(id, 53383);
    AddTooltip(kIdcDisableKey0, 1450);
    for (int id : {kServerHost, kServerPort})
        AddTooltip(id, 1460); // the network IR server
    HWND list = GetDlgItem(Window(), kReceivers);
    SetColumnTitle(list, 0, Localize().Text(kStringDevices, L"Devices"));
    SetColumnTitle(list, 1, Localize().Text(kStringOptionsColumn, L"Options"));
}

bool CPageOptions::LoadSettings() {
    if (!app_)
        return true;
    pending_ = app_->Settings().Get().selection;
    shownFound_ = ~app_->Receivers().FoundMask(); // the list is built again
    listShown_ = false;
    return true;
}

bool CPageOptions::Checked(int32_t id) const {
    return IsDlgButtonChecked(Window(), id) == BST_CHECKED;
}

void CPageOptions::FillControls() {
    HWND page = Window();
    if (!app_ || !page)
        return;
    filling_ = true;
    const tagSETTINGS settings = app_->Settings().Get();
    osd_ = settings.osd;
    CheckDlgButton(page, kOsdOn, osd_.on ? BST_CHECKED : BST_UNCHECKED);
    const int32_t time =
        std::clamp<int32_t>(static_cast<int32_t>(osd_.time), kDisplayTimeMin, kDisplayTimeMax);
    SetDlgItemTextW(page, kTime, DisplayTimeText(static_cast<int32_t>(osd_.time)).c_str());
    SendDlgItemMessageW(page, kTimeSpin, UDM_SETPOS32, 0, time);
    CheckDlgButton(page, kGradientOn, osd_.useGradient ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, kIdcDisableKey0, settings.vistarDisableKey0 ? BST_CHECKED : BST_UNCHECKED);

    HWND midi = GetDlgItem(page, kIdcMidiDevice);
    SendMessageW(midi, CB_RESETCONTENT, 0, 0);
    std::vector<std::wstring> devices;
    for (UINT i = 0, n = midiInGetNumDevs(); i < n; ++i) {
        MIDIINCAPSW caps{};
        if (midiInGetDevCapsW(i, &caps, sizeof caps) == MMSYSERR_NOERROR)
            devices.emplace_back(caps.szPname);
    }
    EnableWindow(midi, !devices.empty());
    int selected = 0;
    const std::vector<std::wstring> choices = MidiDeviceChoices(devices);
    for (size_t i = 0; i < choices.size(); ++i) {
        const auto at = SendMessageW(midi, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choices[i].c_str()));
        SendMessageW(midi, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
        if (choices[i] == settings.midiDevice)
            selected = static_cast<int>(at);
    }
    SendMessageW(midi, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);

    SetDlgItemTextW(page, kServerHost, settings.irServerHost.c_str());
    SetDlgItemTextW(page, kServerPort,
                    settings.irServerPort ? std::to_wstring(settings.irServerPort).c_str() : L"");

    CheckDlgButton(page, kAutostart, settings.autostart ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, kNoSound, settings.disableSound ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, kTrayIcon, settings.hidden ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(page, kExclusive, settings.exclusive ? BST_CHECKED : BST_UNCHECKED);
    HWND exclusive = GetDlgItem(page, kExclusiveList);
    SendMessageW(exclusive, CB_RESETCONTENT, 0, 0);
    if (CCmdSetAdmin* admin = app_->Admin()) {
        admin->LoadAppList();
        for (const tagPRGINFO& record : admin->AppList()->list)
            SendMessageW(exclusive, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record.szName));
    }
    SendMessageW(exclusive, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(settings.exclusiveApplication.c_str()));
    filling_ = false;
}

void CPageOptions::OnTimerTick() {
    HWND page = Window();
    if (!app_ || !page)
        return;
    const bool on = Checked(kOsdOn), gradient = Checked(kGradientOn);
    for (int id : {kTextColour, kBackground, kGradientOn, kTimeLabel, kTime, kTimeSpin})
        EnableWindow(GetDlgItem(page, id), on);
    EnableWindow(GetDlgItem(page, kGradient), on && gradient);
    const std::array<uint32_t, 4> colours = PreviewColours(on, gradient, osd_);
    if (colours != colours_ || !listShown_) {
        colours_ = colours;
        OsdFrame frame;
        frame.state = OsdState::Bar;
        frame.text = L"OSD";
        frame.colors = OsdColors{colours[0], colours[1], colours[2], colours[3]};
        preview_->control.SetFrame(frame);
        InvalidateRect(GetDlgItem(page, kPreview), nullptr, TRUE); // the bar is drawn as the background
    }
    const uint32_t found = app_->Receivers().FoundMask();
    if (found != shownFound_ || !listShown_) {
        filling_ = true;
        rows_ =
            ReceiverRows(found, pending_, app_->Receivers().MidiChannel(), Checked(kIdcDisableKey0) ? 1 : 0);
        HWND list = GetDlgItem(page, kReceivers);
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        for (size_t i = 0; i < rows_.size(); ++i) {
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = static_cast<int>(i);
            item.pszText = rows_[i].name.data();
            item.lParam = rows_[i].type;
            const auto at =
                static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            item.mask = LVIF_TEXT;
            item.iItem = at;
            item.iSubItem = 1;
            item.pszText = rows_[i].option.data();
            SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            ListView_SetCheckState(list, at, rows_[i].checked);
        }
        shownFound_ = found;
        listShown_ = true;
        filling_ = false;
    }
    ShowServerState();
    EnableWindow(GetDlgItem(page, kExclusiveList), Checked(kExclusive));
}

void CPageOptions::ShowServerState() {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].type != kReceiverTypeIrServer)
            continue;
        std::wstring state = app_->IrServerStatusText();
        if (state == rows_[i].option)
            return;
        rows_[i].option = state;
        LVITEMW item{};
        item.iSubItem = 1;
        item.pszText = rows_[i].option.data();
        SendDlgItemMessageW(Window(), kReceivers, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        return;
    }
}

void CPageOptions::ShowExtras() {
    HWND page = Window();
    HWND list = GetDlgItem(page, kReceivers);
    const auto row =
        static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    int32_t shown = 0;
    if (row >= 0 && static_cast<size_t>(row) < rows_.size())
        shown = ReceiverExtraControl(rows_[static_cast<size_t>(row)].type);
    for (const tagRECEIVEREXTRA& extra : kReceiverExtras)
        ShowWindow(GetDlgItem(page, extra.controlId), extra.controlId == shown ? SW_SHOWNA : SW_HIDE);
}

void CPageOptions::ShowDevice(int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size() || !app_)
        return;
    const int32_t type = rows_[static_cast<size_t>(row)].type;
    CSrc* source = app_->Receivers().Source(type);
    const std::wstring text =
        source ? FormatBounded(kPrgTextChars, L"%ls: %ls", Localize().Text(kStringDevice, L"Device").c_str(),
                               source->GetDescription().c_str())
               : Localize().Text(kStringInactive, L"Inactive");
    SetDlgItemTextW(Window(), kHardware, text.c_str());
}

bool CPageOptions::SaveSettings() {
    HWND page = Window();
    if (!app_ || !page)
        return true;
    tagSETTINGS settings = app_->Settings().Get();
    osd_.on = Checked(kOsdOn) ? 1 : 0;
    osd_.useGradient = Checked(kGradientOn) ? 1 : 0;
    osd_.time = DisplayTimeFromText(ItemText(page, kTime), osd_.time);
    settings.osd = osd_;
    settings.autostart = Checked(kAutostart) ? 1 : 0;
    settings.disableSound = Checked(kNoSound) ? 1 : 0;
    settings.hidden = Checked(kTrayIcon) ? 0 : 1;
    settings.exclusive = Checked(kExclusive) ? 1 : 0;
    settings.exclusiveApplication =
        CutTo(ItemText(page, kExclusiveList), CSettings::kExclusiveApplicationChars - 1);
    settings.vistarDisableKey0 = Checked(kIdcDisableKey0) ? 1 : 0;
    if (IsWindowEnabled(GetDlgItem(page, kIdcMidiDevice)))
        settings.midiDevice = CutTo(ItemText(page, kIdcMidiDevice), CSettings::kMidiDeviceChars - 1);
    HWND list = GetDlgItem(page, kReceivers);
    for (size_t i = 0; i < rows_.size(); ++i)
        rows_[i].checked = ListView_GetCheckState(list, static_cast<int>(i)) != 0;
    const uint32_t selection = SelectionFromRows(rows_, settings.selection);
    const bool reinit = selection != settings.selection;
    settings.selection = selection;
    // The server: a changed address or port connects anew (an empty one switches the receiver off).
    const std::wstring host = CutTo(Trim(ItemText(page, kServerHost)), CSettings::kIrServerHostChars - 1);
    uint32_t port = settings.irServerPort;
    ServerPortFromText(ItemText(page, kServerPort), port);
    const bool reconnect = host != settings.irServerHost || port != settings.irServerPort;
    settings.irServerHost = host;
    settings.irServerPort = port;
    app_->Settings().Set(settings);
    if (reinit)
        app_->InitReceivers();
    else if (reconnect)
        app_->ReinitReceiver(kReceiverTypeIrServer, 1);
    if (reinit || reconnect)
        shownFound_ = ~app_->Receivers().FoundMask();
    if (IOsdDisplay* display = app_->Display())
        display->ApplySettings(settings.osd);
    app_->Settings().SettingsSave();
    return true;
}

void CPageOptions::ColourChosen(int32_t button, uint32_t colour) {
    uint32_t& target = button == kTextColour   ? osd_.textColor
                       : button == kBackground ? osd_.backgroundColor
                                               : osd_.gradientColor;
    target = colour;
    SaveSettings();
    OnTimerTick();
}

void CPageOptions::ChooseColour(int32_t button) {
    const uint32_t current = button == kTextColour   ? osd_.textColor
                             : button == kBackground ? osd_.backgroundColor
                                                     : osd_.gradientColor;
    std::array<uint32_t, 16> custom =
        CustomColours(osd_, GetSysColor(COLOR_CAPTIONTEXT), GetSysColor(COLOR_ACTIVECAPTION),
                      GetSysColor(COLOR_GRADIENTACTIVECAPTION));
    COLORREF customs[16];
    for (size_t i = 0; i < custom.size(); ++i)
        customs[i] = custom[i];
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = Window();
    choose.rgbResult = current;
    choose.lpCustColors = customs;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorW(&choose))
        ColourChosen(button, choose.rgbResult);
}

bool CPageOptions::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    if (CPageBase::OnMessage(message, wParam, lParam, result))
        return true;
    HWND page = Window();
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (filling_ || !app_)
            return false;
        switch (id) {
        case kTextColour:
        case kBackground:
        case kGradient:
            if (code == BN_CLICKED)
                ChooseColour(id);
            return true;
        case kOsdOn:
        case kGradientOn:
            SaveSettings();
            OnTimerTick();
            return true;
        case kAutostart:
        case kExclusive:
            OnTimerTick();
            return true;
        case kServerHost:
        case kServerPort:
            if (code == EN_KILLFOCUS) {
                SaveSettings();
                OnTimerTick();
            }
            return code == EN_KILLFOCUS;
        case kIdcDisableKey0:
            listShown_ = false;
            OnTimerTick();
            return true;
        case kIdcMidiDevice:
            if (code == CBN_SELCHANGE) {
                listShown_ = false;
                OnTimerTick();
            }
            return true;
        default:
            return false;
        }
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(kTimeSpin) && header->code == UDN_DELTAPOS) {
            const auto* step = reinterpret_cast<const NMUPDOWN*>(lParam);
            const int32_t value = StepDisplayTime(step->iPos, step->iDelta);
            SetDlgItemTextW(page, kTime, DisplayTimeText(value).c_str());
            SendDlgItemMessageW(page, kTimeSpin, UDM_SETPOS32, 0, value);
            SetFocus(GetDlgItem(page, kTimeSpin));
            SaveSettings();
            OnTimerTick();
            SetWindowLongPtrW(page, DWLP_MSGRESULT, TRUE); // the position is set above
            result = TRUE;
            return true;
        }
        if (header->idFrom != static_cast<UINT_PTR>(kReceivers) || filling_)
            return false;
        if (header->code == NM_CLICK) {
            ShowExtras();
            return true;
        }
        if (header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            ShowDevice(change->iItem);
            if ((change->uChanged & LVIF_STATE) &&
                ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) &&
                static_cast<size_t>(change->iItem) < rows_.size()) {
                const bool checked = ((change->uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
                rows_[static_cast<size_t>(change->iItem)].checked = checked;
                const uint32_t bit =
                    1u << (static_cast<uint32_t>(rows_[static_cast<size_t>(change->iItem)].type) % 32);
                pending_ = checked ? pending_ | bit : pending_ & ~bit;
            }
            ShowExtras();
            return true;
        }
        return false;
    }
    case WM_DESTROY:
        if (preview_)
            preview_->control.Detach();
        listShown_ = false;
        return false;
    default:
        return false;
    }
}

// ===================================================================================================
// About

void CPageAbout::OnInitDialog() {
    CPageBase::OnInitDialog();
    SetDlgItemTextW(Window(), kReadme, L"Readme");
    HWND edit = GetDlgItem(Window(), kText);
    SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_LINK);
    SendMessageW(edit, EM_AUTOURLDETECT, TRUE, 0);
    BuildText();
}

void CPageAbout::BuildText() {
    HWND edit = GetDlgItem(Window(), kText);
    CLMSystemInfo system(NativeSystemInfo(), NativeRegistry());
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    tagABOUTINFO info;
    info.version = system.GetFileVersion(module);
    info.folder = PathFolder(module);
    system.GetWaveMapperDevice(info.waveMapper);
    system.GetWindowsVersion(info.windows);
    system.GetDirectXVersion(info.directX);
    const std::wstring text = AboutText(info, Localize());
    SetRichText(edit, text, {300, 1800});
    CHARFORMAT2W face{};
    face.cbSize = sizeof face;
    face.dwMask = CFM_FACE;
    CopyBounded(face.szFaceName, LF_FACESIZE, L"Arial Unicode MS");
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&face));
    CHARFORMAT2W bold{};
    bold.cbSize = sizeof bold;
    bold.dwMask = CFM_BOLD;
    bold.dwEffects = CFE_BOLD;
    FormatLine(edit, 1, true, &bold);
    CHARFORMAT2W small{};
    small.cbSize = sizeof small;
    small.dwMask = CFM_SIZE | CFM_COLOR;
    small.yHeight = 130;
    small.crTextColor = RGB(100, 100, 100);
    const size_t notice = text.rfind(kAboutNotice);
    if (notice != std::wstring::npos) {
        const int first =
            static_cast<int>(SendMessageW(edit, EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(notice)));
        const auto lines = static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
        for (int line = first; line < lines; ++line)
            FormatLine(edit, line, true, &small);
    }
    CHARRANGE start{0, 0};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
}

bool CPageAbout::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    if (CPageBase::OnMessage(message, wParam, lParam, result))
        return true;
    if (message == WM_COMMAND && LOWORD(wParam) == kReadme && HIWORD(wParam) == BN_CLICKED) {
        const std::wstring folder = ProgramFolder();
        NativeShell().ShellExec(L"open", PathJoin(folder, kReadmeFile), L"", folder, SW_SHOWNORMAL);
        return true;
    }
    if (message == WM_NOTIFY) {
        const auto* link = reinterpret_cast<const ENLINK*>(lParam);
        if (link->nmhdr.code != EN_LINK || link->msg != WM_LBUTTONDOWN)
            return false;
        HWND edit = GetDlgItem(Window(), kText);
        CHARRANGE range = link->chrg;
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        std::wstring url(static_cast<size_t>(range.cpMax - range.cpMin) + 1, L'\0');
        url.resize(
            static_cast<size_t>(SendMessageW(edit, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(url.data()))));
        CHARRANGE none{range.cpMin, range.cpMin};
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
        NativeShell().ShellExec(L"open", url, L"", L"", SW_SHOWMAXIMIZED);
        result = 0;
        return true;
    }
    return false;
}

// ===================================================================================================
// Wizard step 1: the application

CPageCmdSetApp::~CPageCmdSetApp() {
    if (icon_)
        DestroyIcon(icon_);
}

void CPageCmdSetApp::Attach(const tagKEYPAGESERVICES& services, tagPRGINFO& record,
                            const std::wstring& ownName) {
    services_ = std::make_unique<tagKEYPAGESERVICES>(services);
    record_ = &record;
    ownName_ = ownName;
}

void CPageCmdSetApp::OnInitDialog() {
    CPageBaseWizard::OnInitDialog(); // texts, bold font, tooltip, DataToControls, UpdateControls
    AddTooltip(kBrowse, 53317);
    AddTooltip(kCommandLine, 1651);
    AddTooltip(kCaption, 1652);
    AddTooltip(kRun, 1790);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (auto [id, icon] : {std::pair{1601, 202}, std::pair{1621, 204}})
        if (HICON loaded = LoadIconW(instance, MAKEINTRESOURCEW(icon)))
            SendDlgItemMessageW(Window(), id, STM_SETICON, reinterpret_cast<WPARAM>(loaded), 0);
}

void CPageCmdSetApp::DataToControls() {
    HWND page = Window();
    if (!services_ || !page)
        return;
    filling_ = true;
    SetDlgItemTextW(page, kName, record_->szName);
    SetDlgItemTextW(page, kDescription, record_->szDescription);
    HWND combo = GetDlgItem(page, kExecutable);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const auto& [name, path] : services_->admin.ExecutableMap())
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    const LRESULT at = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(record_->szExecutable));
    if (at != CB_ERR)
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    else
        SetWindowTextW(combo, record_->szExecutable);
    SetDlgItemTextW(page, kPath, record_->szAppPath);
    SetDlgItemTextW(page, kCommandLine, record_->szCommandLine);
    SetDlgItemTextW(page, kCaption, record_->szWindowCaption);
    CheckDlgButton(page, kOsd, record_->bHideOsd == 1 ? BST_UNCHECKED : BST_CHECKED);
    filling_ = false;
}

void CPageCmdSetApp::UpdateControls() {
    HWND page = Window();
    if (!page)
        return;
    HICON old = icon_;
    const std::wstring path = ItemText(page, kPath);
    icon_ = nullptr;
    if (!path.empty())
        ExtractIconExW(path.c_str(), 0, &icon_, nullptr, 1);
    SendDlgItemMessageW(page, kExeIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
    if (old)
        DestroyIcon(old);
}

void CPageCmdSetApp::ControlsToData() {
    HWND page = Window();
    if (!services_ || !page)
        return;
    CopyBounded(record_->szName, kPrgTextChars, ItemText(page, kName));
    CopyBounded(record_->szDescription, kPrgTextChars, ItemText(page, kDescription));
    const std::wstring path = ItemText(page, kPath);
    CopyBounded(record_->szAppPath, kPrgTextChars, path);
    const std::wstring file = PathFileName(path);
    CopyBounded(record_->szExecutable, kPrgTextChars, file != path ? file : ItemText(page, kExecutable));
    CopyBounded(record_->szCommandLine, kPrgTextChars, ItemText(page, kCommandLine));
    CopyBounded(record_->szWindowCaption, kPrgTextChars, ItemText(page, kCaption));
    record_->bHideOsd = IsDlgButtonChecked(page, kOsd) == BST_CHECKED ? 0 : 1;
}

void CPageCmdSetApp::ExecutableTyped(const std::wstring& typed) {
    if (!typed.empty() && services_) {
        std::wstring name = typed;
        if (name.find(L'.') == std::wstring::npos)
            name += L".exe";
        const std::wstring path = services_->admin.FindExecutable(TextToLower(name));
        if (!path.empty())
            SetDlgItemTextW(Window(), kPath, path.c_str());
    }
    UpdateControls();
}

void CPageCmdSetApp::Browse() {
    HWND page = Window();
    wchar_t file[MAX_PATH] = {};
    CopyBounded(file, MAX_PATH, CutTo(ItemText(page, kPath), MAX_PATH - 1));
    static const wchar_t kFilter[] =
        L"Executables(*.exe;*.com;*.bat)\0**.exe;*.com;*.bat\0All files (*.*)\0*.*\0";
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = page;
    open.lpstrFilter = kFilter;
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.lpstrDefExt = L"exe";
    open.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&open))
        return;
    const std::wstring chosen = file;
    if (PathFileName(chosen).find(L'.') != std::wstring::npos) {
        SetDlgItemTextW(page, kPath, chosen.c_str());
        SetDlgItemTextW(page, kExecutable, PathFileName(chosen).c_str());
    } else {
        SetDlgItemTextW(page, kPath, PathJoin(chosen, ItemText(page, kExecutable)).c_str());
    }
    UpdateControls();
}

bool CPageCmdSetApp::Refused() {
    ControlsToData();
    if (!record_->szExecutable[0] && !record_->szAppPath[0]) {
        Localize().ShowMessageBox(kStringNoFile, kMsgError, Window());
        return true;
    }
    const uint32_t problem = SetNameProblem(record_->szName, ownName_, services_->admin);
    if (problem) {
        std::wstring text = Localize().Text(problem);
        Localize().ShowMessageBox(
            FillTextArgs(text, {Trim(record_->szName)}, CLMLocalize::kTextBufferChars - 1), kMsgError,
            Window());
        return true;
    }
    // The files hold the name without blanks around it.
    CopyBounded(record_->szName, kPrgTextChars, Trim(record_->szName));
    return false;
}

bool CPageCmdSetApp::OnSheetNotify(uint32_t code, intptr_t& result) {
    if (code == PSN_WIZNEXT && services_) {
        result = Refused() ? -1 : 0;
        SetDlgItemTextW(Window(), kName, record_->szName);
        return true;
    }
    return CPageBaseWizard::OnSheetNotify(code, result);
}

bool CPageCmdSetApp::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    if (CPageBaseWizard::OnMessage(message, wParam, lParam, result))
        return true;
    if (message != WM_COMMAND || !services_ || filling_)
        return false;
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    HWND page = Window();
    switch (id) {
    case kExecutable:
        if (code == CBN_EDITCHANGE) {
            ExecutableTyped(ItemText(page, kExecutable));
            return true;
        }
        if (code == CBN_SELCHANGE) {
            HWND combo = GetDlgItem(page, kExecutable);
            const std::wstring text =
                ComboItem(combo, static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)));
            SetWindowTextW(combo, text.c_str());
            ExecutableTyped(text);
            return true;
        }
        return false;
    case kPath:
        if (code == EN_CHANGE)
            UpdateControls();
        return code == EN_CHANGE;
    case kBrowse:
        if (code == BN_CLICKED)
            Browse();
        return true;
    case kRun:
        if (code == BN_CLICKED) {
            ControlsToData();
            services_->runner.StartApplication(*record_);
        }
        return true;
    default:
        return false;
    }
}

// ===================================================================================================
// Wizard step 3: the review

CPageCmdSetReview::~CPageCmdSetReview() = default;

void CPageCmdSetReview::Attach(const tagKEYPAGESERVICES& services, tagPRGINFO& record,
                               CPageCmdSetEdit& keyPage) {
    services_ = std::make_unique<tagKEYPAGESERVICES>(services);
    record_ = &record;
    keyPage_ = &keyPage;
}

void CPageCmdSetReview::OnInitDialog() {
    CPageBaseWizard::OnInitDialog();
    AddTooltip(kOverview, 1805);
    for (int id : {1800, 1802})
        SendDlgItemMessageW(Window(), id, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), TRUE);
}

bool CPageCmdSetReview::OnSheetNotify(uint32_t code, intptr_t& result) {
    if (code == PSN_SETACTIVE && services_) {
        HWND page = Window();
        ShowSummaryIn(GetDlgItem(page, kSummary), SetSummary(*record_, Localize()));
        HWND products = GetDlgItem(page, kProducts);
        SendMessageW(products, CB_RESETCONTENT, 0, 0);
        if (CCmdSetEditModel* model = keyPage_->Model()) {
            const tagCTLSTATE& list = model->Control(kIdcProduct);
            for (const tagLISTITEM& item : list.items) {
                const auto at =
                    SendMessageW(products, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
                SendMessageW(products, CB_SETITEMDATA, static_cast<WPARAM>(at), item.data);
            }
            SendMessageW(products, CB_SETCURSEL, static_cast<WPARAM>(list.selected), 0);
        }
    }
    return CPageBaseWizard::OnSheetNotify(code, result);
}

bool CPageCmdSetReview::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    if (CPageBaseWizard::OnMessage(message, wParam, lParam, result))
        return true;
    if (message != WM_COMMAND || LOWORD(wParam) != kOverview || HIWORD(wParam) != BN_CLICKED || !services_)
        return false;
    CCmdSetEditModel* model = keyPage_->Model();
    if (!model)
        return true;
    HWND products = GetDlgItem(Window(), kProducts);
    const auto row = SendMessageW(products, CB_GETCURSEL, 0, 0);
    const auto mask =
        row == CB_ERR
            ? model->RemoteModel()
            : static_cast<uint32_t>(SendMessageW(products, CB_GETITEMDATA, static_cast<WPARAM>(row), 0));
    OpenOverview(services_->admin, Localize(), mask, *record_, model->Keymap());
    return true;
}

} // namespace lm
