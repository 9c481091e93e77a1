// The running processes as the window search sees them: the platform family, the executable image
// of a process, and the process snapshot of the older platform family.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace lm {

// Platform families of the version information.
enum class PlatformFamily { Other = 0, Windows9x = 1, NT = 2 };

// One process of a snapshot.
struct tagPROCESSENTRY {
    uint32_t processId = 0;
    std::wstring exeFile; // file name of the executable
};

class IProcesses {
public:
    virtual ~IProcesses() = default;
    virtual PlatformFamily Family() = 0;
    // The full path of the process's executable image (NT family). False when the process cannot be
    // opened for the query; the path is empty when the name cannot be read.
    virtual bool ImagePath(uint32_t processId, std::wstring& path) = 0;
    // Every process with its executable's file name (the ToolHelp snapshot of the older family); false
    // when no snapshot could be taken.
    virtual bool SnapshotProcesses(std::vector<tagPROCESSENTRY>& processes) = 0;
};

IProcesses& NativeProcesses();

} // namespace lm
