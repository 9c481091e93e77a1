// Deterministic events and threads for single-threaded tests of timing logic. An event wait that is
// not satisfied advances the fake clock by the whole time-out, as if the time had passed.
#pragma once
#include "FakeClock.h"
#include "platform/Sync.h"

#include <deque>
#include <functional>
#include <map>
#include <string>

namespace lm::test {

class FakeEvent final : public IEvent {
public:
    FakeEvent(FakeClock* clock, bool manualReset, bool initiallySet)
        : clock_(clock), manual_(manualReset), set_(initiallySet) {}
    void Set() override { set_ = true; }
    void Reset() override { set_ = false; }
    bool IsSet() override { return set_; }
    WaitResult Wait(uint32_t ms) override {
        ++waits;
        lastTimeout = ms;
        if (onWait)
            onWait(*this, ms);
        if (set_) {
            if (!manual_)
                set_ = false;
            return WaitResult::Signalled;
        }
        if (clock_ && ms != kInfinite)
            clock_->Advance(ms);
        return WaitResult::Timeout;
    }
    // Runs inside every wait before it is decided, e.g. to set the event after some waits.
    std::function<void(FakeEvent&, uint32_t)> onWait;
    int waits = 0;
    uint32_t lastTimeout = 0;

private:
    FakeClock* clock_;
    bool manual_;
    bool set_;
};

// Threads that never run on their own: the test runs them with RunPending(). A thread can be made
// to ignore waits (it "never ends") to test time-outs.
class FakeThreads final : public IThreads {
public:
    explicit FakeThreads(FakeClock* clock = nullptr) : clock_(clock) {}

    struct Thread {
        std::function<uint32_t()> entry;
        bool resumed = false;
        bool ended = false;
        bool hangs = false; // Wait on it times out
    };

    std::unique_ptr<IEvent> NewEvent(bool manualReset, bool initiallySet) override {
        auto e = std::make_unique<FakeEvent>(clock_, manualReset, initiallySet);
        events.push_back(e.get());
        return e;
    }
    std::unique_ptr<IThreadHandle> CreateSuspended(std::function<uint32_t()> entry) override {
        if (failCreate)
            return nullptr;
        uint32_t id = nextId_;
        nextId_ += 4;
        threads[id] = Thread{std::move(entry)};
        order.push_back(id);
        return std::make_unique<Handle>(*this, id);
    }
    std::unique_ptr<IThreadHandle> Open(uint32_t id) override {
        auto it = threads.find(id);
        if (it == threads.end() || it->second.ended)
            return nullptr;
        return std::make_unique<Handle>(*this, id);
    }
    uint32_t CurrentThreadId() override { return current; }
    void SetThreadName(uint32_t id, const std::string& name) override { names[id] = name; }
    void ComInitialize() override { ++comInits; }
    void ComUninitialize() override { ++comUninits; }

    // Runs every resumed thread that has not run yet, to its end.
    void RunPending() {
        for (uint32_t id : order) {
            Thread& t = threads[id];
            if (t.resumed && !t.ended && !t.hangs)
                RunThread(id);
        }
    }
    void RunThread(uint32_t id) {
        Thread& t = threads[id];
        uint32_t saved = current;
        current = id;
        t.entry();
        current = saved;
        threads[id].ended = true;
    }

    std::map<uint32_t, Thread> threads;
    std::deque<uint32_t> order;
    std::vector<FakeEvent*> events;
    std::map<uint32_t, std::string> names;
    uint32_t current = 1;
    int comInits = 0;
    int comUninits = 0;
    bool failCreate = false;

private:
    class Handle final : public IThreadHandle {
    public:
        Handle(FakeThreads& owner, uint32_t id) : owner_(owner), id_(id) {}
        uint32_t Id() const override { return id_; }
        WaitResult Wait(uint32_t ms) override {
            Thread& t = owner_.threads[id_];
            if (t.ended)
                return WaitResult::Signalled;
            if (t.hangs || !t.resumed) {
                if (owner_.clock_ && ms != kInfinite)
                    owner_.clock_->Advance(ms);
                return WaitResult::Timeout;
            }
            // A resumed thread that has not run yet runs now, as if it had been scheduled.
            owner_.RunThread(id_);
            return WaitResult::Signalled;
        }
        bool Resume() override {
            owner_.threads[id_].resumed = true;
            return true;
        }

    private:
        FakeThreads& owner_;
        uint32_t id_;
    };

    FakeClock* clock_;
    uint32_t nextId_ = 0x200;
};

} // namespace lm::test
