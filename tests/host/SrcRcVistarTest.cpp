// The device source of receiver type 12 against a fake receiver.
#include "receivers/SrcRcVistar.h"

#include "ReceiverTestSupport.h"
#include "fakes/FakeIrDevice.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

class SrcRcVistarTest : public ::testing::Test {
protected:
    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    SrcServices services{clock, threads, nullptr};
    test::FakeIrBus bus;
    test::FakeIrDevices devices{bus};
    test::EventLog log{clock};
    std::unique_ptr<CSrcRcVistar_S_USB> src =
        std::make_unique<CSrcRcVistar_S_USB>(services, devices.CreateDevice());
    IEvent& stop = *threads.events.back();
};

TEST_F(SrcRcVistarTest, TheReceiverIsFoundByAPartOfItsNameAndPolled) {
    EXPECT_EQ(src->GetName(), L"Vistar S USB");
    EXPECT_EQ(src->GetRemoteModel(), 64u);
    // The match is case-sensitive and exact within the name.
    bus.installed = {L"BDA Digital Tuner", L"vistar s usb", L"Vistar S-USB"};
    EXPECT_EQ(src->Init(&log, test::EventLog::Callback), 0);
    EXPECT_EQ(src->IsInitialised(), 0);
    EXPECT_TRUE(threads.threads.empty());
    bus.installed.push_back(L"Lumora Vistar S USB IR Receiver (2)");
    bus.replyFn = [this] { return clock.TickCount() < 100 ? 0x0000010Cu : kIrReplyNoKey; };
    ASSERT_EQ(src->Init(&log, test::EventLog::Callback), 1);
    EXPECT_EQ(bus.lastOpened, L"Lumora Vistar S USB IR Receiver (2)");
    EXPECT_EQ(threads.names[threads.Last()], "LM: Vistar S USB CSrcPoll::PollForIrEvent()");
    test::RunFor(threads, clock, stop, 400);
    EXPECT_EQ(log.Trail(), "200@80"); // code 0x0C of remote model 64
    EXPECT_EQ(log.Events()[0].source, src.get());
    // The reply's low eight bits are the code; 0xFFFFFFEE is no key.
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0xFFFFFFEEu), kNecNoKey);
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0x000000FEu), kNecSameKey);
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0x00000301u), 0x01);
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0xFFFFFFEFu), 0xEF);
}

TEST_F(SrcRcVistarTest, AReceiverThatNoLongerAnswersLogsUnmappedCodes) {
    test::TraceCapture trace(clock, 3);
    bus.installed = {L"Vistar S USB"};
    bus.reply = 0; // the preset reply value stays when the driver does not answer
    ASSERT_EQ(src->Init(&log, test::EventLog::Callback), 1);
    test::RunFor(threads, clock, stop, 1500);
    EXPECT_EQ(log.Size(), 0u);
    // Code 0x00 passes the filter as a new key at the first poll and as repeats from a second on.
    EXPECT_EQ(trace.Count(L"Could not map NEC key code!!!"), 3u); // polls at 80, 1120 and 1360
}

TEST_F(SrcRcVistarTest, InitAgainEndsPollingBeforeTheReceiverIsReopened) {
    bus.installed = {L"Vistar S USB"};
    ASSERT_EQ(src->Init(&log, test::EventLog::Callback), 1);
    uint32_t first = threads.Last();
    ASSERT_EQ(src->Init(&log, test::EventLog::Callback), 1);
    EXPECT_TRUE(threads.threads[first].ended);
    EXPECT_EQ(bus.openDevices.load(), 1);
    // The receiver is unplugged: Init fails, the thread is gone and the receiver released.
    bus.installed.clear();
    EXPECT_EQ(src->Init(&log, test::EventLog::Callback), 0);
    EXPECT_FALSE(src->IsPolling());
    EXPECT_EQ(src->IsInitialised(), 0);
    EXPECT_EQ(bus.openDevices.load(), 0);
    src.reset();
    EXPECT_EQ(bus.liveDevices.load(), 0);
    EXPECT_FALSE(bus.readWhileClosed);
}

} // namespace
} // namespace lm
