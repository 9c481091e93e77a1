// CLMThread runs one worker on a thread of its own, once or at an interval, and stops it cooperatively
// through a manual-reset stop event with a bounded wait.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Sync.h"

namespace lm {

class CLMThread {
public:
    using Worker = uint32_t (*)(void* parameter);

    explicit CLMThread(IThreads& threads);
    // Stops the thread (10000 ms) and closes the stop event. A thread that does not end by then is
    // waited for without limit: it still uses this object.
    virtual ~CLMThread();
    CLMThread(const CLMThread&) = delete;
    CLMThread& operator=(const CLMThread&) = delete;

    // Starts `worker(parameter)` on a new thread: once when interval < 0, otherwise again each time
    // the stop event stays unset for `interval` ms. Stops a running thread first; when that thread
    // does not end in time, nothing is started. Returns non-zero when a thread was created.
    int StartThread(Worker worker, void* parameter, const char* name, int32_t interval);
    // Returns non-zero when no thread was running or it ended within the time-out.
    int StopThread(uint32_t timeoutMs);

    uint32_t ThreadId() const { return threadId_.load(std::memory_order_acquire); }
    bool IsRunning() const { return ThreadId() != 0; }
    // The worker's cancellation signal: workers that loop or wait by themselves wait on it.
    IEvent& StopEvent() { return *stopEvent_; }
    const std::string& Name() const { return name_; }

private:
    struct Run {
        Worker worker;
        void* parameter;
        int32_t interval;
        int com;
        int trace;
        std::string name;
    };
    uint32_t Entry(const Run& run);
    int StopThreadLocked(uint32_t timeoutMs);

    IThreads& threads_;
    std::mutex control_; // serialises StartThread and StopThread
    int com_ = 0;
    int trace_ = 0;
    std::string name_;
    std::atomic<uint32_t> threadId_{0};
    Worker worker_ = nullptr;
    void* parameter_ = nullptr;
    int32_t interval_ = -1;
    std::unique_ptr<IEvent> stopEvent_;
};

} // namespace lm
