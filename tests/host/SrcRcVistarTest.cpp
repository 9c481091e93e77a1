// The device source of receiver type 12 against a fake receiver.
#include "receivers/SrcRcVistar.h"

#include "ReceiverTestSupport.h"
#include "fakes/FakeIrDevice.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace lm {
namespace {

TEST(SrcRcVistarReply, NoKeyReplyAndLowEightBits) {
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0xFFFFFFEEu), kNecNoKey);
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0x000000FEu), kNecSameKey);
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0x00000301u), 0x01);
    EXPECT_EQ(CSrcRcVistar_S_USB::CodeFromReply(0xFFFFFFEFu), 0xEF);
}

class SrcRcVistarTest : public ::testing::Test {
protected:
    std::unique_ptr<CSrcRcVistar_S_USB> Make() {
        auto src = std::make_unique<CSrcRcVistar_S_USB>(services, devices.CreateDevice());
        stop = threads.events.back();
        return src;
    }
    void RunUntil(uint32_t end) {
        stop->onWait = [this, end](test::FakeEvent& e, uint32_t) {
            if (clock.TickCount() >= end)
                e.Set();
        };
        threads.RunPending();
    }

    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    SrcServices services{clock, threads, nullptr};
    test::FakeIrBus bus;
    test::FakeIrDevices devices{bus};
    test::EventLog log{clock};
    test::FakeEvent* stop = nullptr;
};

TEST_F(SrcRcVistarTest, TheReceiverIsFoundByAPartOfItsNameAndPolled) {
    bus.installed = {L"BDA Digital Tuner", L"vistar s usb", L"Vistar S-USB"};
    auto src = Make();
    EXPECT_EQ(src->GetName(), L"Vistar S USB");
    EXPECT_EQ(src->GetRemoteModel(), 64u);
    // The match is case-sensitive and exact within the name.
    EXPECT_EQ(src->Init(&log, test::EventLog::Callback), 0);
    EXPECT_EQ(src->IsInitialised(), 0);
    EXPECT_TRUE(threads.threads.empty());

    bus.installed.push_back(L"Lumora Vistar S USB IR Receiver (2)");
    bus.replyFn = [this] { return clock.TickCount() < 100 ? 0x0000010Cu : kIrReplyNoKey; };
    ASSERT_EQ(src->Init(&log, test::EventLog::Callback), 1);
    EXPECT_EQ(bus.lastOpened, L"Lumora Vistar S USB IR Receiver (2)");
    EXPECT_EQ(threads.names.begin()->second, "LM: Vistar S USB CSrcPoll::PollForIrEvent()");
    RunUntil(400);
    EXPECT_EQ(log.Trail(), "200@80"); // code 0x0C of remote model 64
    EXPECT_EQ(log.Events()[0].source, src.get());
}

TEST_F(SrcRcVistarTest, AReceiverThatNoLongerAnswersLogsUnmappedCodes) {
    test::TraceCapture trace(clock, 3);
    bus.installed = {L"Vistar S USB"};
    bus.reply = 0; // the preset reply value stays when the driver does not answer
    auto src = Make();
    ASSERT_EQ(src->Init(&log, test::EventLog::Callback), 1);
    RunUntil(1500);
    EXPECT_EQ(log.Size(), 0u);
    // Code 0x00 passes the filter as a new key at the first poll and as repeats from a second on.
    EXPECT_EQ(trace.Count(L"Could not map NEC key code!!!"), 3u); // polls at 80, 1120 and 1360
}

TEST_F(SrcRcVistarTest, InitAgainEndsPollingBeforeTheReceiverIsReopened) {
    bus.installed = {L"Vistar S USB"};
    auto src = Make();
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

// Real threads: the receiver is never read after it was closed.
TEST(SrcRcVistarNative, ReinitAndDeleteNeverReadAClosedReceiver) {
    CLMTraceProcess attach(3); // as the program's main thread
    test::FakeIrBus bus;
    bus.installed = {L"Vistar S USB"};
    test::FakeIrDevices devices{bus};
    test::EventLog log{NativePlatform().clock};
    SrcServices services{NativePlatform().clock, NativePlatform().threads, nullptr};
    for (int round = 0; round < 20; ++round) {
        CSrcRcVistar_S_USB src(services, devices.CreateDevice());
        src.SetPollPeriod(1);
        for (int i = 0; i < 5; ++i) {
            ASSERT_EQ(src.Init(&log, test::EventLog::Callback), 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(3)); // let it poll
        }
    }
    EXPECT_FALSE(bus.readWhileClosed);
    EXPECT_EQ(bus.liveDevices.load(), 0);
    EXPECT_EQ(bus.openDevices.load(), 0);
}

} // namespace
} // namespace lm
