#include "exec/FindWindow.h"

#include "base/Text.h"

#include "support/LMDebug.h"

#include <cwctype>
#include <optional>
#include <unordered_map>

namespace lm {

namespace {
constexpr uint32_t kFindContext = 32;
constexpr size_t kClassChars = 260;
} // namespace

// ---------------------------------------------------------------------------------------------------------
// CEnumWinModules

bool CEnumWinModules::Passes(WindowHandle window) {
    if ((filter_ & kEnumVisibleOnly) && !desktop_.IsVisible(window))
        return false;
    if (!(filter_ & kEnumVisibleOnly) && (filter_ & kEnumInvisibleOnly) && desktop_.IsVisible(window))
        return false;
    if ((filter_ & kEnumUnownedOnly) && desktop_.Parent(window) != kNoWindow)
        return false;
    if (!(filter_ & kEnumUnownedOnly) && (filter_ & kEnumOwnedOnly) && desktop_.Parent(window) == kNoWindow)
        return false;
    return true;
}

int CEnumWinModules::Enumerate(uint32_t filter) {
    filter_ = filter;
    windows_.clear();

    desktop_.EnumTopLevelWindows([this](WindowHandle window) {
        if (!Passes(window))
            return true;
        std::wstring className = desktop_.ClassName(window, kClassChars);
        if (filter_ & kEnumSkipExcludedClasses) {
            for (const std::wstring& excluded : excludedClasses_)
                if (className == excluded)
                    return true;
        }
        tagWindowInfo info;
        info.className = std::move(className);
        info.processId = desktop_.WindowProcessId(window);
        info.window = window;
        windows_.push_back(std::move(info));
        return true;
    });

    switch (desktop_.Family()) {
    case PlatformFamily::NT:
        return MapProcessesNT();
    case PlatformFamily::Windows9x:
        return MapProcesses9x();
    default:
        return 0;
    }
}

ptrdiff_t CEnumWinModules::FirstEntryOf(uint32_t processId) const {
    for (size_t i = 0; i < windows_.size(); ++i)
        if (windows_[i].processId == processId)
            return static_cast<ptrdiff_t>(i);
    return -1;
}

int CEnumWinModules::MapProcessesNT() {
    std::unique_ptr<IProcessStatus> psapi = desktop_.LoadProcessStatus();
    if (!psapi)
        return 0;
    // First entry per process, so each listed process costs one look-up.
    std::unordered_map<uint32_t, size_t> firstEntry;
    for (size_t i = 0; i < windows_.size(); ++i)
        firstEntry.emplace(windows_[i].processId, i);
    for (uint32_t processId : psapi->ListProcesses()) {
        auto it = firstEntry.find(processId);
        if (it == firstEntry.end())
            continue;
        std::wstring path;
        if (psapi->FirstModulePath(processId, path))
            windows_[it->second].modulePath = path.substr(0, kWindowTextChars);
    }
    return 1;
}

int CEnumWinModules::MapProcesses9x() {
    std::unique_ptr<IToolHelp> toolHelp = desktop_.LoadToolHelp();
    if (!toolHelp)
        return 0;
    std::vector<ProcessEntry> processes;
    if (!toolHelp->SnapshotProcesses(processes))
        return 0;
    for (const ProcessEntry& process : processes) {
        ptrdiff_t index = FirstEntryOf(process.processId);
        if (index >= 0)
            windows_[static_cast<size_t>(index)].modulePath = process.exeFile.substr(0, kWindowTextChars);
    }
    return 1;
}

std::wstring CEnumWinModules::GetWindowCaption(size_t index) {
    return desktop_.WindowText(windows_.at(index).window, kWindowTextChars);
}

// ---------------------------------------------------------------------------------------------------------
// CLMFindWindow

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
        WindowHandle byTitle = desktop_.FindTopLevelWindow(caption);
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

    if (WindowHandle found = FindWindowNT(search, includeInvisible)) {
        TraceMessage(kTraceDetail, kFindContext, L"CLMFindWindow::FindWindow() - FindWindowNT\n");
        return found;
    }
    if (WindowHandle found = FindWindow98(search)) {
        TraceMessage(kTraceDetail, kFindContext, L"CLMFindWindow::FindWindow() - FindWindow98\n");
        return found;
    }
    TraceMessage(kTraceDetail, kFindContext, L"CLMFindWindow::FindWindow() - NULL\n");
    return kNoWindow;
}

WindowHandle CLMFindWindow::FindWindowNT(const tagSearch& search, bool includeInvisible) {
    CEnumWinModules modules(desktop_);
    modules.AddExcludedClass(kExcludedClass);
    modules.Enumerate(includeInvisible ? kEnumUnownedOnly | kEnumSkipExcludedClasses
                                       : kEnumVisibleOnly | kEnumUnownedOnly | kEnumSkipExcludedClasses);

    const size_t count = modules.GetCount();
    // Captions are read from the windows when a rule first needs them.
    std::vector<std::optional<std::wstring>> captions(count);
    auto captionOf = [&](size_t i) -> const std::wstring& {
        if (!captions[i])
            captions[i] = TextToLower(modules.GetWindowCaption(i));
        return *captions[i];
    };
    std::vector<std::wstring> paths(count);
    for (size_t i = 0; i < count; ++i)
        paths[i] = TextToLower(modules.GetModulePath(i));
    auto pathHasExe = [&](size_t i) { return paths[i].find(search.executable) != std::wstring::npos; };

    auto firstMatch = [&](auto&& rule) -> WindowHandle {
        for (size_t i = 0; i < count; ++i)
            if (rule(i))
                return modules.GetInfo(i).window;
        return kNoWindow;
    };

    const bool hasCaption = search.hasCaption != 0;
    const bool hasExe = search.hasExecutable != 0;
    WindowHandle found = kNoWindow;
    if (hasCaption && hasExe)
        found = firstMatch([&](size_t i) {
            return pathHasExe(i) && captionOf(i).find(search.caption) != std::wstring::npos;
        });
    if (!found && hasCaption)
        found = firstMatch([&](size_t i) { return captionOf(i) == search.caption; });
    if (!found && hasCaption)
        found = firstMatch([&](size_t i) { return captionOf(i).find(search.caption) != std::wstring::npos; });
    if (!found && hasExe)
        found = firstMatch([&](size_t i) { return pathHasExe(i) && !captionOf(i).empty(); });
    if (!found && hasExe)
        found = firstMatch([&](size_t i) { return pathHasExe(i); });
    return found;
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
    desktop_.EnumTopLevelWindows([&](WindowHandle window) { return Visit98(search, window); });
}

// Returns false to stop the walk.
bool CLMFindWindow::Visit98(tagSearch& search, WindowHandle window) {
    search.result = kNoWindow;
    if (!desktop_.IsEnabled(window) || !desktop_.IsVisible(window))
        return true;
    std::wstring caption = TextToLower(desktop_.WindowText(window, kWindowTextChars));
    if (search.hasCaption == 1 && caption.empty())
        return true;
    std::wstring module = TextToLower(desktop_.WindowModuleFileName(window, kWindowTextChars));
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
