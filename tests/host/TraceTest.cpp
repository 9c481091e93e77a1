#include "support/LMDebug.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeProcess.h"
#include "Golden.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lm {
namespace {

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override { TraceSetPlatform(&proc, &clock); }
    void TearDown() override {
        // Detach whatever a test left attached, so the next one starts with a fresh block.
        for (uint32_t tid : attached)
            for (int i = 0; i < 4; ++i) {
                proc.tid = tid;
                TraceTerminateThread(tid, true);
            }
        TraceSetPlatform(nullptr, nullptr);
    }
    void Attach(uint32_t tid, uint32_t level = 3) {
        proc.tid = tid;
        ASSERT_NE(TraceInitEx(level), 0);
        attached.push_back(tid);
    }
    bool DebuggerHas(const std::wstring& text) const {
        return std::any_of(proc.debugger.begin(), proc.debugger.end(),
                           [&](const std::wstring& l) { return l.find(text) != std::wstring::npos; });
    }

    test::FakeProcess proc;
    test::FakeClock clock;
    std::vector<uint32_t> attached;
};

// One run through attach, message levels, line prefixes, cuts, scopes, a thread attached twice, a
// second thread writing to the console, a second process and the detaches: every line written to the
// debugger (D) and the console (C), step by step ("|" closes a line that ends in blanks).
TEST_F(TraceTest, AScenarioWritesTheLinesOfTheGoldenFile) {
    std::vector<std::wstring> lines;
    auto step = [&](const wchar_t* name) {
        lines.push_back(std::wstring(L"== ") + name);
        for (auto [channel, written] : {std::pair{L"D ", &proc.debugger}, {L"C ", &proc.console}}) {
            for (std::wstring line : *written) {
                line = line.back() == L'\n' ? line.substr(0, line.size() - 1) : line + L"<no line end>";
                lines.push_back(channel + line + (line.back() == L' ' ? L"|" : L""));
            }
            written->clear();
        }
    };
    Attach(0x456);
    step(L"first attach, verbosity 3");
    for (uint32_t verbosity : {3u, 7u}) {
        TraceSetVerboseLevel(verbosity);
        for (uint32_t level = 1; level <= 8; ++level)
            TraceMessage(level, 1, L"level %u\n", level);
        step(verbosity == 3 ? L"levels 1 to 8 at verbosity 3" : L"levels 1 to 8 at verbosity 7");
    }
    proc.workingSetKB = 2048;
    TraceMessage(kTraceMsg, 1, L"working set 2048 KB\n");
    TraceMessage(kTraceMsg, 1, L"unchanged\n");
    proc.workingSetKB = 2000;
    TraceMessage(kTraceMsg, 1, L"down to 2000 KB\n");
    for (uint32_t prefix : {kTracePrefixTime, kTracePrefixNone}) {
        TraceSettings settings;
        settings.hasPrefix = true;
        settings.prefixStyle = prefix;
        TraceApplySettings(settings);
        TraceMessage(kTraceMsg, 1, L"prefix style %u\n", prefix);
    }
    TraceMessage(kTraceMsg, 1, L"%ls\n", L"arguments are no formats: 50%s %n %d");
    TraceMessage(kTraceMsg, 1, L"%ls", std::wstring(600, L'x').c_str());
    TraceDebugger(L"%ls", std::wstring(600, L'y').c_str());
    step(L"prefixes, and texts cut at 511 and 512 characters");
    {
        CLMTraceScope outer(kTraceInfo, kTraceAllContexts, L"CRemoteApp::InitReceivers");
        clock.Advance(16);
        {
            CLMTraceScope inner(kTraceInfo, kTraceAllContexts, L"CRemoteApp::ReinitReceiver", L"type %d", 4);
            clock.Advance(15);
        }
        CLMTraceScope hidden(8, kTraceAllContexts, L"Hidden"); // above verbosity: not drawn
    }
    step(L"scopes");
    Attach(0x456);
    TraceTerminateThread(0x456, true);
    step(L"the thread attaches again and detaches once");
    TraceSettings console;
    console.hasTargets = true;
    console.targets = kTraceToConsole;
    TraceApplySettings(console);
    Attach(0x789, 1); // its level is ignored: it copies the first thread's settings
    TraceMessage(kTraceWrn, 1, L"from the second thread\n");
    step(L"a second thread, the first one's targets set to the console");
    TraceSetVerboseLevel(7);
    Attach(0xABC, 3);
    step(L"a third thread at verbosity 7");
    proc.pid = 0x124;
    Attach(0x456); // same thread id, other process
    step(L"a second process");
    for (auto [pid, tid] :
         {std::pair{0x123u, 0x789u}, {0x123u, 0xABCu}, {0x123u, 0x456u}, {0x124u, 0x456u}}) {
        proc.pid = pid;
        proc.tid = tid;
        TraceTerminateThread(tid, true);
    }
    attached.clear();
    TraceMessage(kTraceMsg, 1, L"gone\n");
    step(L"the detaches, and a message after the last");
    EXPECT_TRUE(test::MatchesGolden("trace", lines));
    EXPECT_EQ(proc.blocks.begin()->first, L"LMDEBUG_PROCESS_CACHE_VERSION_02");
    EXPECT_EQ(proc.blocks.begin()->second.size(), 3229184u);
}

