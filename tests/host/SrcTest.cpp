// Code tables, the base source's road from code to callback, and the remote-model identifiers.
#include "receivers/NecCodeTables.h"
#include "receivers/Src.h"

#include "Golden.h"
#include "ReceiverTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace lm {
namespace {

// Every mask with a code table or any mapped code, in rows of 16 codes ("-" for none), then the
// double-function keys; masks of no remote model must map nothing.
TEST(NecCodeTables, TablesMatchTheGoldenFile) {
    std::vector<uint32_t> masks = {0, 64 | 2, 0xFFFFFFFFu};
    for (int bit = 0; bit < 32; ++bit)
        masks.push_back(1u << bit);
    std::vector<std::wstring> lines;
    for (uint32_t mask : masks) {
        std::vector<std::wstring> rows;
        int mapped = 0;
        bool identity = true;
        for (int row = 0; row < 256; row += 16) {
            std::wstring line = FormatBounded(40, L"mask %u 0x%02X:", mask, row);
            bool any = false;
            for (int code = row; code < row + 16; ++code) {
                int32_t key = 12345;
                int ok = MapNecCodeToKeyId(mask, static_cast<uint8_t>(code), &key);
                line += ok ? FormatBounded(8, L" %3d", key) : key == -1 ? L"   -" : L"   ?";
                any = any || ok;
                mapped += ok;
                identity = identity && ok && key == code;
            }
            if (any)
                rows.push_back(line);
        }
        if (mapped || HasNecCodeTable(mask))
            lines.push_back(FormatBounded(60, L"mask %u: %d codes%ls%ls", mask, mapped,
                                          HasNecCodeTable(mask) ? L"" : L", no table",
                                          identity ? L", each to the key of its number" : L""));
        if (!identity)
            lines.insert(lines.end(), rows.begin(), rows.end());
    }
    for (int32_t key = -1; key < 400; ++key)
        if (const tagDOUBLEFUNCTIONKEY* d = FindDoubleFunctionKey(key))
            lines.push_back(FormatBounded(80, L"double-function key %d: short %d, long %d", d->key,
                                          d->shortPress, d->longPress));
    EXPECT_TRUE(test::MatchesGolden("nec-codes", lines));
}

TEST(NecCodeTables, TheCodeOfAKeyIsItsLowestCode) {
    for (uint32_t mask : {1u, 2u, 8u, 16u, 64u, 128u, 1024u, 2048u}) {
        std::map<int32_t, int> lowest;
        for (int code = 255; code >= 0; --code)
            if (int32_t key = -1; MapNecCodeToKeyId(mask, static_cast<uint8_t>(code), &key))
                lowest[key] = code;
        for (int32_t key = -1; key < 400; ++key) {
            uint8_t code = 0xAA;
            ASSERT_EQ(FindNecCodeForKeyId(mask, key, &code), lowest.count(key) != 0) << mask << " " << key;
            if (lowest.count(key)) {
                EXPECT_EQ(code, lowest[key]) << mask << " " << key;
            }
        }
    }
}

class SrcTest : public ::testing::Test {
protected:
    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    tagSRCSERVICES services{clock, threads, [](int32_t key) { return key == 200 ? L"Key 0" : L"?"; }};
    test::EventLog log{clock, 7};
};

TEST_F(SrcTest, InitNeedsACallbackAndASourceHoldsComWhileItLives) {
    {
        CSrc src(services, L"Base", 2);
        EXPECT_EQ(threads.com[1], 1);
        EXPECT_EQ(src.Init(&log, nullptr), 0);
        EXPECT_EQ(src.IsInitialised(), 0);
        // Without a callback a key is still mapped and remembered.
        EXPECT_EQ(src.HandleIrEvent(0x28, 1), 0);
        EXPECT_EQ(src.GetLastKeyId(), 200);
        EXPECT_EQ(src.Init(&log, test::EventLog::Callback), 1);
        EXPECT_EQ(src.IsInitialised(), 1);
    }
    EXPECT_EQ(threads.com[1], 0);
}

TEST_F(SrcTest, MappedCodesReachTheCallbackAndTheOthersDeliverNothing) {
    test::TraceCapture trace(clock, 7);
    CSrc src(services, L"Bench Receiver", 2);
    src.Init(&log, test::EventLog::Callback);
    EXPECT_EQ(src.HandleIrEvent(0x28, 0), 7); // the callback's result
    EXPECT_EQ(log.Trail(), "200@0!");         // the base source cannot report a held key
    EXPECT_EQ(log.Events()[0].source, &src);
    EXPECT_EQ(trace.Count(L"---------------------------------------------------------\n"), 2u);
    EXPECT_TRUE(
        trace.Has(L"CSrc::HandleIrEvent(): NEC 0x28 -> Lumora Key ID 200 - <Key 0> (Bench Receiver)\n"));

    // Too fast: nothing, and no error.
    clock.Advance(80);
    trace.Clear();
    EXPECT_EQ(src.HandleIrEvent(0x28, 0), 0);
    EXPECT_EQ(src.GetLastKeyId(), -1);
    EXPECT_FALSE(trace.Has(L"NEC 0x") || trace.Has(L"ERR "));
    // Unmapped: an error line, last key -1.
    EXPECT_EQ(src.HandleIrEvent(0x2E, 0), 0);
    EXPECT_EQ(src.GetLastKeyId(), -1);
    EXPECT_TRUE(trace.Has(L"ERR CSrc::HandleIrEvent() - Could not map NEC key code!!!\n"));
    // The base delivers a double-function key unchanged; at verbosity 6 without the rule lines.
    TraceSetVerboseLevel(6);
    trace.Clear();
    EXPECT_EQ(src.HandleIrEvent(0x2C, 1), 7);
    EXPECT_EQ(log.Events().back().keyId, 268);
    EXPECT_EQ(trace.Count(L"-----"), 0u);
    EXPECT_EQ(log.Size(), 2u);
    // A source without a remote model delivers and logs nothing and leaves its filter alone.
    CSrc none(services, L"R", 0);
    none.Init(&log, test::EventLog::Callback);
    trace.Clear();
    EXPECT_EQ(none.HandleIrEvent(0x05, 1), 0);
    EXPECT_EQ(none.Scheduler().LastCode(), kNecNoKey);
    EXPECT_TRUE(trace.Lines().empty());
    EXPECT_EQ(log.Size(), 2u);
}

TEST_F(SrcTest, RemoteIdentifiersSelectTheirModel) {
    CSrc src(services, L"R", 64);
    const std::pair<uint16_t, uint32_t> models[] = {{0x04EB, 16},   {0x04FB, 8}, {0x14EB, 64}, {0x1400, 64},
                                                    {0x4545, 2048}, {0x866B, 2}, {0x0000, 0},  {0x04EC, 0}};
    for (auto [id, model] : models) {
        EXPECT_EQ(src.SelectRemoteModel(id), model != 0 ? 1 : 0) << id;
        EXPECT_EQ(src.GetRemoteModel(), model) << id;
    }
}

} // namespace
} // namespace lm
