// Code tables, the base source's road from code to callback, and the remote-model identifiers.
#include "receivers/NecCodeTables.h"
#include "receivers/Src.h"

#include "ReceiverTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace lm {
namespace {

int32_t Map(uint32_t mask, uint8_t code) {
    int32_t key = 12345;
    int ok = MapNecCodeToKeyId(mask, code, &key);
    EXPECT_EQ(ok != 0, key != -1) << "mask " << mask << " code " << int(code);
    return key;
}

int CountMapped(uint32_t mask) {
    int n = 0;
    for (int c = 0; c < 256; ++c)
        n += MapNecCodeToKeyId(mask, static_cast<uint8_t>(c), nullptr);
    return n;
}

TEST(NecCodeTables, EachMaskHasItsTableAndOthersMapNothing) {
    EXPECT_EQ(CountMapped(1), 256);
    EXPECT_EQ(CountMapped(2), 52);
    EXPECT_EQ(CountMapped(8), 28);
    EXPECT_EQ(CountMapped(16), 37);
    EXPECT_EQ(CountMapped(64), 48);
    EXPECT_EQ(CountMapped(128), 48);
    EXPECT_EQ(CountMapped(1024), 37);
    EXPECT_EQ(CountMapped(2048), 34);
    for (uint32_t mask : {0u, 4u, 32u, 256u, 512u, 4096u, 64u | 2u, 0xFFFFFFFFu}) {
        EXPECT_EQ(CountMapped(mask), 0) << mask;
        EXPECT_EQ(Map(mask, 0x01), -1);
        EXPECT_FALSE(HasNecCodeTable(mask));
    }
}

TEST(NecCodeTables, MidiMapsEveryCodeToItself) {
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(Map(1, static_cast<uint8_t>(c)), c);
}

TEST(NecCodeTables, EntriesOfEveryTable) {
    // Duplicates and double-function keys of mask 2.
    EXPECT_EQ(Map(2, 0x00), 200);
    EXPECT_EQ(Map(2, 0x28), 200);
    EXPECT_EQ(Map(2, 0x2C), 268);
    EXPECT_EQ(Map(2, 0x4C), 268);
    EXPECT_EQ(Map(2, 0x2D), 269);
    EXPECT_EQ(Map(2, 0x4D), 269);
    EXPECT_EQ(Map(2, 0x12), 210);
    EXPECT_EQ(Map(2, 0x2E), -1);
    EXPECT_EQ(Map(2, 0x44), -1);
    // Mask 8 starts at 0x01 and skips 0x15, 0x17, 0x1D.
    EXPECT_EQ(Map(8, 0x00), -1);
    EXPECT_EQ(Map(8, 0x01), 143);
    EXPECT_EQ(Map(8, 0x13), 144);
    EXPECT_EQ(Map(8, 0x15), -1);
    EXPECT_EQ(Map(8, 0x17), -1);
    EXPECT_EQ(Map(8, 0x1D), -1);
    EXPECT_EQ(Map(8, 0x40), 141);
    // Mask 16 has the double-function keys at 0x54 and 0x5C.
    EXPECT_EQ(Map(16, 0x54), 268);
    EXPECT_EQ(Map(16, 0x5C), 269);
    EXPECT_EQ(Map(16, 0x1A), 323);
    EXPECT_EQ(Map(16, 0x41), -1);
    // Mask 64: no 0x0E and no 0x15, the long-press keys directly at 0x4E/0x4F.
    EXPECT_EQ(Map(64, 0x0C), 200);
    EXPECT_EQ(Map(64, 0x0E), -1);
    EXPECT_EQ(Map(64, 0x15), -1);
    EXPECT_EQ(Map(64, 0x1A), 324);
    EXPECT_EQ(Map(64, 0x4B), 307);
    EXPECT_EQ(Map(64, 0x4E), 264);
    EXPECT_EQ(Map(64, 0x5C), 267);
    EXPECT_EQ(Map(64, 0x00), -1);
    // Mask 128.
    EXPECT_EQ(Map(128, 0x00), -1);
    EXPECT_EQ(Map(128, 0x50), 140);
    EXPECT_EQ(Map(128, 0x2F), 267);
    EXPECT_EQ(Map(128, 0x10), 200);
    // Mask 1024.
    EXPECT_EQ(Map(1024, 0x0B), 161);
    EXPECT_EQ(Map(1024, 0x40), 263);
    EXPECT_EQ(Map(1024, 0x58), 262);
    // Mask 2048: 160 twice.
    EXPECT_EQ(Map(2048, 0x0E), 160);
    EXPECT_EQ(Map(2048, 0x42), 160);
    EXPECT_EQ(Map(2048, 0x0D), 200);
    EXPECT_EQ(Map(2048, 0x43), -1);
}

TEST(NecCodeTables, DigitsMapToKeys200To209OnEveryRemote) {
    // Every remote with a table has all ten digit keys, each reachable by some code.
    for (uint32_t mask : {2u, 8u, 16u, 64u, 128u, 1024u, 2048u})
        for (int32_t key = 200; key <= 209; ++key) {
            uint8_t code = 0;
            ASSERT_TRUE(FindNecCodeForKeyId(mask, key, &code)) << mask << " " << key;
            EXPECT_EQ(Map(mask, code), key);
        }
    uint8_t code = 0xAA;
    EXPECT_TRUE(FindNecCodeForKeyId(2, 200, &code));
    EXPECT_EQ(code, 0x00); // the lowest of 0x00 and 0x28
    EXPECT_FALSE(FindNecCodeForKeyId(64, 268, &code));
    EXPECT_FALSE(FindNecCodeForKeyId(2, -1, &code));
}

TEST(NecCodeTables, DoubleFunctionKeys) {
    const tagDOUBLEFUNCTIONKEY* a = FindDoubleFunctionKey(268);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->shortPress, 266);
    EXPECT_EQ(a->longPress, 264);
    const tagDOUBLEFUNCTIONKEY* b = FindDoubleFunctionKey(269);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->shortPress, 267);
    EXPECT_EQ(b->longPress, 265);
    EXPECT_EQ(FindDoubleFunctionKey(266), nullptr);
    EXPECT_EQ(FindDoubleFunctionKey(-1), nullptr);
}

