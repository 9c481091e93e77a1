// Events and threads. Every wait of the program goes through these so timing logic runs against fakes.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace lm {

constexpr uint32_t kInfinite = 0xFFFFFFFFu;

enum class WaitResult { Signalled, Timeout, Failed };

class IEvent {
public:
    virtual ~IEvent() = default;
    virtual void Set() = 0;
    virtual void Reset() = 0;
    virtual bool IsSet() = 0;
    virtual WaitResult Wait(uint32_t milliseconds) = 0;
};

// A thread as seen from outside: it can be waited for. Closing the handle does not touch the thread.
class IThreadHandle {
public:
    virtual ~IThreadHandle() = default;
    virtual uint32_t Id() const = 0;
    virtual WaitResult Wait(uint32_t milliseconds) = 0;
    // Only for handles from CreateSuspended: lets the thread run. Returns false when it cannot.
    virtual bool Resume() = 0;
};

class IThreads {
public:
    virtual ~IThreads() = default;
    // (Not named CreateEvent: windows.h turns that name into a macro.)
    virtual std::unique_ptr<IEvent> NewEvent(bool manualReset, bool initiallySet) = 0;
    // Creates a thread that does not run until Resume; null when it cannot be created.
    virtual std::unique_ptr<IThreadHandle> CreateSuspended(std::function<uint32_t()> entry) = 0;
    // Opens a running thread by id for waiting; null when no such thread runs.
    virtual std::unique_ptr<IThreadHandle> Open(uint32_t threadId) = 0;
    virtual uint32_t CurrentThreadId() = 0;
    // Names a thread for debuggers (8-bit name, at most 255 characters).
    virtual void SetThreadName(uint32_t threadId, const std::string& name) = 0;
    // Per-thread COM apartment; a no-op where there is no COM.
    virtual void ComInitialize() = 0;
    virtual void ComUninitialize() = 0;
};

} // namespace lm
