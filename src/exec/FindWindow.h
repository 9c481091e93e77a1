// Finding an application's main window from its caption and the file name of its executable.
#pragma once
#include "platform/Desktop.h"

#include <cstdint>
#include <string>
#include <vector>

// windows.h makes FindWindow a macro; Windows-only files may include it before or after this header.
#ifdef FindWindow
#undef FindWindow
#endif

namespace lm {

constexpr size_t kWindowTextChars = 260;

// One listed top-level window.
struct tagWindowInfo {
    std::wstring text;       // stays empty: captions are read from the window when needed
    std::wstring className;  // up to 260 characters
    std::wstring modulePath; // executable of the window's process; only on its process's first entry
    uint32_t processId = 0;
    WindowHandle window = kNoWindow;
};

// Filter bits of CEnumWinModules::Enumerate.
enum : uint32_t {
    kEnumVisibleOnly = 1,
    kEnumInvisibleOnly = 2, // only when bit 1 is clear
    kEnumUnownedOnly = 4,
    kEnumOwnedOnly = 8, // only when bit 4 is clear
    kEnumSkipExcludedClasses = 16,
};

// The top-level windows in the platform's order, each process's first window carrying the path of the
// process's executable.
class CEnumWinModules {
public:
    explicit CEnumWinModules(IDesktop& desktop) : desktop_(desktop) {}
    virtual ~CEnumWinModules() = default;

    void AddExcludedClass(const std::wstring& className) { excludedClasses_.push_back(className); }
    // Lists the windows that pass the filter and maps their processes to executables. Returns 1 when the
    // process mapping succeeded, 0 otherwise; the window list is filled in either case.
    int Enumerate(uint32_t filter);

    size_t GetCount() const { return windows_.size(); }
    const tagWindowInfo& GetInfo(size_t index) const { return windows_.at(index); }
    // The entry's current window text, read from the window now (at most 260 characters).
    std::wstring GetWindowCaption(size_t index);
    const std::wstring& GetModulePath(size_t index) const { return windows_.at(index).modulePath; }

private:
    bool Passes(WindowHandle window);
    int MapProcessesNT();
    int MapProcesses9x();
    // Index of the first entry of the process, or -1.
    ptrdiff_t FirstEntryOf(uint32_t processId) const;

    IDesktop& desktop_;
    std::vector<tagWindowInfo> windows_;
    std::vector<std::wstring> excludedClasses_;
    uint32_t filter_ = 0;
};

// The window of an application, by caption and executable.
class CLMFindWindow {
public:
    explicit CLMFindWindow(IDesktop& desktop) : desktop_(desktop) {}

    // Either clue may be empty (not both). Hidden windows are found only by an exact title or with
    // includeInvisible.
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
    WindowHandle FindWindow98(tagSearch& search);
    void Walk98(tagSearch& search);
    bool Visit98(tagSearch& search, WindowHandle window);

    IDesktop& desktop_;
};

} // namespace lm
