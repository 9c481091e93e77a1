// Shared pieces of the receiver tests: an event log that serves as the owner's callback, a polling
// source whose receiver is a function of the test, fake time for polling threads, and the system's
// HID input as a test drives it.
#pragma once
#include "fakes/FakeProcess.h"
#include "fakes/FakeThreads.h"
#include "platform/HidInput.h"
#include "receivers/Src.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace lm::test {

struct LoggedEvent {
    CSrc* source;
    int32_t keyId;
    uint32_t singleShot;
    uint32_t tick;
};

// The owner of a source in tests: records every event with the time it arrived.
class EventLog {
public:
    explicit EventLog(IClock& clock, int32_t result = 1) : clock_(clock), result_(result) {}
    static int32_t Callback(void* context, const tagIREVENT* event) {
        auto* self = static_cast<EventLog*>(context);
        std::lock_guard lock(self->mutex_);
        self->events_.push_back(
            LoggedEvent{event->source, event->keyId, event->singleShot, self->clock_.TickCount()});
        return self->result_;
    }
    std::vector<LoggedEvent> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    size_t Size() { return Events().size(); }
    // The events as "key@tick", with "!" for a single-shot key and ticks counted from `start`, for
    // comparing whole sequences: "200@80 200@1120 266@1800!".
    std::string Trail(uint32_t start = 0) {
        std::string out;
        for (const LoggedEvent& e : Events())
            out += (out.empty() ? "" : " ") + std::to_string(e.keyId) + "@" + std::to_string(e.tick - start) +
                   (e.singleShot ? "!" : "");
        return out;
    }

private:
    IClock& clock_;
    int32_t result_;
    std::mutex mutex_;
    std::vector<LoggedEvent> events_;
};

// A polling source whose receiver the test describes as a function.
class FnPollSource : public CSrcPoll {
public:
    FnPollSource(const tagSRCSERVICES& services, uint32_t remoteModel, std::function<uint8_t()> read,
                 std::wstring name = L"Test Receiver")
        : CSrcPoll(services, std::move(name), remoteModel), read_(std::move(read)) {}
    ~FnPollSource() override { StopPolling(); }
    uint8_t GetCurrentKeyCode() override { return read_ ? read_() : CSrcPoll::GetCurrentKeyCode(); }
    using CSrcPoll::StopEvent;

private:
    std::function<uint8_t()> read_;
};

// Runs the pending fake threads for `ms` of fake time: the stop event of a polling source is set at
// its first wait once the time has passed.
inline void RunFor(FakeThreads& threads, FakeClock& clock, IEvent& stop, uint32_t ms) {
    static_cast<FakeEvent&>(stop).onWait = [&clock, ms, start = clock.TickCount()](FakeEvent& e, uint32_t) {
        if (clock.TickCount() - start >= ms)
            e.Set();
    };
    threads.RunPending();
    static_cast<FakeEvent&>(stop).onWait = nullptr;
}

// The system's input of HID remotes as a test drives it.
class FakeHidInput final : public IHidInput {
public:
    bool DevicePresent(const std::vector<tagHIDCOLLECTION>& collections) override {
        asked = collections.size();
        return present;
    }
    bool Start(const std::vector<tagHIDCOLLECTION>&, IHidInputSink& s, bool consume) override {
        sink = &s;
        consuming = consume;
        return startWorks;
    }
    void Stop() override { sink = nullptr; }
    void Report(uint16_t page, std::vector<uint8_t> bytes) {
        sink->OnHidReport(tagHIDCOLLECTION{page, 1}, bytes.data(), bytes.size());
    }
    bool present = true, startWorks = true, consuming = false;
    size_t asked = 0;
    IHidInputSink* sink = nullptr;
};

class FakeHidInputs final : public IHidInputs {
public:
    std::unique_ptr<IHidInput> NewInput() override {
        auto input = std::make_unique<FakeHidInput>();
        input->present = present;
        return input;
    }
    bool present = false;
};

} // namespace lm::test
