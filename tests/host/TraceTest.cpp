#include "support/LMDebug.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeProcess.h"

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
    // Lines without a prefix from now on.
    void Plain() {
        TraceSettings plain;
        plain.hasPrefix = true;
        plain.prefixStyle = kTracePrefixNone;
        TraceApplySettings(plain);
        proc.debugger.clear();
    }
    size_t Count(const std::vector<std::wstring>& lines, const std::wstring& text) const {
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
            return l.find(text) != std::wstring::npos;
        }));
    }
    bool DebuggerHas(const std::wstring& text) const { return Count(proc.debugger, text) > 0; }

    test::FakeProcess proc;
    test::FakeClock clock;
    std::vector<uint32_t> attached;
};

TEST_F(TraceTest, FirstAttachOpensTheVersionedBlockAndWritesBookkeepingAndBanner) {
    Attach(0x456);
    ASSERT_EQ(proc.blocks.size(), 1u);
    EXPECT_EQ(proc.blocks.begin()->first, L"LMDEBUG_PROCESS_CACHE_VERSION_02");
    EXPECT_EQ(proc.blocks.begin()->second.size(), 3229184u);
    EXPECT_EQ(proc.debugger.at(0), L"LM: 123-456 TraceInitEx\n");
    EXPECT_TRUE(DebuggerHas(L"LM: TraceInitInternal() LMDEBUG Version 2: #Processes=32 #Threads=64 Memory="));
    EXPECT_TRUE(DebuggerHas(L"Reference count - Process 0 -> 1 / Thread  0 -> 1\n"));
    // The banner goes through the trace at level 1, to the debugger (the first thread's target).
    EXPECT_TRUE(DebuggerHas(L"MSG --- LMDEBUG -----------------------------------------------\n"));
    EXPECT_TRUE(DebuggerHas(L"MSG Date          = Sunday - 06. December 2026\n"));
    EXPECT_TRUE(DebuggerHas(L"MSG Debug level   = 3    \n"));
    EXPECT_TRUE(DebuggerHas(L"MSG Context flags = 0xFFFFFFFF\n"));
    EXPECT_TRUE(DebuggerHas(L"17:05:09.042 "));
}

TEST_F(TraceTest, LevelsFilterAndTagMessages) {
    Attach(0x456, 3);
    Plain();
    for (uint32_t level : {kTraceErr, kTraceWrn, kTraceUsr, kTraceInfo, kTraceDetail})
        TraceMessage(level, 1, L"level %d\n", static_cast<int>(level));
    TraceSetVerboseLevel(7);
    for (uint32_t level : {kTraceMsg, kTraceUsr, kTraceInfo, kTraceDetail})
        TraceMessage(level, 1, L"level %d\n", static_cast<int>(level));
    const std::vector<std::wstring> expected = {L"ERR level 2\n", L"WRN level 3\n", L"MSG level 1\n",
                                                L"USR level 4\n", L"    level 5\n", L"    level 7\n"};
    EXPECT_EQ(proc.debugger, expected);
    EXPECT_TRUE(TraceEnabled(kTraceDetail, 1));
    EXPECT_FALSE(TraceEnabled(8, 1));
}

TEST_F(TraceTest, PrefixShowsTimeMemoryChangeAndIdsAndMessagesAreCut) {
    Attach(0x456);
    proc.debugger.clear();
    proc.workingSetKB = 2048;
    TraceMessage(kTraceMsg, 1, L"a\n");
    TraceMessage(kTraceMsg, 1, L"b\n");
    proc.workingSetKB = 2000;
    TraceMessage(kTraceMsg, 1, L"c\n");
    ASSERT_EQ(proc.debugger.size(), 3u);
    EXPECT_EQ(proc.debugger[1], L"17:05:09.042                     123-456: MSG b\n");
    EXPECT_EQ(proc.debugger[2], L"17:05:09.042    2000K(      -48) 123-456: MSG c\n");
    TraceSettings time;
    time.hasPrefix = true;
    time.prefixStyle = kTracePrefixTime;
    TraceApplySettings(time);
    TraceMessage(kTraceMsg, 1, L"d\n");
    EXPECT_EQ(proc.debugger.back(), L"17:05:09.042 0x???: MSG d\n");

    Plain();
    TraceMessage(kTraceMsg, 1, L"%ls", L"50%s %n %d");
    EXPECT_EQ(proc.debugger.back(), L"MSG 50%s %n %d"); // arguments are never formats
    TraceMessage(kTraceMsg, 1, L"%ls", std::wstring(2000, L'x').c_str());
    EXPECT_EQ(proc.debugger.back().size(), 511u);
    TraceDebugger(L"%ls", std::wstring(2000, L'y').c_str());
    EXPECT_EQ(proc.debugger.back(), L"LM: " + std::wstring(508, L'y'));
}