class SrcTest : public ::testing::Test {
protected:
    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    SrcServices services{clock, threads, [](int32_t key) { return key == 200 ? L"Key 0" : L"?"; }};
    test::EventLog log{clock, 7};
};

TEST_F(SrcTest, InitNeedsACallbackAndConstructionPairsCom) {
    {
        CSrc src(services, L"Base", 2);
        EXPECT_EQ(threads.comInits, 1);
        EXPECT_EQ(src.Init(&log, nullptr), 0);
        EXPECT_EQ(src.IsInitialised(), 0);
        EXPECT_EQ(src.Init(&log, test::EventLog::Callback), 1);
        EXPECT_EQ(src.IsInitialised(), 1);
        EXPECT_EQ(src.GetRemoteModel(), 2u);
        EXPECT_EQ(src.GetLastKeyId(), -1);
        EXPECT_EQ(src.HeldKeyReporting(), 0);
        EXPECT_EQ(src.GetDescription(), L"");
    }
    EXPECT_EQ(threads.comUninits, 1);
}

TEST_F(SrcTest, AMappedCodeReachesTheCallbackWithTheTraceLines) {
    test::TraceCapture trace(clock, 7);
    CSrc src(services, L"Bench Receiver", 2);
    src.Init(&log, test::EventLog::Callback);
    EXPECT_EQ(src.HandleIrEvent(0x28, 0), 7); // the callback's result
    auto events = log.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].source, &src);
    EXPECT_EQ(events[0].keyId, 200);
    EXPECT_EQ(events[0].singleShot, 1u); // the base source cannot report a held key
    EXPECT_EQ(src.GetLastKeyId(), 200);
    EXPECT_EQ(trace.Count(L"---------------------------------------------------------\n"), 2u);
    EXPECT_TRUE(
        trace.Has(L"CSrc::HandleIrEvent(): NEC 0x28 -> Lumora Key ID 200 - <Key 0> (Bench Receiver)\n"));
    // At verbosity 6 the rule lines are not written.
    TraceSetVerboseLevel(6);
    trace.Clear();
    src.HandleIrEvent(0x01, 0);
    EXPECT_EQ(trace.Count(L"-----"), 0u);
}

