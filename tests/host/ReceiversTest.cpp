// Receiver types, the product list and the receiver state: found mask, slots and ready flag.
#include "fakes/FakeStrings.h"
#include "receivers/Receivers.h"

#include "Golden.h"
#include "ReceiverTestSupport.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeIrDevice.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

// The receiver types (and the numbers beside them, which have none) and the product list; row 0 takes
// the localised "Default" in capitals, cut to the row.
TEST(ReceiverTypes, TypesAndProductsMatchTheGoldenFile) {
    std::vector<std::wstring> lines;
    for (int type = -1; type <= kReceiverTypeCount + 1; ++type)
        lines.push_back(FormatBounded(200, L"type %d: %ls", type, ReceiverTypeName(type).c_str()));
    for (int i = 0; i < kReceiverTypeCount; ++i)
        EXPECT_EQ(ReceiverTypes()[static_cast<size_t>(i)].type, i);
    test::FakeStrings strings;
    for (const std::wstring& word :
         {std::wstring(), std::wstring(L"Domy\u015blne \u0142\u00f3d\u017a \u043f\u043e"),
          std::wstring(300, L'x')}) {
        if (!word.empty())
            strings.texts[53440] = word;
        const auto list = BuildProductList(strings);
        for (size_t i = 0; i < (word.empty() ? list.size() : 1); ++i)
            lines.push_back(
                FormatBounded(300, L"product %zu: %u \"%ls\"", i, list[i].remoteModel, list[i].name));
    }
    EXPECT_TRUE(test::MatchesGolden("receiver-types", lines));
}

// The owner's side of the receiver state.
class FakeHost final : public IReceiverHost {
public:
    explicit FakeHost(CReceivers*& receivers) : receivers_(receivers) {}
    uint32_t ReceiverSelection() override { return selection; }
    void SaveReceiverSettings() override { saved = true; }
    void ReceiverFreeing(CSrc& source) override {
        // Still in its slot and alive when the owner is told.
        bool inSlot = false;
        for (int t = 0; t < kReceiverSlotCount; ++t)
            inSlot = inSlot || (receivers_ && receivers_->Source(t) == &source);
        EXPECT_TRUE(inSlot);
        freed.push_back(source.GetName());
    }
    uint32_t selection = CReceivers::kDefaultSelection;
    bool saved = false;
    std::vector<std::wstring> freed;

private:
    CReceivers*& receivers_;
};

class ReceiversTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs.files[L"demo.rcs"].bytes = "model 64\ncode 0x0C 100\n";
        receivers = std::make_unique<CReceivers>(factory, host, &log, test::EventLog::Callback);
        raw = receivers.get();
    }
    void TearDown() override {
        receivers.reset();
        raw = nullptr;
        EXPECT_EQ(bus.liveDevices.load(), 0);
        for (auto& [id, t] : threads.threads)
            EXPECT_TRUE(t.ended || !t.resumed) << id;
    }
    bool Running(int type) { return receivers->Source(type) && receivers->Source(type)->IsInitialised(); }

    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    SrcServices services{clock, threads, nullptr};
    test::FakeIrBus bus;
    test::FakeIrDevices devices{bus};
    test::FakeFileSystem fs;
    CReceiverFactory factory{services, devices, fs};
    test::EventLog log{clock};
    CReceivers* raw = nullptr;
    FakeHost host{raw};
    std::unique_ptr<CReceivers> receivers;
};

TEST_F(ReceiversTest, WithTheDevicePresentTypeTwelveIsFoundRunsAndDeliversKeys) {
    bus.installed = {L"Vistar S USB"};
    bus.replyFn = [this] { return clock.TickCount() < 100 ? 0x1Cu : kIrReplyNoKey; };
    EXPECT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(receivers->FoundMask(), 0x1000u);
    EXPECT_EQ(receivers->Ready(), 1u);
    EXPECT_TRUE(host.saved);
    EXPECT_EQ(receivers->MidiChannel(), 15);
    for (int t = 0; t < kReceiverSlotCount; ++t)
        EXPECT_EQ(receivers->Source(t) != nullptr, t == 12) << t;
    ASSERT_TRUE(Running(12));
    test::RunFor(threads, clock, *threads.events.back(), 500);
    EXPECT_EQ(log.Trail(), "241@80");
    EXPECT_EQ(log.Events()[0].source, receivers->Source(12));
}

