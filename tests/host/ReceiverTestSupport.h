// Shared pieces of the receiver tests: trace capture on fake process services, an event log that
// serves as the owner's callback, and a polling source whose receiver is a function of the test.
#pragma once
#include "fakes/FakeClock.h"
#include "fakes/FakeProcess.h"
#include "fakes/FakeThreads.h"
#include "receivers/Src.h"
#include "support/LMDebug.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace lm::test {

// Attaches the test thread to a trace written to fake process services, at the given verbosity.
class TraceCapture {
public:
    TraceCapture(FakeClock& clock, uint32_t level) {
        TraceSetPlatform(&proc, &clock);
        // A second attached thread keeps the settings when a source's polling proc attaches the test
        // thread again (it runs on the test thread under fake threads).
        proc.tid = 2;
        TraceInitEx(level);
        proc.tid = 1;
        TraceInitEx(level);
        TraceSetVerboseLevel(level);
        Clear();
    }
    ~TraceCapture() {
        proc.tid = 1;
        TraceTerminateThread(1, true);
        proc.tid = 2;
        TraceTerminateThread(2, true);
        proc.tid = 1;
        TraceSetPlatform(nullptr, nullptr);
    }
    void Clear() {
        std::lock_guard lock(proc.mutex);
        proc.debugger.clear();
    }
    size_t Count(const std::wstring& text) {
        std::lock_guard lock(proc.mutex);
        return static_cast<size_t>(
            std::count_if(proc.debugger.begin(), proc.debugger.end(),
                          [&](const std::wstring& l) { return l.find(text) != std::wstring::npos; }));
    }
    bool Has(const std::wstring& text) { return Count(text) > 0; }
    std::vector<std::wstring> Lines() {
        std::lock_guard lock(proc.mutex);
        return proc.debugger;
    }
    FakeProcess proc;
};

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
    FnPollSource(const SrcServices& services, uint32_t remoteModel, std::function<uint8_t()> read,
                 std::wstring name = L"Test Receiver")
        : CSrcPoll(services, std::move(name), remoteModel), read_(std::move(read)) {}
    ~FnPollSource() override { StopPolling(); }
    uint8_t GetCurrentKeyCode() override { return read_ ? read_() : CSrcPoll::GetCurrentKeyCode(); }
    using CSrcPoll::StopEvent;

private:
    std::function<uint8_t()> read_;
};

} // namespace lm::test
