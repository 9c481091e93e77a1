// Runs one command: keystrokes, messages to controls, window commands, and the system commands of
// power, volume, mouse clicks and pointer shape.
#pragma once
#include "cmdset/PrgInfo.h"
#include "cmdset/WinCmd.h"
#include "exec/ElevatedTarget.h"
#include "exec/FindWindow.h"
#include "exec/PowerCommand.h"
#include "exec/ShutdownWarning.h"
#include "osd/OsdDisplay.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Input.h"
#include "platform/Power.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "platform/Sync.h"
#include "support/Strings.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace lm {

// The display's notice that a program runs as administrator; "%ls" is its executable's file name.
constexpr uint32_t kIdsElevatedTarget = 1004;

struct tagEXECSERVICES {
    IWindows& windows;
    IInput& input;
    IProcesses& processes;
    IShell& shell;
    IClock& clock;
    IThreads& threads; // the executor's short waits use an event of these
    IAudio& audio;
    IPower& power;
    IShutdownWarning& warning;
    IStringSource& strings;
};

class CCmdExecutor {
public:
    explicit CCmdExecutor(const tagEXECSERVICES& services);

    // Runs the command for the application (none: no application record). Returns 1 or 0; 0 ends the
    // handling of the key press without repetition. `appWindow` is the application's window when the
    // caller knows it already; a command without a caption of its own then needs no window search.
    // Keystrokes, control and window commands for a window of a program that runs as administrator
    // (above this program's integrity level) are not sent, since the system would drop them: the result
    // is 0, the refusal is traced and, the first time for that program, shown on the display.
    int ExecuteCommand(const tagWINCMD& command, const tagPRGINFO* app, WindowHandle appWindow = kNoWindow);
    // The entry of the multi-tap text input: a keystroke command whose key code is a character to type
    // as that character, whatever virtual key shares its code ("." stays a full stop, "a" a letter a).
    // Modifier bits are ignored. 1 when there was a window to type into, else 0.
    int ExecuteTextCommand(const tagWINCMD& command, const tagPRGINFO* app,
                           WindowHandle appWindow = kNoWindow);

    // The application's window, or else the foreground window (possibly none).
    WindowHandle ChooseTargetWindow(const tagWINCMD& command, const tagPRGINFO* app,
                                    WindowHandle appWindow = kNoWindow);
    // One keyboard shortcut of a stored command for the window: a code whose low byte is a virtual key
    // of the name table is sent as that key, any other code as the key that types that character.
    void SendKeystroke(WindowHandle window, uint16_t code, bool alt, bool ctrl, bool shift);
    // Types one character (a UTF-16 unit) into the window as text.
    void TypeCharacter(WindowHandle window, uint16_t character);
    void ClickButton(WindowHandle top, int32_t id);
    void SelectComboBoxItem(WindowHandle top, int32_t id, int32_t index);
    void StepSlider(WindowHandle top, int32_t id, int32_t percent);
    // The window command step: 1 when there is a target window, else 0.
    int WindowCommand(const tagWINCMD& command, const tagPRGINFO* app, WindowHandle target);

    // The display for the notice about programs that run as administrator (none: no notice).
    void AttachDisplay(IOsdDisplay* display) { display_.store(display); }
    // False, after the trace and the notice, when the system refuses input to the window (above).
    bool Reachable(WindowHandle target);

    // How long a keystroke waits for its window to come to the front.
    static constexpr uint32_t kForegroundWaitMs = 50;

private:
    int SystemCommand(const tagWINCMD& command);
    // The application's own window by the command's or the application's caption and executable.
    WindowHandle ApplicationWindow(const tagWINCMD& command, const tagPRGINFO* app, WindowHandle appWindow);
    // The target of a keystroke: the chosen window, or the enabled modal dialog it shows.
    WindowHandle KeyTarget(const tagWINCMD& command, const tagPRGINFO* app, WindowHandle appWindow);
    // False when there is no such window.
    bool BringToFront(WindowHandle window);
    void Sleep(uint32_t milliseconds);
    void Key(uint16_t vk, bool up) { input_.SendInput(tagINPUTRECORD::Key(vk, up)); }

    tagEXECSERVICES services_;
    IWindows& windows_;
    IInput& input_;
    std::unique_ptr<IEvent> sleeper_; // never set: waits on it are the sleeps
    CElevatedTargets elevated_;
    std::atomic<IOsdDisplay*> display_{nullptr};
};

// The control with that ID among the window's descendants: a direct child first (a child of it with the
// same ID taking priority), otherwise each child in stacking order, searched depth first.
WindowHandle FindDescendantWindow(IWindows& windows, WindowHandle parent, int32_t id);
// Posts a system command; minimise and maximise restore a window that already is in that state. After
// maximising, the pointer is parked in the lower right corner and hidden.
void SendSysCommand(IWindows& windows, IInput& input, WindowHandle window, uint32_t code);
// Starts the application, or brings its running window to the front without activating it. Returns 1.
int StartApplication(IWindows& windows, IProcesses& processes, IShell& shell, const tagPRGINFO& app);

} // namespace lm
