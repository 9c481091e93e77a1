// Tracing on Windows: the named block is shared by the processes of the product, and the program's
// trace can be routed to a log file from outside.
#include "WinTestSupport.h"

#include "support/LMDebug.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

using namespace wintest;

constexpr size_t kProcessRecordSize = 100912;

// Process ids of the records in use, read straight from the shared block.
std::vector<DWORD> AttachedProcesses() {
    std::vector<DWORD> pids;
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, L"LMDEBUG_PROCESS_CACHE_VERSION_02");
    if (!mapping)
        return pids;
    auto* base = static_cast<const unsigned char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    if (base) {
        for (int i = 0; i < 32; ++i) {
            DWORD pid = *reinterpret_cast<const DWORD*>(base + i * kProcessRecordSize + 4);
            if (pid)
                pids.push_back(pid);
        }
        UnmapViewOfFile(base);
    }
    CloseHandle(mapping);
    return pids;
}

bool Contains(const std::vector<DWORD>& v, DWORD x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

TEST(TraceWin, ProgramAndTestShareTheBlockAndTheProgramLogsToAFile) {
    CLMTraceProcess self(3);
    ASSERT_TRUE(Contains(AttachedProcesses(), GetCurrentProcessId()));

    const std::wstring log = NewTempDir(L"trace") + L"\\remote.log";
    ChildProcess program;
    ASSERT_TRUE(program.Start(BinDir() + L"\\RemoteControl.exe", L"-edit", L"LMDEBUG",
                              L"level=5;targets=file;file=" + log));
    HWND main = program.WaitForWindow(L"#32770");
    ASSERT_NE(main, nullptr);
    wchar_t title[128];
    GetWindowTextW(main, title, 128);
    EXPECT_STREQ(title, L"Lumora Remote Control Editor");
    EXPECT_TRUE(Contains(AttachedProcesses(), GetCurrentProcessId()));
    EXPECT_TRUE(Contains(AttachedProcesses(), program.Id()));

    PostMessageW(main, WM_HOTKEY, 43819, 0); // Ctrl+Alt+Shift+X
    EXPECT_EQ(program.WaitExit(10000), 0x1111u);
    // The program's first run stored its settings and autostart entry; they go with the test.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Lumora\\Remote Control");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                       L"Remote Control Editor");
    // Its record is given back; ours stays.
    std::vector<DWORD> after = AttachedProcesses();
    EXPECT_FALSE(Contains(after, program.Id()));
    EXPECT_TRUE(Contains(after, GetCurrentProcessId()));

    std::string text = ReadFile(log);
    EXPECT_NE(text.find("Logfile       = " + std::string(log.begin(), log.end())), std::string::npos) << text;
    for (const char* line : {"MSG --- LMDEBUG ---", "Debug level   = 5",
                             "MSG Lumora Remote Control 1.0.0.1 starting", "MSG Lumora Remote Control ends"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

TEST(TraceWin, LogFileTargetAppendsLinesWithThePrefix) {
    CLMTraceProcess self(3);
    std::wstring log = NewTempDir(L"tracefile") + L"\\self.log";
    TraceSettings settings = ParseTraceSettings(L"targets=file;file=" + log);
    TraceApplySettings(settings);
    TraceMessage(kTraceWrn, kTraceAllContexts, L"written %ls %d\n", L"\u00e9t\u00e9", 42);
    std::string text = ReadFile(log);
    EXPECT_NE(text.find("WRN written \xc3\xa9t\xc3\xa9 42\r\n"), std::string::npos) << text;
    char prefix[32];
    snprintf(prefix, sizeof(prefix), "%03lX-%03lX: ", GetCurrentProcessId(), GetCurrentThreadId());
    EXPECT_NE(text.find(prefix), std::string::npos) << text;
    TraceApplySettings(ParseTraceSettings(L"targets=debugger"));
}

} // namespace
} // namespace lm