TEST_F(SrcTest, RepeatsTooFastAndUnmappedCodesDeliverNothing) {
    test::TraceCapture trace(clock, 7);
    CSrc src(services, L"R", 2);
    src.Init(&log, test::EventLog::Callback);
    EXPECT_EQ(src.HandleIrEvent(0x05, 0), 7);
    EXPECT_EQ(src.GetLastKeyId(), 205);
    clock.Advance(80);
    trace.Clear();
    EXPECT_EQ(src.HandleIrEvent(0x05, 0), 0); // too fast
    EXPECT_EQ(src.GetLastKeyId(), -1);
    EXPECT_EQ(trace.Count(L"Could not map"), 0u);
    EXPECT_EQ(trace.Count(L"NEC 0x"), 0u);
    // Unmapped: error line, last key -1, no event.
    EXPECT_EQ(src.HandleIrEvent(0x2E, 0), 0);
    EXPECT_EQ(src.GetLastKeyId(), -1);
    EXPECT_TRUE(trace.Has(L"ERR CSrc::HandleIrEvent() - Could not map NEC key code!!!\n"));
    EXPECT_EQ(log.Size(), 1u);
    // A release, then the same key again: delivered at once.
    src.HandleIrEvent(kNecNoKey, 0);
    clock.Advance(80);
    EXPECT_EQ(src.HandleIrEvent(0x05, 0), 7);
    EXPECT_EQ(log.Size(), 2u);
}

TEST_F(SrcTest, MaskZeroDeliversAndLogsNothingAndLeavesTheFilterAlone) {
    test::TraceCapture trace(clock, 7);
    CSrc src(services, L"R", 0);
    src.Init(&log, test::EventLog::Callback);
    EXPECT_EQ(src.HandleIrEvent(0x05, 1), 0);
    EXPECT_EQ(src.Scheduler().LastCode(), kNecNoKey);
    EXPECT_EQ(log.Size(), 0u);
    EXPECT_TRUE(trace.Lines().empty());
}

TEST_F(SrcTest, WithoutACallbackTheKeyIsStillRecorded) {
    CSrc src(services, L"R", 64);
    EXPECT_EQ(src.HandleIrEvent(0x0C, 1), 0);
    EXPECT_EQ(src.GetLastKeyId(), 200);
}

TEST_F(SrcTest, TheBaseDeliversDoubleFunctionKeysUnchanged) {
    CSrc src(services, L"R", 16);
    src.Init(&log, test::EventLog::Callback);
    src.HandleIrEvent(0x54, 1);
    ASSERT_EQ(log.Size(), 1u);
    EXPECT_EQ(log.Events()[0].keyId, 268);
}

TEST_F(SrcTest, RemoteIdentifiersSelectTheirModel) {
    CSrc src(services, L"R", 64);
    const std::map<uint16_t, uint32_t> models{{0x04EB, 16},   {0x04FB, 8}, {0x14EB, 64}, {0x1400, 64},
                                              {0x4545, 2048}, {0x866B, 2}, {0x0000, 0},  {0x04EC, 0}};
    for (auto [id, model] : models) {
        EXPECT_EQ(src.SelectRemoteModel(id), model != 0 ? 1 : 0) << id;
        EXPECT_EQ(src.GetRemoteModel(), model) << id;
    }
}

} // namespace
} // namespace lm
