// Finding an application's main window from its caption and the file name of its executable.
#pragma once
#include "platform/Desktop.h"
#include "platform/Processes.h"

#include <cstdint>
#include <string>
#include <unordered_map>

// windows.h makes FindWindow a macro; Windows-only files may include it before or after this header.
#ifdef FindWindow
#undef FindWindow
#endif

namespace lm {

constexpr size_t kWindowTextChars = 260;

// Store apps run in a window frame that belongs to this process; the app's own window is a child of the
// frame.
constexpr const wchar_t* kFrameHostExecutable = L"applicationframehost.exe";

// The process that a window stands for: the window's own, or for a Store app's frame the process of its
// hosted child (the first child of another process). A frame without a hosted child (a suspended or
// minimised app) stays the frame host's. 0 when the window has no process.
uint32_t WindowApplicationProcess(IWindows& windows, IProcesses& processes, WindowHandle window);
// The full path of the executable that the window stands for, as above; empty when the process cannot
// be opened or its name read. Whoever detects an application's executable from its window asks here.
std::wstring WindowExecutablePath(IWindows& windows, IProcesses& processes, WindowHandle window);

// The window of an application, by caption and executable.
class CLMFindWindow {
public:
    CLMFindWindow(IWindows& windows, IProcesses& processes) : windows_(windows), processes_(processes) {}

    // Either clue may be empty (not both). Hidden windows are found only by an exact title or with
    // includeInvisible. The search prefers, in this order: (1) a window whose caption contains the
    // caption, of the executable; (2) a window whose caption equals it; (3) one whose caption contains
    // it; (4) a window of the executable that has a caption; (5) any window of the executable. Only the
    // first listed window of a process counts as the executable's, and the list leaves out owned
    // windows, windows of the class kExcludedClass and, without includeInvisible, hidden ones.
    WindowHandle FindWindow(const std::wstring& caption, const std::wstring& executable,
                            bool includeInvisible);

    // The search record of one call.
    struct tagSearch {
        WindowHandle result = kNoWindow;
        std::wstring executable; // lower case
        int32_t hasExecutable = 0;
        std::wstring caption; // lower case
        int32_t hasCaption = 0;
        int32_t captionRequired = 0;
    };

    // The class of windows the enumeration route never returns.
    static constexpr const wchar_t* kExcludedClass = L"AFX:400000:8:10011:0:2ed014d";

private:
    WindowHandle FindWindowNT(const tagSearch& search, bool includeInvisible);
    bool Listed(WindowHandle window, bool includeInvisible);
    // The lower-case executable of the process, asked of the system once per search.
    const std::wstring& ProcessPath(uint32_t processId);
    // The window's process, or the hosted app's for a Store app's frame.
    uint32_t ApplicationProcess(WindowHandle window);
    // The walk over the windows' creating modules, for the older platform family.
    WindowHandle FindWindow98(tagSearch& search);
    void Walk98(tagSearch& search);
    bool Visit98(tagSearch& search, WindowHandle window);

    IWindows& windows_;
    IProcesses& processes_;
    PlatformFamily family_ = PlatformFamily::NT;
    std::unordered_map<uint32_t, std::wstring> paths_;
    bool snapshotTaken_ = false;
};

} // namespace lm
