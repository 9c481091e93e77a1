// CPropSheetOptions: the editor, the only window of the program (Windows builds). A property sheet with
// the tabs Menu, Command sets, Options and About, titled "Lumora Remote Control Editor" (the title by
// which a second start finds it). It stays up, hidden or shown, for the whole run: behind the tray icon
// it receives the tray's and the global hot keys' commands, a second start's request to show itself, and
// the system's device, power and end-of-session broadcasts, which it hands to the application object.
// Its system menu carries Minimise and the language menu; the close command asks whether to quit.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "editor/LMTaskbar.h"
#include "editor/Pages.h"

struct HWND__;
struct HMENU__;
struct HICON__;

namespace lm {

class CRemoteApp;
class CLMLocalizeWin;

class CPropSheetOptions {
public:
    static constexpr size_t kPageCount = 4;
    static constexpr size_t kDeviceClassCount = 3;

    CPropSheetOptions(CRemoteApp& app, CLMLocalizeWin& loc, ILocale& locale);
    ~CPropSheetOptions();
    CPropSheetOptions(const CPropSheetOptions&) = delete;
    CPropSheetOptions& operator=(const CPropSheetOptions&) = delete;

    // Creates the sheet and handles the thread's messages until the user quits. Returns the exit code:
    // 0 after the quit question, the code of a quit message when one ended the loop, 1 when the sheet
    // could not be made.
    int Run();
    HWND__* Window() const { return window_; }

    // Shows or hides the editor. With the setting Hidden the tray icon and the taskbar button come and
    // go with the window; without it the tray icon stays.
    void ShowEditor(bool show);
    // Stores every page whose window exists, in tab order; true when all of them succeeded.
    bool SaveSettings();
    // The tab titles and every existing page's texts in the current language.
    void LocalizeSheet();
    CLMTaskbar& Taskbar() { return taskbar_; }

    // For the sheet's window procedure: true when the message was handled, with the answer in `result`.
    bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result);
    // For the sheet's creation callback.
    void OnPreCreate(void* dialogTemplate);
    void OnInitialized(HWND__* sheet);

private:
    void ExtendSystemMenu();
    void BuildProgramMenu();
    void UpdateProgramMenu();
    void RegisterHotKeys();
    void RegisterDeviceNotifications();
    void Unregister();
    void SetIcons();
    void SetToolWindow(bool on);
    bool IsToolWindow() const;
    void ToggleFromHotKey();
    void CloseSequence();
    void LanguageChanged();
    bool OnCommand(uint32_t id);
    bool OnSysCommand(uintptr_t command);
    void OnDeviceChange(uintptr_t event, intptr_t record);

    CRemoteApp& app_;
    CLMLocalizeWin& loc_;
    CLMTaskbar taskbar_;
    CPageMenu menuPage_;
    CPageCmdSets cmdSetsPage_;
    CPageOptions optionsPage_;
    CPageAbout aboutPage_;
    std::array<CPageBase*, kPageCount> pages_;
    std::array<std::wstring, kPageCount> tabTitles_;
    HWND__* window_ = nullptr;
    HMENU__* programMenu_ = nullptr;
    HMENU__* loadMenu_ = nullptr;
    HICON__* bigIcon_ = nullptr;
    HICON__* smallIcon_ = nullptr;
    std::array<void*, kDeviceClassCount> deviceNotifications_{};
    std::array<bool, 4> hotKeys_{};
    bool ended_ = false;
    int exitCode_ = 0;
};

} // namespace lm
