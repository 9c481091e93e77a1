// The Windows views of the localisation: dialogs and menus localised by control and item ID,
// localised message boxes, and the language popup menu of the editor's system menu.
#pragma once
#include <cstdint>
#include <string>

#include "support/LMLocalize.h"

// The window and menu handle types of windows.h, declared without it.
struct HWND__;
struct HMENU__;

namespace lm {

// Sets the text of every direct child control whose ID plus the control offset names a string
// (buffer 1024). Returns the number of controls changed.
int LocalizeDialog(CLMLocalize& loc, HWND__* dialog);
// Replaces the text of every item, sub-menus included, whose ID plus the offset names a string
// (buffer 256). Returns the number of items changed.
int LocalizeMenu(CLMLocalize& loc, HMENU__* menu);
// The style flags of a message box (MB_...): task-modal and top-most, with the layout's buttons and icon.
unsigned MessageBoxStyle(const MessageBoxLayout& layout);
// A message box of the given kind (MessageBoxKind), task-modal and top-most. Returns the platform's
// answer (IDOK, IDYES, IDNO), 0 when the box could not be shown.
int ShowLocalizedMessageBox(CLMLocalize& loc, const std::wstring& text, int kind, HWND__* owner);
// The same with the text of a string ID (up to 511 characters).
int ShowLocalizedMessageBox(CLMLocalize& loc, uint32_t textId, int kind, HWND__* owner);

// The language popup menu: item IDs are the language IDs.
class CLMLanguagePopup final : public ILanguageMenuView {
public:
    CLMLanguagePopup();
    // Destroys the menu unless it has been destroyed with a menu it was inserted into.
    ~CLMLanguagePopup() override;
    CLMLanguagePopup(const CLMLanguagePopup&) = delete;
    CLMLanguagePopup& operator=(const CLMLanguagePopup&) = delete;

    HMENU__* Handle() const { return menu_; }
    void Fill(const std::vector<LanguageMenuItem>& items) override;
    void Check(uint16_t langId) override;

private:
    HMENU__* menu_ = nullptr;
};

// The program's localisation object: the language files beside the executable and the Windows views.
class CLMLocalizeWin : public CLMLocalize {
public:
    explicit CLMLocalizeWin(const tagLOCALIZESERVICES& services,
                            const tagLOCALIZEOPTIONS& options = tagLOCALIZEOPTIONS::Full());
    ~CLMLocalizeWin() override;

    HMENU__* LanguagePopup() const { return popup_.Handle(); }
    int LocalizeDialog(HWND__* dialog) { return lm::LocalizeDialog(*this, dialog); }
    int LocalizeMenu(HMENU__* menu) { return lm::LocalizeMenu(*this, menu); }
    int ShowMessageBox(const std::wstring& text, int kind, HWND__* owner) {
        return ShowLocalizedMessageBox(*this, text, kind, owner);
    }
    int ShowMessageBox(uint32_t textId, int kind, HWND__* owner) {
        return ShowLocalizedMessageBox(*this, textId, kind, owner);
    }

    // The folder of the running executable, where the language files are.
    static std::wstring ModuleFolder();

private:
    CLMLanguagePopup popup_;
};

} // namespace lm
