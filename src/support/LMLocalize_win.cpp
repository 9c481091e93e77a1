#include "support/LMLocalizeWin.h"

#include "base/Path.h"
#include "support/LMDebug.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <array>
#include <vector>

namespace lm {
namespace {

constexpr size_t kMenuTextChars = 256;
constexpr size_t kMessageTextChars = 512;

int LocalizeMenuItems(CLMLocalize& loc, HMENU menu, int depth) {
    int changed = 0;
    int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info))
            continue;
        if (info.fType & MFT_SEPARATOR)
            continue;
        if (info.hSubMenu && depth < 8)
            changed += LocalizeMenuItems(loc, info.hSubMenu, depth + 1);
        if (info.wID == 0 || info.hSubMenu)
            continue;
        std::array<wchar_t, kMenuTextChars> text{};
        if (!loc.LoadText(info.wID + loc.ControlOffset(), text.data(), text.size()))
            continue;
        MENUITEMINFOW set{};
        set.cbSize = sizeof set;
        set.fMask = MIIM_STRING;
        set.dwTypeData = text.data();
        if (SetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &set))
            ++changed;
    }
    return changed;
}

} // namespace

int LocalizeDialog(CLMLocalize& loc, HWND__* dialog) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CLMLocalize::LocalizeDialog");
    if (!dialog || !IsWindow(dialog))
        return 0;
    int changed = 0;
    std::vector<wchar_t> text(CLMLocalize::kTextBufferChars);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child);
        if (id <= 0 || id == 0xFFFF) // unnamed static controls
            continue;
        if (loc.LoadText(static_cast<uint32_t>(id) + loc.ControlOffset(), text.data(), text.size()) &&
            SetWindowTextW(child, text.data()))
            ++changed;
    }
    return changed;
}

int LocalizeMenu(CLMLocalize& loc, HMENU__* menu) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CLMLocalize::LocalizeMenu");
    if (!menu || !IsMenu(menu))
        return 0;
    return LocalizeMenuItems(loc, menu, 0);
}

unsigned MessageBoxStyle(const MessageBoxLayout& layout) {
    UINT flags = MB_TASKMODAL | MB_TOPMOST | (layout.yesNo ? MB_YESNO : MB_OK);
    if (layout.icon == MessageBoxIcon::Error)
        flags |= MB_ICONERROR;
    else if (layout.icon == MessageBoxIcon::Warning)
        flags |= MB_ICONWARNING;
    return flags;
}

int ShowLocalizedMessageBox(CLMLocalize& loc, const std::wstring& text, int kind, HWND__* owner) {
    MessageBoxLayout layout = loc.ComposeMessageBox(kind);
    return MessageBoxW(owner, text.c_str(), layout.caption.c_str(), MessageBoxStyle(layout));
}

int ShowLocalizedMessageBox(CLMLocalize& loc, uint32_t textId, int kind, HWND__* owner) {
    std::array<wchar_t, kMessageTextChars> text{};
    if (!loc.LoadText(textId, text.data(), text.size()))
        TraceMessage(kTraceErr, kTraceAllContexts, L"LMLOC: string %u for a message box not found\n", textId);
    return ShowLocalizedMessageBox(loc, std::wstring(text.data()), kind, owner);
}

CLMLanguagePopup::CLMLanguagePopup() : menu_(CreatePopupMenu()) {}

CLMLanguagePopup::~CLMLanguagePopup() {
    // A popup inserted into a window's menu is destroyed with that menu; then there is nothing to do.
    if (menu_ && IsMenu(menu_))
        DestroyMenu(menu_);
}

void CLMLanguagePopup::Fill(const std::vector<LanguageMenuItem>& items) {
    if (!menu_)
        return;
    while (GetMenuItemCount(menu_) > 0)
        DeleteMenu(menu_, 0, MF_BYPOSITION);
    for (const LanguageMenuItem& item : items)
        AppendMenuW(menu_, MF_STRING, item.langId, item.name.c_str());
}

void CLMLanguagePopup::Check(uint16_t langId) {
    if (!menu_)
        return;
    int count = GetMenuItemCount(menu_);
    for (int pos = 0; pos < count; ++pos) {
        UINT id = GetMenuItemID(menu_, pos);
        CheckMenuItem(menu_, static_cast<UINT>(pos),
                      MF_BYPOSITION | (id == langId ? MF_CHECKED : MF_UNCHECKED));
    }
}

CLMLocalizeWin::CLMLocalizeWin(const tagLOCALIZESERVICES& services, const tagLOCALIZEOPTIONS& options)
    : CLMLocalize(services, options) {
    if (options.buildMenu)
        AttachMenuView(&popup_);
}

CLMLocalizeWin::~CLMLocalizeWin() {
    AttachMenuView(nullptr);
}

std::wstring CLMLocalizeWin::ModuleFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return std::wstring();
        if (n < path.size())
            break;
        if (path.size() >= 32768)
            return std::wstring();
        path.resize(path.size() * 2);
    }
    std::wstring full(path.data());
    return PathFolder(full);
}

} // namespace lm
