// Event sources: one object per infrared receiver. A source turns the 8-bit codes its receiver reports
// into key IDs by the code table of its remote model, filters repeats, tells a tap from a hold of the
// double-function keys, and hands each key to its owner through a callback.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Clock.h"
#include "platform/Sync.h"
#include "receivers/LMThread.h"
#include "receivers/NecCodeTables.h"
#include "receivers/NecKeyScheduler.h"

namespace lm {

class CSrc;

// One key from a source. It lives on the source's stack during the callback; the callee copies what
// it keeps.
struct tagIREVENT {
    CSrc* source;
    int32_t keyId;
    // 1: the command bound to the key runs once; 0: the dispatcher may repeat it while the key is held.
    uint32_t singleShot;
};

// Returns what the owner makes of the event; the source passes it on from HandleIrEvent.
using IrEventCallback = int32_t (*)(void* ownerContext, const tagIREVENT* event);

// Names a key for the trace; optional.
using KeyNameLookup = std::function<std::wstring(int32_t keyId)>;

// What every source needs of the system.
struct tagSRCSERVICES {
    IClock& clock;
    IThreads& threads;
    KeyNameLookup keyName;
};

class CSrc {
public:
    CSrc(const tagSRCSERVICES& services, std::wstring name, uint32_t remoteModel);
    virtual ~CSrc();
    CSrc(const CSrc&) = delete;
    CSrc& operator=(const CSrc&) = delete;

    virtual int IsInitialised() const;
    virtual uint32_t GetRemoteModel() const;
    virtual std::wstring GetDescription() const;
    // The key ID of the last code that was mapped, -1 when it was not. Read from the dispatcher's
    // thread while a command repeats, to learn whether the key is still held.
    virtual int32_t GetLastKeyId() const;
    // Stores the owner and its callback; fails without a callback.
    virtual int Init(void* ownerContext, IrEventCallback callback);
    // Runs one receiver code through the repeat filter, the code table and the double-function test
    // and delivers the key. Returns the callback's result, 0 when nothing was delivered.
    virtual int32_t HandleIrEvent(uint8_t code, int fromPoll);
    // The key to deliver for a mapped key; this class delivers it unchanged.
    virtual int32_t CheckForDoubleFunctionKey(uint8_t code, int32_t keyId, int fromPoll);
    // Sets the remote model from a 16-bit remote identifier; returns whether it is now non-zero.
    virtual int SelectRemoteModel(uint16_t identifier);
    // The key ID of a receiver code: 1 with *keyId set, or 0. This class uses the code table of the
    // remote model; sources whose codes are no remote's codes override it.
    virtual int MapCode(uint8_t code, int32_t* keyId) const;

    const std::wstring& GetName() const { return name_; }
    // Non-zero when GetLastKeyId follows the receiver while a key is held.
    int HeldKeyReporting() const { return heldKeyReporting_; }
    const CNecKeyScheduler& Scheduler() const { return scheduler_; }

protected:
    void SetDescription(std::wstring description) { description_ = std::move(description); }
    void SetRemoteModel(uint32_t remoteModel) { remoteModel_.store(remoteModel, std::memory_order_relaxed); }
    void SetHeldKeyReporting(int flag) { heldKeyReporting_ = flag; }
    IClock& Clock() const { return clock_; }
    IThreads& Threads() const { return threads_; }

    void* ownerContext_ = nullptr;
    IrEventCallback callback_ = nullptr;
    std::atomic<int> initialised_{0};

private:
    IClock& clock_;
    IThreads& threads_;
    KeyNameLookup keyName_;
    std::atomic<int32_t> lastKeyId_{kNoKeyId};
    std::wstring name_;
    std::wstring description_;
    std::atomic<uint32_t> remoteModel_;
    int heldKeyReporting_ = 0;
    CNecKeyScheduler scheduler_;
};

// A source that asks its receiver for the current code on a thread of its own, every poll period.
class CSrcPoll : public CSrc {
public:
    static constexpr uint32_t kPollPeriodMs = 80;
    static constexpr uint32_t kDoubleFunctionTestMs = 700;
    static constexpr uint32_t kStopTimeoutMs = 10000;

    CSrcPoll(const tagSRCSERVICES& services, std::wstring name, uint32_t remoteModel);
    ~CSrcPoll() override;

    // Stores the owner and starts the polling thread (stopping a running one first). Device classes
    // open their receiver and then call this.
    int Init(void* ownerContext, IrEventCallback callback) override;
    // Keys 268 and 269: waits the test time, reads the receiver once, and delivers the long-press key
    // when the same key is still down, else the short-press key.
    int32_t CheckForDoubleFunctionKey(uint8_t code, int32_t keyId, int fromPoll) override;

    // The receiver's current code: kNecNoKey when no key is down, kNecSameKey when the key that was
    // down still is. Device classes override it.
    virtual uint8_t GetCurrentKeyCode();
    // Reads the receiver once and handles the code.
    virtual int32_t PollOnce();
    // The polling loop: polls each time the stop event stays unset for the poll period. Returns 1.
    virtual int PollForIrEvent(int argument);

    static uint32_t PollForIrEventThreadProc(void* source);

    uint32_t PollPeriod() const { return pollPeriod_.load(std::memory_order_relaxed); }
    // Another poll period (tests and tools); takes effect at the next wait.
    void SetPollPeriod(uint32_t ms) { pollPeriod_.store(ms, std::memory_order_relaxed); }
    bool IsPolling() const { return thread_.IsRunning(); }

protected:
    // Stops the polling thread. Every class that overrides GetCurrentKeyCode calls it first in its
    // destructor, so the thread never reads a half-destroyed object. Returns 0 when the thread did not
    // end in time.
    int StopPolling();
    IEvent& StopEvent() { return thread_.StopEvent(); }

private:
    std::atomic<uint32_t> pollPeriod_{kPollPeriodMs};
    CLMThread thread_;
};

} // namespace lm
