// Deterministic events and threads for single-threaded tests of timing logic. An event wait that is
// not satisfied advances the fake clock by the whole time-out, as if the time had passed.
#pragma once
#include "FakeClock.h"
#include "platform/Sync.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lm::test {

class FakeEvent final : public IEvent {
public:
    FakeEvent(FakeClock* clock, bool manualReset, bool initiallySet)
        : clock_(clock), manual_(manualReset), set_(initiallySet) {}
    void Set() override { set_ = true; }
    void Reset() override { set_ = false; }
    bool IsSet() override { return set_; }
    WaitResult Wait(uint32_t ms) override {
        if (onWait)
            onWait(*this, ms);
        if (set_) {
            set_ = manual_;
            return WaitResult::Signalled;
        }
        if (clock_ && ms != kInfinite)
            clock_->Advance(ms);
        return WaitResult::Timeout;
    }
    // Runs inside every wait before it is decided, e.g. to set the event after some waits.
    std::function<void(FakeEvent&, uint32_t)> onWait;

private:
    FakeClock* clock_;
    bool manual_;
    bool set_;
};

// Threads that never run on their own: the test runs them with RunPending(), or a wait for a thread
// runs it. A thread that "hangs" ignores waits, to test time-outs. Thread ids grow with every thread,
// so the map holds them in the order they were created.
class FakeThreads final : public IThreads {
public:
    explicit FakeThreads(FakeClock* clock = nullptr) : clock_(clock) {}

    struct Thread {
        std::function<uint32_t()> entry;
        bool resumed = false;
        bool ended = false;
        bool hangs = false;
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
    void ComInitialize() override { ++com[current]; }
    void ComUninitialize() override { --com[current]; }

    // Runs every resumed thread that has not run yet, to its end.
    void RunPending() {
        for (auto& [id, t] : threads)
            if (t.resumed && !t.ended && !t.hangs)
                RunThread(id);
    }
    void RunThread(uint32_t id) {
        uint32_t saved = current;
        current = id;
        threads[id].entry();
        current = saved;
        threads[id].ended = true;
    }
    uint32_t Last() const { return threads.empty() ? 0 : threads.rbegin()->first; }

    std::map<uint32_t, Thread> threads;
    std::vector<FakeEvent*> events;
    std::map<uint32_t, std::string> names;
    std::map<uint32_t, int> com; // COM initialisations that are not released, per thread
    uint32_t current = 1;
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
