// Receiver types, the product list, the receiver state (found mask, slots and ready flag) and the device
// source of type 12 against a fake receiver.
#include "fakes/FakeStrings.h"
#include "receivers/Receivers.h"
#include "receivers/SrcRcVistar.h"

#include "Golden.h"
#include "ReceiverTestSupport.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeIrDevice.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace lm {
namespace {

// The receiver types (and the numbers beside them, which have none) and the product list; row 0 takes
// the localised "Default" in capitals, cut to the row.
TEST(ReceiverTypes, TypesAndProductsMatchTheGoldenFile) {
    std::vector<std::wstring> lines;
    for (int type = -1; type <= kReceiverSlotCount; ++type)
        lines.push_back(FormatBounded(200, L"type %d: \"%ls\"", type, ReceiverTypeName(type).c_str()));
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
        EXPECT_FALSE(bus.readWhileClosed);
        for (auto& [id, t] : threads.threads)
            EXPECT_TRUE(t.ended || !t.resumed) << id;
    }
    // "found <mask> ready <flag> slots <types with a source, "?" when it is not initialised> open <devices>"
    std::string State() {
        std::string slots;
        for (int t = -1; t < 100; ++t)
            if (CSrc* s = receivers->Source(t))
                slots += " " + std::to_string(t) + (s->IsInitialised() ? "" : "?");
        char state[128];
        std::snprintf(state, sizeof state, "found 0x%X ready %u slots%s open %d", receivers->FoundMask(),
                      receivers->Ready(), slots.empty() ? " -" : slots.c_str(), bus.openDevices.load());
        return state;
    }

    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    tagSRCSERVICES services{clock, threads, nullptr};
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
    // The receiver's friendly name holds "Vistar S USB" among other words; the match is case-sensitive.
    bus.installed = {L"vistar s usb", L"Vistar S-USB", L"Lumora Vistar S USB IR Receiver (2)"};
    bus.replyFn = [this] { return clock.TickCount() < 100 ? 0x0000011Cu : kIrReplyNoKey; };
    EXPECT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(State(), "found 0x1000 ready 1 slots 12 open 1");
    EXPECT_EQ(bus.lastOpened, L"Lumora Vistar S USB IR Receiver (2)");
    EXPECT_TRUE(host.saved);
    EXPECT_EQ(receivers->MidiChannel(), 15);
    EXPECT_EQ(receivers->Source(12)->GetName() + L" " +
                  std::to_wstring(receivers->Source(12)->GetRemoteModel()),
              L"Vistar S USB 64");
    EXPECT_EQ(threads.names[threads.Last()], "LM: Vistar S USB CSrcPoll::PollForIrEvent()");
    test::RunFor(threads, clock, *threads.events.back(), 500);
    EXPECT_EQ(log.Trail(), "241@80"); // the low eight bits: code 0x1C of remote model 64
    EXPECT_EQ(log.Events()[0].source, receivers->Source(12));
    // The reply 0xFFFFFFEE is no key; 0xFE is the key still held.
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0xFFFFFFEEu), kNecNoKey);
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0x000000FEu), kNecSameKey);
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0xFFFFFFEFu), 0xEF);
}

TEST_F(ReceiversTest, APresentButDeselectedTypeIsFoundButHasNoSource) {
    bus.installed = {L"Vistar S USB"};
    host.selection = CReceivers::kDefaultSelection & ~0x1000u;
    EXPECT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(State(), "found 0x1000 ready 1 slots - open 0"); // the probe's device was released
    EXPECT_EQ(host.freed, std::vector<std::wstring>{L"Vistar S USB"});
    // Selected again and re-created: it runs; deselected and re-created: the found bit stays.
    host.selection = CReceivers::kDefaultSelection;
    EXPECT_EQ(receivers->ReinitReceiver(12, 1), 1);
    EXPECT_EQ(State(), "found 0x1000 ready 1 slots 12 open 1");
    host.selection = 0;
    EXPECT_EQ(receivers->ReinitReceiver(12, 1), 1);
    EXPECT_EQ(State(), "found 0x1000 ready 1 slots - open 0");
}

