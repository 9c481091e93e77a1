#include "exec/PowerCommand.h"

#include "support/LMDebug.h"

namespace lm {

bool PowerCommand(tagPOWERSERVICES& s, int32_t action) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"PowerCommand", L"%d", action);
    if (action == 0) {
        s.windows.PostMsg(s.windows.DesktopWindow(), kWmSysCommand, kScScreenSave, kScScreenSave);
        return true;
    }
    // Only an expired count-down or OK goes on: a warning that could not be shown must not end in a
    // shutdown nobody was warned of.
    int32_t answer = s.warning.Run(kShutdownSeconds);
    if (answer != kDialogOk) {
        LM_TRACE(kTraceInfo, L"PowerCommand() - cancelled (%d)\n", answer);
        return true;
    }

    bool done = false;
    if (s.processes.Family() == PlatformFamily::NT && !s.power.EnableShutdownPrivilege()) {
        LM_TRACE(kTraceErr, L"PowerCommand() - no shutdown privilege\n");
    } else {
        switch (action) {
        case 1:
            done = s.power.SetSystemPowerState(true, false);
            break;
        case 2:
            done = s.power.SetSystemPowerState(false, false);
            break;
        case 3:
            done = s.power.ExitSession(kExitPowerOff, 0);
            break;
        default:
            return true; // no such action: nothing more happens
        }
    }
    if (done)
        return true;

    LM_TRACE(kTraceErr, L"PowerCommand() - action %d failed\n", action);
    std::wstring text =
        s.strings.Text(kIdsShutdownFailed, L"ERROR: Shutdown failed.\nUse Ctrl+Alt+Del to restart.");
    s.shell.WarningBox(text, s.strings.Text(kIdsWarningCaption, L"Warning"));
    return false;
}

} // namespace lm
