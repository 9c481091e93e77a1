// CLMTaskbar: the program's icon in the notification area of the taskbar (Windows builds). A left click
// shows or hides the window that owns the icon; a right click opens a menu with Show or Hide, the items
// of an extra menu (the editor's program menu) and Exit, in the words of the thread's language. The icon
// comes back when the shell restarts, and it is drawn at the size for the DPI of the taskbar's monitor.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Locale.h"

struct HWND__;
struct HMENU__;
struct HICON__;

namespace lm {

class CLMTaskbar {
public:
    explicit CLMTaskbar(ILocale& locale);
    // Removes the icon.
    ~CLMTaskbar();
    CLMTaskbar(const CLMTaskbar&) = delete;
    CLMTaskbar& operator=(const CLMTaskbar&) = delete;

    // The window that receives the icon's callback message and commands, the tip (cut to 127
    // characters) and the icon resource of the program's module.
    void Attach(HWND__* owner, const std::wstring& tip, int32_t iconResource);
    // Adds the icon; false when the shell refused it (the program then works without one).
    bool CreateIcon();
    void RemoveIcon();
    bool IconExists() const { return iconExists_; }
    // The shell has restarted (its "TaskbarCreated" message): an icon that existed is added again.
    void TaskbarCreated();
    // The DPI of the taskbar's monitor may have changed: the icon is made at that size again.
    void UpdateDpi();
    uint32_t IconDpi() const { return iconDpi_; }

    // The menu whose items the right-click menu copies, the Show/Hide and Exit items, and posting a
    // context-menu message to the owner instead of showing the menu.
    void SetExtraMenu(HMENU__* menu) { extraMenu_ = menu; }
    void SetShowHideItems(bool on) { showHideItems_ = on; }
    void SetPostContextMenu(bool on) { postContextMenu_ = on; }

    // The icon's callback message (mouse event in the low word of lParam).
    void OnCallback(intptr_t lParam);
    // Commands of the menu: Show/Hide and Exit. True when the command was one of them.
    bool OnCommand(uint32_t id);

    // Shows the owner restored and in front, centred first when it is parked out of sight; with toTop
    // also above the other windows for a moment.
    void ShowOwner(bool toTop);
    // The registered message the shell broadcasts when it starts.
    static uint32_t TaskbarCreatedMessage();

private:
    bool Notify(uint32_t action);
    void ShowMenu();
    void MakeIcon();

    ILocale& locale_;
    HWND__* owner_ = nullptr;
    std::wstring tip_;
    int32_t iconResource_ = 0;
    HICON__* icon_ = nullptr;
    uint32_t iconDpi_ = 0;
    HMENU__* popup_ = nullptr;
    HMENU__* extraMenu_ = nullptr;
    bool showHideItems_ = false;
    bool postContextMenu_ = true;
    bool iconExists_ = false;
};

// Places a window at the centre of the primary monitor's work area.
void CenterOnDesktop(HWND__* window);
// Puts a window above all others and back among the normal ones, without moving or activating it.
void MakeTopWindow(HWND__* window);

} // namespace lm
