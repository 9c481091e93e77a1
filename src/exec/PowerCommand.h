// Screen saver, standby, hibernation and shutdown.
#pragma once
#include "exec/ShutdownWarning.h"
#include "platform/Desktop.h"
#include "platform/Power.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "support/Strings.h"

#include <cstdint>

namespace lm {

// String IDs of the power command's texts.
enum : uint32_t {
    kIdsShutdownTitle = 54351,  // "Shutdown"
    kIdsShutdownText = 1002,    // the warning's static text: "About to shutdown ... "
    kIdsShutdownFailed = 1003,  // "ERROR: Shutdown failed.\nUse Ctrl+Alt+Del to restart."
    kIdsWarningCaption = 54592, // "Warning"
};

struct tagPOWERSERVICES {
    IWindows& windows;
    IProcesses& processes; // the platform family
    IShell& shell;         // the warning box
    IPower& power;
    IShutdownWarning& warning;
    IStringSource& strings;
};

// Action 0 starts the screen saver at once; 1 standby, 2 hibernate and 3 shutdown follow the warning.
// Returns true when the action was carried out or cancelled, false when it failed (the user then sees
// a warning box).
bool PowerCommand(tagPOWERSERVICES& services, int32_t action);

} // namespace lm
