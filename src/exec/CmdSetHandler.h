// CCmdSetHandler: turns a remote key into an action. It keeps the active command set (an application
// record and its keymap) for as long as that application's window exists, otherwise picks the first
// running application of the main menu or falls back to "Windows (Standard)"; it runs the display's own
// commands (the main menu, application info, time), moves the mouse pointer, and hands every other
// command to the executors. It also runs the on-screen main menu, whose navigation keys move through
// the ten places and start their applications.
//
// The key dispatcher calls it on its handler thread while the user-interface thread starts menu
// entries from the tray and reloads the active set after the editor saved, and two commands may run at
// the same time. No lock is held while a command runs: the active set is an immutable snapshot that
// readers take and writers replace whole (a lock guards only the exchange of the pointer), and the
// cached window, the menu-shown flag and the menu selection are atomic.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "cmdset/CmdSetAdmin.h"
#include "exec/CmdExecutor.h"
#include "exec/MouseMove.h"
#include "osd/OsdDisplay.h"
#include "platform/Timer.h"

namespace lm {

// The active command set. A published set never changes.
struct tagACTIVESET {
    tagPRGINFO record;
    CKeymap keymap;
};

struct tagHANDLERSERVICES {
    tagEXECSERVICES exec;
    ITimers& timers;                          // the mouse mover's timer
    std::function<WindowHandle()> mainWindow; // whose thread runs that timer
    IOsdDisplay* display;                     // may be null: the display commands then do nothing
    // The program's own handler empties the shared application map when it ends; a temporary handler
    // (the editor's command test) leaves it alone.
    bool releasesCatalog;
};

class CCmdSetHandler : public CCmdSetAdmin {
public:
    // The program's files (as CCmdSetAdmin), or the given ones.
    CCmdSetHandler(const tagCMDSETSERVICES& cmdsets, const tagHANDLERSERVICES& services);
    CCmdSetHandler(const tagCMDSETSERVICES& cmdsets, const tagCMDSETFILES& files,
                   const tagHANDLERSERVICES& services);
    ~CCmdSetHandler() override;

    // Runs the command of a key in the command set that applies, or the main menu's action while the
    // menu is shown. Without a window of the active application, autoSelect lets the first running
    // application of the main menu take over (Power then starts the last-used entry when none runs).
    // Returns the command's result; 0 when nothing ran.
    virtual int HandleCommandForKey(int32_t key, bool autoSelect);
    // Runs a command for the application: the display commands and mouse moves here, everything else
    // through the executor (a running mouse move stops first).
    virtual int HandleCommand(const tagWINCMD& command, const tagPRGINFO& app);
    // A keystroke of the multi-tap text input: its key code is typed as that character.
    int HandleTextCommand(const tagWINCMD& command, const tagPRGINFO& app);
    // Closes the active application's window (waiting 2 s for it to go), makes the set at the place
    // active and starts its application. 0 when the place cannot be loaded; "---" is then active.
    virtual int StartMenuEntry(int index);
    // Reads the active set again from the files by its name, after the editor changed them. 0 when the
    // record is gone (the set keeps only its name) or its keymap cannot be read ("---" is then active).
    int ReloadActiveSet();
    // Makes the set of that name in the application map active; 0 when the map has no such set.
    int ActivateSet(const std::wstring& name);
    void SetActiveSet(const tagPRGINFO& record, const CKeymap& keymap);
    std::shared_ptr<const tagACTIVESET> ActiveSet() const;

    // 1 when the window exists and belongs to the application: its process (for a Store app's frame,
    // the hosted app's) runs the record's executable and, when the record names a caption, the window
    // has that text (letter case aside).
    int IsApplicationWindow(WindowHandle window, const tagPRGINFO& app);
    // Starts the application, or raises its window without activating it.
    int StartApplicationOf(const tagPRGINFO& app);
    // The next key searches for the active application's window again instead of trusting the cache.
    void ForgetWindow() { cachedWindow_.store(kNoWindow); }
    bool MenuShown() const { return menuShown_.load() != 0; }
    // The display made after the handler (or none, before it goes).
    void AttachDisplay(IOsdDisplay* display) {
        display_.store(display);
        executor_.AttachDisplay(display);
    }
    IWindows& Windows() { return services_.exec.windows; }

    // The main-menu place last started or found running, for the whole process.
    static int LastMenuIndex() { return lastMenuIndex_.load(); }
    static void SetLastMenuIndex(int index) { lastMenuIndex_.store(index); }

    // How long StartMenuEntry gives the closed application.
    static constexpr uint32_t kCloseWaitMs = 2000;
    // How long a set whose application StartMenuEntry started keeps the keys while no window of it is
    // there yet; auto-select would otherwise hand them to the first running entry (the shell's) for good.
    static constexpr uint32_t kStartingMs = 10000;

private:
    enum class MenuAction { None, Pick, Up, Down, OK, Back };
    // HandleCommand with the application's window when it is known.
    int RunCommand(const tagWINCMD& command, const tagPRGINFO& app, WindowHandle appWindow);
    static MenuAction MenuActionOf(int32_t key, int& entry);
    int MenuKey(int32_t key);
    void PickMenuEntry(int index);
    void HideMenu();
    void StopMouseMove();
    int DisplayCommand(const tagWINCMD& command, const tagPRGINFO& app);
    void ShowMainMenu(IOsdDisplay& display, const tagPRGINFO& active);
    WindowHandle FindApplicationWindow(const tagPRGINFO& app);
    // The first main-menu place whose application has a window becomes active (and `chosen`); its
    // window, or none.
    WindowHandle SelectRunningMenuEntry(std::shared_ptr<const tagACTIVESET>& chosen);
    void Publish(std::shared_ptr<const tagACTIVESET> set);
    // The set's application was started by StartMenuEntry less than kStartingMs ago.
    bool Starting(const std::shared_ptr<const tagACTIVESET>& set);
    void Publish(const tagPRGINFO& record, const CKeymap& keymap);

    tagHANDLERSERVICES services_;
    CCmdExecutor executor_;
    mutable std::mutex setLock_; // held only to copy or replace the pointer
    std::shared_ptr<const tagACTIVESET> active_;
    std::atomic<WindowHandle> cachedWindow_{kNoWindow};
    std::atomic<int32_t> menuShown_{0};
    std::atomic<int32_t> menuSelection_{-1};
    std::mutex moverLock_;
    CWinMouseMove mover_;
    std::unique_ptr<IEvent> sleeper_;            // never set: the wait after closing a window
    std::weak_ptr<const tagACTIVESET> starting_; // the set StartMenuEntry started last (setLock_)
    uint32_t startedAt_ = 0;                     // and when (setLock_)
    std::atomic<IOsdDisplay*> display_;

    static std::atomic<int> lastMenuIndex_;
};

} // namespace lm
