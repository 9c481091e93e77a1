// Runs one command: keystrokes, messages to controls, window commands, and the system commands of
// power, volume, mouse clicks and pointer shape.
#pragma once
#include "cmdset/WinCmd.h"
#include "exec/FindWindow.h"
#include "exec/PowerCommand.h"
#include "exec/ShutdownWarning.h"
#include "platform/Audio.h"
#include "platform/Desktop.h"
#include "platform/Power.h"
#include "platform/Sync.h"
#include "support/Strings.h"

#include <cstdint>
#include <memory>
#include <string>

namespace lm {

// What the executors need of an application record: the command set's executable (file name), the
// full path of the executable, the caption of its main window and its command line.
struct tagAPPREF {
    std::wstring executable;
    std::wstring appPath;
    std::wstring windowCaption;
    std::wstring commandLine;
};

struct ExecServices {
    IDesktop& desktop;
    IThreads& threads; // the executor's short waits use an event of these
    IAudio& audio;
    IPower& power;
    IShutdownWarning& warning;
    IStringSource& strings;
};

class CCmdExecutor {
public:
    explicit CCmdExecutor(const ExecServices& services);

    // Runs the command for the application (none: no application record). Returns 1 or 0; 0 ends the
    // handling of the key press without repetition.
    int ExecuteCommand(const tagWINCMD& command, const tagAPPREF* app);

    // The application's window, or else the foreground window (possibly none).
    WindowHandle ChooseTargetWindow(const tagWINCMD& command, const tagAPPREF* app);
    // One keyboard shortcut for the window: code is a virtual key of the name table or a character.
    void SendKeystroke(WindowHandle window, uint16_t code, bool alt, bool ctrl, bool shift);
    void ClickButton(WindowHandle top, int32_t id);
    void SelectComboBoxItem(WindowHandle top, int32_t id, int32_t index);
    void StepSlider(WindowHandle top, int32_t id, int32_t percent);
    // The window command step: 1 when there is a target window, else 0.
    int WindowCommand(const tagWINCMD& command, const tagAPPREF* app, WindowHandle target);

private:
    int SystemCommand(const tagWINCMD& command);
    void Sleep(uint32_t milliseconds);
    void Key(uint16_t vk, bool up) { desktop_.SendInput(InputRecord::Key(vk, up)); }

    ExecServices services_;
    IDesktop& desktop_;
    std::unique_ptr<IEvent> sleeper_; // never set: waits on it are the sleeps
};

// The control with that ID among the window's descendants: a direct child first (a child of it with the
// same ID taking priority), otherwise each child in stacking order, searched depth first.
WindowHandle FindDescendantWindow(IDesktop& desktop, WindowHandle parent, int32_t id);
// Posts a system command; minimise and maximise restore a window that already is in that state.
void SendSysCommand(IDesktop& desktop, WindowHandle window, uint32_t code);
// Starts the application, or brings its running window to the front without activating it. Returns 1.
int StartApplication(IDesktop& desktop, const tagAPPREF& app);

} // namespace lm