TEST_F(ReceiversTest, APresentButDeselectedTypeIsFoundButHasNoSource) {
    bus.installed = {L"Vistar S USB"};
    host.selection = CReceivers::kDefaultSelection & ~0x1000u;
    EXPECT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(receivers->FoundMask(), 0x1000u);
    EXPECT_EQ(receivers->Ready(), 1u);
    EXPECT_EQ(receivers->Source(12), nullptr);
    EXPECT_EQ(bus.openDevices.load(), 0); // the probe's device was released
    EXPECT_EQ(host.freed, std::vector<std::wstring>{L"Vistar S USB"});
    // Selected again and re-created: it runs.
    host.selection = CReceivers::kDefaultSelection;
    EXPECT_EQ(receivers->ReinitReceiver(12, 1), 1);
    EXPECT_TRUE(Running(12));
    // Deselected and re-created: Init succeeds, the found bit stays, the source goes.
    host.selection = 0;
    EXPECT_EQ(receivers->ReinitReceiver(12, 1), 1);
    EXPECT_EQ(receivers->FoundMask(), 0x1000u);
    EXPECT_EQ(receivers->Source(12), nullptr);
}

TEST_F(ReceiversTest, WithoutAnyDeviceNothingIsReadyAndTheErrorIsTraced) {
    test::TraceCapture trace(clock, 3);
    EXPECT_EQ(receivers->InitReceivers(), 0);
    EXPECT_EQ(receivers->FoundMask(), 0u);
    EXPECT_EQ(receivers->Ready(), 0u);
    EXPECT_EQ(receivers->Source(12), nullptr);
    EXPECT_TRUE(trace.Has(L"ERR ERROR: No active receiver!\n"));
    EXPECT_TRUE(host.saved);
}

TEST_F(ReceiversTest, SingleTypesComeAndGoAndFreeReceiversClearsEverything) {
    test::TraceCapture trace(clock, 6);
    // A type without a source: its slot is freed, nothing is created.
    EXPECT_EQ(receivers->ReinitReceiver(3, 1), 0);
    EXPECT_EQ(receivers->Source(3), nullptr);
    EXPECT_TRUE(trace.Has(L"\\ CRemoteApp::ReinitReceiver(3, 1)"));
    EXPECT_TRUE(trace.Has(L"\\ CRemoteApp::FreeReceiver(3)"));
    // The device arrives, and is removed: freed, bit cleared.
    bus.installed = {L"Vistar S USB"};
    EXPECT_EQ(receivers->ReinitReceiver(12, 1), 1);
    EXPECT_EQ(receivers->FoundMask(), 0x1000u);
    EXPECT_TRUE(Running(12));
    EXPECT_EQ(receivers->FreeReceiver(12), 1);
    EXPECT_EQ(receivers->FoundMask(), 0u);
    EXPECT_EQ(receivers->Source(12), nullptr);
    EXPECT_EQ(bus.openDevices.load(), 0);
    // Numbers that are no type are refused.
    EXPECT_EQ(receivers->FreeReceiver(-1), 0);
    EXPECT_EQ(receivers->FreeReceiver(16), 0);
    EXPECT_EQ(receivers->ReinitReceiver(32, 1), 0);
    EXPECT_EQ(receivers->Source(99), nullptr);
    // A re-scan keeps one running source; FreeReceivers ends it and clears the state.
    ASSERT_EQ(receivers->InitReceivers(), 1);
    ASSERT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(bus.openDevices.load(), 1);
    EXPECT_EQ(receivers->FreeReceivers(), 1);
    EXPECT_EQ(receivers->FoundMask(), 0u);
    EXPECT_EQ(receivers->Ready(), 0u);
    EXPECT_EQ(receivers->Source(12), nullptr);
    EXPECT_EQ(bus.openDevices.load(), 0);
    // A re-creation that fails leaves neither source nor bit.
    bus.installed.clear();
    EXPECT_EQ(receivers->ReinitReceiver(12, 1), 0);
    EXPECT_EQ(receivers->Source(12), nullptr);
    EXPECT_EQ(receivers->FoundMask(), 0u);
}

TEST_F(ReceiversTest, TheScriptedReceiverIsFoundOnlyWhenEnabled) {
    bus.installed = {L"Vistar S USB"};
    ASSERT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(receivers->FoundMask(), 0x1000u); // not listed on the options page
    factory.EnableScriptedReceiver(L"demo.rcs");
    ASSERT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(receivers->FoundMask(), 0x9000u);
    ASSERT_TRUE(Running(15));
    EXPECT_EQ(receivers->Source(15)->GetDescription(), L"demo.rcs");
    // Alone, it makes the receivers ready.
    bus.installed.clear();
    ASSERT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(receivers->FoundMask(), 0x8000u);
    // A script that cannot be read is not found.
    factory.EnableScriptedReceiver(L"missing.rcs");
    EXPECT_EQ(receivers->InitReceivers(), 0);
    factory.EnableScriptedReceiver(L"");
    EXPECT_EQ(receivers->ReinitReceiver(15, 1), 0);
}

} // namespace
} // namespace lm
