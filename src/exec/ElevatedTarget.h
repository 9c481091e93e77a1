// Programs that run as administrator. The system refuses keyboard input and window messages from a
// program to the windows of a program at a higher integrity level and says nothing: the keys and
// control commands are simply lost. The executors ask here before they send, so that such a command
// is reported as not carried out and the user learns why, once per application.
#pragma once
#include "platform/Desktop.h"
#include "platform/Processes.h"

#include <mutex>
#include <set>
#include <string>

namespace lm {

class CElevatedTargets {
public:
    CElevatedTargets(IWindows& windows, IProcesses& processes) : windows_(windows), processes_(processes) {}

    // True when the window's process runs at a higher integrity level than this process. A level that
    // cannot be read counts as not higher: the input is then sent as before.
    bool IsRefused(WindowHandle window);
    // The file name of the executable the window stands for (a Store app's rather than its frame
    // host's); empty when it cannot be read.
    std::wstring ExecutableName(WindowHandle window);
    // True the first time it is asked for an executable (letter case aside), false afterwards. Any
    // thread may ask.
    bool FirstNotice(const std::wstring& executable);

private:
    IWindows& windows_;
    IProcesses& processes_;
    std::mutex lock_;
    std::set<std::wstring> noticed_; // lower case
};

} // namespace lm
