#include "exec/ElevatedTarget.h"

#include "base/Path.h"
#include "base/Text.h"
#include "exec/FindWindow.h"

namespace lm {

bool CElevatedTargets::IsRefused(WindowHandle window) {
    const uint32_t processId = windows_.WindowProcessId(window);
    uint32_t own = 0, target = 0;
    if (processId == 0 || !processes_.IntegrityLevel(0, own) || !processes_.IntegrityLevel(processId, target))
        return false;
    return target > own;
}

std::wstring CElevatedTargets::ExecutableName(WindowHandle window) {
    return PathFileName(WindowExecutablePath(windows_, processes_, window));
}

bool CElevatedTargets::FirstNotice(const std::wstring& executable) {
    std::lock_guard lock(lock_);
    return noticed_.insert(TextToLower(executable)).second;
}

} // namespace lm