TEST_F(TraceTest, ScopesDrawAnIndentedTreeWithElapsedSeconds) {
    Attach(0x456, 6);
    Plain();
    {
        CLMTraceScope outer(kTraceInfo, kTraceAllContexts, L"CRemoteApp::InitReceivers");
        clock.Advance(16);
        {
            CLMTraceScope inner(kTraceInfo, kTraceAllContexts, L"CRemoteApp::ReinitReceiver", L"type %d", 4);
            clock.Advance(15);
        }
        CLMTraceScope hidden(kTraceDetail, kTraceAllContexts, L"Hidden"); // above verbosity: not drawn
    }
    std::vector<std::wstring> expected = {
        L"I_O \\ CRemoteApp::InitReceivers()\n",
        L"I_O |\\ CRemoteApp::ReinitReceiver(type 4)\n",
        L"I_O |/ CRemoteApp::ReinitReceiver() (0.015 sec)\n",
        L"I_O / CRemoteApp::InitReceivers() (0.031 sec)\n",
    };
    EXPECT_EQ(proc.debugger, expected);
}

TEST_F(TraceTest, ThreadRecordsAreCountedAndTheSixtyFifthThreadCannotAttach) {
    Attach(0x456);
    Attach(0x456);
    EXPECT_TRUE(DebuggerHas(L"Process 1 -> 2 / Thread  1 -> 2\n"));
    TraceTerminateThread(0x456, true);
    EXPECT_FALSE(DebuggerHas(L"Last reference for this thread was removed!"));
    for (uint32_t i = 1; i < 64; ++i)
        Attach(0x1000 + i);
    proc.tid = 0x2000;
    EXPECT_EQ(TraceInitEx(3), 0);
    EXPECT_TRUE(DebuggerHas(L"Thread 2000 not found: Max. number of threads (64) reached!!! \n"));
    // One leaves for good: the record is free again.
    proc.tid = 0x456;
    TraceTerminateThread(0x456, true);
    EXPECT_TRUE(DebuggerHas(L"Last reference for this thread was removed!\n"));
    Attach(0x2000);
}

TEST_F(TraceTest, ProcessesShareTheBlockAndClaimSeparateRecords) {
    Attach(0x456);
    proc.pid = 0x124;
    Attach(0x456); // same thread id, other process
    EXPECT_EQ(Count(proc.debugger, L"Process 0 -> 1 / Thread  0 -> 1"), 2u);
    proc.pid = 0x123;
    proc.tid = 0x456;
    TraceTerminateThread(0x456, true);
    EXPECT_TRUE(DebuggerHas(L"Last reference for this process was removed!"));
    EXPECT_FALSE(DebuggerHas(L"Last process was removed!"));
    proc.pid = 0x124;
    TraceTerminateThread(0x456, true);
    EXPECT_TRUE(DebuggerHas(L"Last process was removed!"));
    attached.clear();
    proc.debugger.clear();
    TraceMessage(kTraceMsg, 1, L"gone\n");
    EXPECT_EQ(proc.debugger.back(),
              L"LM: LMDEBUG_GetProcInfoPtr() - ERROR function called before TraceInitInternal()\n");
}

TEST_F(TraceTest, SecondThreadKeepsSettingsAndReportsOnlyAtLevelSeven) {
    Attach(0x456, 3);
    TraceSettings settings;
    settings.hasTargets = true;
    settings.targets = kTraceToConsole;
    TraceApplySettings(settings);
    Attach(0x789, 1); // its level is ignored: it copies the first thread's settings
    EXPECT_EQ(Count(proc.console, L"Another thread"), 0u);
    TraceMessage(kTraceWrn, 1, L"from second\n");
    EXPECT_NE(proc.console.back().find(L"123-789: WRN from second"), std::wstring::npos);
    TraceSetVerboseLevel(7);
    Attach(0xABC, 3);
    EXPECT_EQ(Count(proc.console, L"LMDEBUG: Another thread (0x456) has already attached to LMDEBUG\n"), 1u);
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
