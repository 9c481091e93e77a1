#include "exec/FindWindow.h"

#include "base/Path.h"
#include "base/Text.h"

#include "support/LMDebug.h"

#include <unordered_set>

namespace lm {

namespace {
constexpr uint32_t kFindContext = 32;
constexpr size_t kClassChars = 260;
bool IsFrameHost(const std::wstring& path) {
    return SameText(PathFileName(path), kFrameHostExecutable);
}

// The first child window of another process than the frame's.
uint32_t HostedProcess(IWindows& windows, WindowHandle frame, uint32_t frameProcess) {
    for (WindowHandle child : windows.Children(frame)) {
        const uint32_t processId = windows.WindowProcessId(child);
        if (processId != 0 && processId != frameProcess)
            return processId;
    }
    return frameProcess;
}

} // namespace

uint32_t WindowApplicationProcess(IWindows& windows, IProcesses& processes, WindowHandle window) {
    const uint32_t processId = windows.WindowProcessId(window);
    std::wstring path;
    if (processId == 0 || !processes.ImagePath(processId, path) || !IsFrameHost(path))
        return processId;
    return HostedProcess(windows, window, processId);
}

std::wstring WindowExecutablePath(IWindows& windows, IProcesses& processes, WindowHandle window) {
    std::wstring path;
    const uint32_t processId = WindowApplicationProcess(windows, processes, window);
    if (processId == 0 || !processes.ImagePath(processId, path))
        path.clear();
    return path;
}

WindowHandle CLMFindWindow::FindWindow(const std::wstring& caption, const std::wstring& executable,
                                       bool includeInvisible) {
    static const wchar_t* const kScope = L"CLMFindWindow::FindWindowW";
    CLMTraceScope scope(kTraceDetail, kFindContext, kScope);
    TraceMessage(kTraceDetail, kFindContext, L"%ls(%ls,%ls,%ls)\n", kScope, caption.c_str(),
                 executable.c_str(), includeInvisible ? L"TRUE" : L"FALSE");

    if (caption.empty() && executable.empty()) {
        TraceMessage(kTraceErr, kFindContext, L"%ls() - Invalid parameters\n", kScope);
        return kNoWindow;
    }

    if (!caption.empty()) {
        WindowHandle byTitle = windows_.FindTopLevelWindow(caption);
        if (byTitle != kNoWindow) {
            TraceMessage(kTraceDetail, kFindContext, L"%ls() - found by caption\n", kScope);
            return byTitle;
        }
    }

    tagSearch search;
    if (!executable.empty()) {
        search.executable = TextToLower(executable);
        search.hasExecutable = 1;
    }
    if (!caption.empty()) {
        search.caption = TextToLower(caption);
        search.hasCaption = 1;
        if (executable.size() < 5) {
            TraceMessage(kTraceWrn, kFindContext, L"CLMFindWindow::FindWindow() - Not a valid file name\n");
            return kNoWindow;
        }
    }

    family_ = processes_.Family();
    paths_.clear();
    snapshotTaken_ = false;
    if (WindowHandle found = FindWindowNT(search, includeInvisible)) {
        TraceMessage(kTraceDetail, kFindContext, L"CLMFindWindow::FindWindow() - FindWindowNT\n");
        return found;
    }
    // The walk over the creating modules sees only the calling process's windows on the NT family.
    if (family_ != PlatformFamily::NT) {
        if (WindowHandle found = FindWindow98(search)) {
            TraceMessage(kTraceDetail, kFindContext, L"CLMFindWindow::FindWindow() - FindWindow98\n");
            return found;
        }
    }
    TraceMessage(kTraceDetail, kFindContext, L"CLMFindWindow::FindWindow() - NULL\n");
    return kNoWindow;
}

const std::wstring& CLMFindWindow::ProcessPath(uint32_t processId) {
    if (family_ == PlatformFamily::Windows9x && !snapshotTaken_) {
        snapshotTaken_ = true;
        std::vector<tagPROCESSENTRY> snapshot;
        if (processes_.SnapshotProcesses(snapshot))
            for (const tagPROCESSENTRY& process : snapshot)
                paths_.emplace(process.processId, TextToLower(process.exeFile.substr(0, kWindowTextChars)));
    }
    auto it = paths_.find(processId);
    if (it != paths_.end())
        return it->second;
    std::wstring path;
    if (family_ != PlatformFamily::NT || !processes_.ImagePath(processId, path))
        path.clear();
    return paths_.emplace(processId, TextToLower(path.substr(0, kWindowTextChars))).first->second;
}

uint32_t CLMFindWindow::ApplicationProcess(WindowHandle window) {
    const uint32_t processId = windows_.WindowProcessId(window);
    return IsFrameHost(ProcessPath(processId)) ? HostedProcess(windows_, window, processId) : processId;
}

bool CLMFindWindow::Listed(WindowHandle window, bool includeInvisible) {
    return (includeInvisible || windows_.IsVisible(window)) && windows_.Parent(window) == kNoWindow &&
           windows_.ClassName(window, kClassChars) != kExcludedClass;
}

// One walk over the top-level windows. The process of a window is looked at first: the style and class
// checks that decide whether the window is listed are made only for windows that a rule could pick,
// the first window of a process of the executable and windows whose caption contains the caption.
WindowHandle CLMFindWindow::FindWindowNT(const tagSearch& search, bool includeInvisible) {
    const bool hasCaption = search.hasCaption != 0;
    const bool hasExe = search.hasExecutable != 0;
    WindowHandle rule[5] = {};
    std::unordered_set<uint32_t> firstListed; // processes of the executable whose first window was seen
    windows_.EnumTopLevelWindows([&](WindowHandle window) {
        // A Store app's frame counts as a window of the app it hosts.
        const uint32_t processId = hasExe ? ApplicationProcess(window) : windows_.WindowProcessId(window);
        const bool exeWindow = hasExe && !firstListed.count(processId) &&
                               ProcessPath(processId).find(search.executable) != std::wstring::npos;
        std::wstring caption;
        bool captionRead = false;
        bool containsCaption = false;
        if (hasCaption) {
            caption = TextToLower(windows_.WindowText(window, kWindowTextChars));
            captionRead = true;
            containsCaption = caption.find(search.caption) != std::wstring::npos;
        }
        if ((!exeWindow && !containsCaption) || !Listed(window, includeInvisible))
            return true;
        if (exeWindow) {
            firstListed.insert(processId);
            if (containsCaption) {
                rule[0] = window; // nothing beats the first window of rule 1
                return false;
            }
            if (!captionRead)
                caption = TextToLower(windows_.WindowText(window, kWindowTextChars));
            if (!rule[3] && !caption.empty())
                rule[3] = window;
            if (!rule[4])
                rule[4] = window;
        }
        if (containsCaption) {
            if (!rule[1] && caption == search.caption)
                rule[1] = window;
            if (!rule[2])
                rule[2] = window;
        }
        // Without a caption the first window of rule 4 is the answer.
        return hasCaption || !rule[3];
    });
    for (WindowHandle found : rule)
        if (found)
            return found;
    return kNoWindow;
}

WindowHandle CLMFindWindow::FindWindow98(tagSearch& search) {
    if (search.hasCaption == 1) {
        Walk98(search);
        if (search.result == kNoWindow) {
            search.hasCaption = 0;
            Walk98(search);
        }
    } else {
        search.captionRequired = 1;
        Walk98(search);
        if (search.result == kNoWindow) {
            search.captionRequired = 0;
            Walk98(search);
        }
    }
    return search.result;
}

void CLMFindWindow::Walk98(tagSearch& search) {
    search.result = kNoWindow;
    windows_.EnumTopLevelWindows([&](WindowHandle window) { return Visit98(search, window); });
}

// Returns false to stop the walk.
bool CLMFindWindow::Visit98(tagSearch& search, WindowHandle window) {
    search.result = kNoWindow;
    if (!windows_.IsEnabled(window) || !windows_.IsVisible(window))
        return true;
    std::wstring caption = TextToLower(windows_.WindowText(window, kWindowTextChars));
    if (search.hasCaption == 1 && caption.empty())
        return true;
    std::wstring module = TextToLower(windows_.WindowModuleFileName(window, kWindowTextChars));
    if (search.hasExecutable == 1 && module.empty())
        return true;
    // The executable counts only after the module name's first character: a full path given as
    // executable never matches here.
    size_t at = module.find(search.executable);
    bool moduleMatches = at != std::wstring::npos && at > 0;
    if (search.hasCaption == 1) {
        if (caption.find(search.caption) != std::wstring::npos && moduleMatches) {
            search.result = window;
            return false;
        }
        return true;
    }
    if (!moduleMatches)
        return true;
    if (search.captionRequired == 1 && caption.empty())
        return true;
    search.result = window;
    return false;
}

} // namespace lm