TEST_F(ReceiversTest, SingleTypesComeAndGoAndFreeReceiversClearsEverything) {
    // A type without a source: nothing is created.
    EXPECT_EQ(receivers->ReinitReceiver(3, 1), 0);
    // The device arrives and is opened anew while it polls: its thread ends first.
    bus.installed = {L"Vistar S USB"};
    EXPECT_EQ(receivers->ReinitReceiver(12, 1), 1);
    const uint32_t first = threads.Last();
    CSrc& source = *receivers->Source(12);
    EXPECT_EQ(source.Init(&log, test::EventLog::Callback), 1);
    EXPECT_TRUE(threads.threads[first].ended);
    EXPECT_EQ(State(), "found 0x1000 ready 0 slots 12 open 1");
    // Unplugged: Init fails, the thread is gone and the receiver released; then it is freed.
    bus.installed.clear();
    EXPECT_EQ(source.Init(&log, test::EventLog::Callback), 0);
    EXPECT_FALSE(static_cast<CSrcPoll&>(source).IsPolling());
    EXPECT_EQ(State(), "found 0x1000 ready 0 slots 12? open 0");
    EXPECT_EQ(receivers->FreeReceiver(12), 1);
    EXPECT_EQ(State(), "found 0x0 ready 0 slots - open 0");
    bus.installed = {L"Vistar S USB"};
    // Numbers that are no type are refused.
    EXPECT_EQ(receivers->FreeReceiver(-1) + receivers->FreeReceiver(kReceiverSlotCount) +
                  receivers->ReinitReceiver(32, 1),
              0);
    // A re-scan keeps one running source; FreeReceivers ends it and clears the state.
    ASSERT_EQ(receivers->InitReceivers(), 1);
    ASSERT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(State(), "found 0x1000 ready 1 slots 12 open 1");
    EXPECT_EQ(receivers->FreeReceivers(), 1);
    EXPECT_EQ(State(), "found 0x0 ready 0 slots - open 0");
    // A re-creation that fails (the receiver is unplugged) leaves neither source nor bit.
    bus.installed.clear();
    EXPECT_EQ(receivers->ReinitReceiver(12, 1), 0);
    EXPECT_EQ(State(), "found 0x0 ready 0 slots - open 0");
}

// Sockets that are never used: the connection thread does not run on fake threads.
class NoSockets final : public ISockets {
public:
    std::unique_ptr<ISocket> NewSocket() override { return nullptr; }
};

TEST_F(ReceiversTest, TheNetworkAndHidReceiversAreFoundWhenEnabledConfiguredOrPresent) {
    EXPECT_EQ(receivers->ReinitReceiver(16, 1) + receivers->ReinitReceiver(17, 1), 0); // not enabled
    NoSockets sockets;
    test::FakeHidInputs inputs;
    bool configured = false;
    factory.EnableIrServer(sockets, [&](tagIRSERVERCONFIG& config) {
        config.host = L"mediapc", config.port = 8765;
        return configured;
    });
    factory.EnableHidRemote(inputs);
    EXPECT_EQ(receivers->ReinitReceiver(16, 1) + receivers->ReinitReceiver(17, 1), 0);
    // A configured server counts as found before it answers; a HID remote when its device is there.
    configured = true, inputs.present = true;
    EXPECT_EQ(receivers->ReinitReceiver(16, 1) + receivers->ReinitReceiver(17, 1), 2);
    // The HID remote runs only once the user selects it: it takes the keyboards' media keys.
    EXPECT_EQ(State(), "found 0x30000 ready 0 slots 16 open 0");
    host.selection |= 0x20000u;
    EXPECT_EQ(receivers->ReinitReceiver(17, 1), 1);
    EXPECT_EQ(State(), "found 0x30000 ready 0 slots 16 17 open 0");
    EXPECT_EQ(receivers->Source(16)->GetDescription(), L"mediapc:8765");
    EXPECT_EQ(receivers->Source(17)->GetName(), ReceiverTypeName(17));
    inputs.present = false;
    EXPECT_EQ(receivers->ReinitReceiver(17, 1), 0);
    EXPECT_EQ(State(), "found 0x10000 ready 0 slots 16 open 0");
}

TEST_F(ReceiversTest, AReceiverThatNoLongerAnswersLogsUnmappedCodes) {
    test::TraceCapture trace(clock, 3);
    bus.installed = {L"Vistar S USB"};
    bus.reply = 0; // the preset reply value stays when the driver does not answer
    ASSERT_EQ(receivers->InitReceivers(), 1);
    test::RunFor(threads, clock, *threads.events.back(), 1500);
    EXPECT_EQ(log.Size(), 0u);
    // Code 0x00 passes the filter as a new key at the first poll and as repeats from a second on.
    EXPECT_EQ(trace.Count(L"Could not map NEC key code!!!"), 3u); // polls at 80, 1120 and 1360
}

TEST_F(ReceiversTest, TheScriptedReceiverIsFoundOnlyWhenEnabled) {
    bus.installed = {L"Vistar S USB"};
    ASSERT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(State(), "found 0x1000 ready 1 slots 12 open 1"); // not listed on the options page
    factory.EnableScriptedReceiver(L"demo.rcs");
    ASSERT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(State(), "found 0x9000 ready 1 slots 12 15 open 1");
    EXPECT_EQ(receivers->Source(15)->GetDescription(), L"demo.rcs");
    // Alone, it makes the receivers ready; a script that cannot be read is not found.
    bus.installed.clear();
    ASSERT_EQ(receivers->InitReceivers(), 1);
    EXPECT_EQ(State(), "found 0x8000 ready 1 slots 15 open 0");
    factory.EnableScriptedReceiver(L"missing.rcs");
    EXPECT_EQ(receivers->InitReceivers(), 0);
    factory.EnableScriptedReceiver(L"");
    EXPECT_EQ(receivers->ReinitReceiver(15, 1), 0);
}

} // namespace
} // namespace lm
