// The running processes as the window search and the executors see them: the platform family, the
// executable image and the integrity level of a process, and the process snapshot of the older
// platform family.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace lm {

// Platform families of the version information.
enum class PlatformFamily { Other = 0, Windows9x = 1, NT = 2 };

// Mandatory integrity levels (the last part of a process's integrity label). A program that runs as
// administrator has the high level; the system refuses input and window messages from a process of a
// lower level.
enum : uint32_t {
    kIntegrityLow = 0x1000,
    kIntegrityMedium = 0x2000,
    kIntegrityHigh = 0x3000,
    kIntegritySystem = 0x4000,
};

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
    // The integrity level of the process, or of this process for ID 0. False when the process or its
    // token cannot be opened for the query (the level is then 0).
    virtual bool IntegrityLevel(uint32_t processId, uint32_t& level) = 0;
};

IProcesses& NativeProcesses();

} // namespace lm
