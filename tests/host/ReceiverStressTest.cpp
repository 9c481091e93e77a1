// Receivers on real threads: thousands of creations, re-initialisations and deletions with a polling
// fake receiver, and an owner whose callback blocks. For races under AddressSanitizer and
// ThreadSanitizer; the timing itself is tested on the fake clock.
#include "receivers/Receivers.h"

#include "ReceiverTestSupport.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeIrDevice.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <random>
#include <thread>

namespace lm {
namespace {

using namespace std::chrono_literals;

// Waits up to five seconds for a condition.
bool Eventually(const std::function<bool()>& condition) {
    for (auto until = std::chrono::steady_clock::now() + 5s; !condition();) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

struct CountingOwner {
    std::atomic<int> calls{0};
    static int32_t Callback(void* context, const tagIREVENT* event) {
        EXPECT_NE(event->source, nullptr);
        static_cast<CountingOwner*>(context)->calls.fetch_add(1);
        return 1;
    }
};

// The owner's settings, and a factory that makes the ordinary sources with a short poll period.
class FastHost final : public IReceiverHost, public ISourceFactory {
public:
    explicit FastHost(CReceiverFactory& inner) : inner_(inner) {}
    uint32_t ReceiverSelection() override { return selection; }
    void SaveReceiverSettings() override {}
    void ReceiverFreeing(CSrc&) override {}
    std::unique_ptr<CSrc> CreateSource(int type) override {
        auto source = inner_.CreateSource(type);
        if (auto* poll = dynamic_cast<CSrcPoll*>(source.get()))
            poll->SetPollPeriod(1);
        return source;
    }
    uint32_t selection = CReceivers::kDefaultSelection;

private:
    CReceiverFactory& inner_;
};

TEST(ReceiverStress, ThousandsOfCreationsLeaveNoDeviceOrMemoryBehind) {
    CLMTraceProcess attach(3);
    test::FakeIrBus bus;
    bus.installed = {L"Vistar S USB"};
    std::atomic<uint32_t> n{0};
    // Every poll a different code of remote model 64, so keys keep reaching the callback.
    bus.replyFn = [&n] {
        static constexpr uint32_t codes[] = {0x0C, 0x02, kIrReplyNoKey, 0x4E, 0x00, 0xFE};
        return codes[n.fetch_add(1, std::memory_order_relaxed) % 6];
    };
    test::FakeIrDevices devices{bus};
    test::FakeFileSystem fs;
    fs.files[L"s.rcs"].bytes = "code 0x0C 3\npause 2\nloop\n";
    tagSRCSERVICES services{NativePlatform().clock, NativePlatform().threads, nullptr};
    CReceiverFactory inner{services, devices, fs};
    inner.EnableScriptedReceiver(L"s.rcs");
    FastHost host{inner};
    CountingOwner owner;
    {
        CReceivers receivers(host, host, &owner, CountingOwner::Callback);
        std::mt19937 random(12345);
        for (int i = 0; i < 3000; ++i) {
            switch (random() % 6) {
            case 0:
                ASSERT_EQ(receivers.InitReceivers(), 1);
                break;
            case 1:
                receivers.FreeReceiver(12);
                break;
            case 2:
                receivers.FreeReceivers();
                break;
            case 3:
                if (CSrc* running = receivers.Source(12)) // opened anew while it polls
                    running->Init(&owner, CountingOwner::Callback);
                host.selection = random() % 2 ? CReceivers::kDefaultSelection : 0x8000u;
                [[fallthrough]];
            default:
                receivers.ReinitReceiver(random() % 2 ? 12 : 15, 1);
                break;
            }
            if (i % 10 == 0)
                std::this_thread::sleep_for(1ms); // let the threads poll now and then
        }
        // The last state still runs and delivers.
        host.selection = CReceivers::kDefaultSelection;
        ASSERT_EQ(receivers.InitReceivers(), 1);
        const int before = owner.calls.load();
        EXPECT_TRUE(Eventually([&] { return owner.calls.load() >= before + 20; }));
    }
    EXPECT_EQ(bus.liveDevices.load(), 0);
    EXPECT_EQ(bus.openDevices.load(), 0);
    EXPECT_FALSE(bus.readWhileClosed);
}

// An owner whose callback blocks the first time it is called, until released.
struct BlockingOwner {
    std::promise<void> blocked, release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> calls{0};
    std::atomic<bool> returned{false};
    static int32_t Callback(void* context, const tagIREVENT*) {
        auto* self = static_cast<BlockingOwner*>(context);
        if (self->calls++ == 0) {
            self->blocked.set_value();
            self->released.wait();
            self->returned = true;
        }
        return 1;
    }
};

TEST(ReceiverStress, DeletingASourceWaitsForItsBlockedCallbackWhileOthersGoOn) {
    CLMTraceProcess attach(3);
    tagSRCSERVICES services{NativePlatform().clock, NativePlatform().threads, nullptr};
    // Both receivers report a new key at every poll.
    std::atomic<uint32_t> na{0}, nb{0};
    auto alternate = [](std::atomic<uint32_t>& n) {
        return [&n] { return n.fetch_add(1) % 2 ? uint8_t{0x0C} : uint8_t{0x02}; };
    };
    BlockingOwner blocking;
    CountingOwner counting;
    auto a = std::make_unique<test::FnPollSource>(services, 64, alternate(na), L"A");
    test::FnPollSource b(services, 64, alternate(nb), L"B");
    a->SetPollPeriod(1);
    b.SetPollPeriod(1);
    ASSERT_EQ(a->Init(&blocking, BlockingOwner::Callback), 1);
    ASSERT_EQ(b.Init(&counting, CountingOwner::Callback), 1);
    ASSERT_EQ(blocking.blocked.get_future().wait_for(5s), std::future_status::ready);
    const int callsB = counting.calls.load();
    EXPECT_TRUE(Eventually([&] { return counting.calls.load() >= callsB + 20; }));
    std::thread release([&] {
        std::this_thread::sleep_for(50ms); // while A is being deleted
        blocking.release.set_value();
    });
    a.reset();
    EXPECT_TRUE(blocking.returned);
    release.join();
    EXPECT_TRUE(b.IsPolling());
}

} // namespace
} // namespace lm