TEST_F(TraceTest, TheSixtyFifthThreadCannotAttach) {
    for (uint32_t i = 0; i < 64; ++i)
        Attach(0x1000 + i);
    proc.tid = 0x2000;
    EXPECT_EQ(TraceInitEx(3), 0);
    EXPECT_TRUE(DebuggerHas(L"Thread 2000 not found: Max. number of threads (64) reached!!! \n"));
    // One leaves: the record is free again.
    proc.tid = 0x1000;
    TraceTerminateThread(0x1000, true);
    Attach(0x2000);
    EXPECT_TRUE(TraceEnabled(kTraceWrn, 1));
    EXPECT_FALSE(TraceEnabled(kTraceUsr, 1));
}

TEST_F(TraceTest, EnvironmentSettingsRouteTheBannerToTheLogFile) {
    proc.environment[L"LMDEBUG"] = L"level=5; file=C:\\logs\\remote.log; prefix=1";
    Attach(0x456, 3);
    TraceMessage(kTraceInfo, 1, L"info %ls\n", L"line");
    const std::wstring& log = proc.files[L"C:\\logs\\remote.log"];
    EXPECT_NE(log.find(L"MSG Logfile       = C:\\logs\\remote.log    \n"), std::wstring::npos);
    EXPECT_NE(log.find(L"MSG Debug level   = 5    \n"), std::wstring::npos);
    EXPECT_NE(log.find(L"\n    info line\n"), std::wstring::npos);
    // The parser takes words and numbers and ignores what it does not know.
    TraceSettings s = ParseTraceSettings(L"targets=console+file;level=x;bogus;file=/tmp/a.log");
    EXPECT_EQ(s.targets, kTraceToConsole | kTraceToFile);
    EXPECT_FALSE(s.hasLevel);
    EXPECT_EQ(s.logFile, L"/tmp/a.log");
    s = ParseTraceSettings(L"LEVEL=7;targets=5");
    EXPECT_EQ(s.level, 7u);
    EXPECT_EQ(s.targets, 5u);
    s = ParseTraceSettings(L"file=" + std::wstring(400, L'p'));
    EXPECT_EQ(s.logFile.size(), 255u);
    EXPECT_EQ(s.targets, kTraceToDebugger | kTraceToFile);
}

TEST_F(TraceTest, FailuresAreReportedOnTheDebuggerAndIgnored) {
    proc.failMapping = true;
    EXPECT_EQ(TraceInitEx(3), 0);
    EXPECT_TRUE(
        DebuggerHas(L"LM: LMDEBUG_GM_GetProcessCachePtr(): ERROR: Could not create file mapping object."));
    TraceMessage(kTraceMsg, 1, L"x\n");
    { CLMTraceScope scope(kTraceMsg, 1, L"Nothing"); }
    proc.failMapping = false;
    TraceTerminateThread(0x999, true);
    EXPECT_TRUE(DebuggerHas(
        L"WARNING: TraceTerminateThread() Thread 999 not found: Currently 0 threads are active!!!\n"));
}

} // namespace
} // namespace lm
