#include "receivers/LMThread.h"

#include "support/LMDebug.h"
#include "base/Text.h"

namespace lm {

namespace {
constexpr uint32_t kDefaultStopTimeoutMs = 10000;
constexpr uint32_t kWaitFailed = 0xFFFFFFFFu;
} // namespace

CLMThread::CLMThread(IThreads& threads) : threads_(threads), stopEvent_(threads.NewEvent(true, false)) {}

CLMThread::~CLMThread() {
    std::lock_guard lock(control_);
    if (!StopThreadLocked(kDefaultStopTimeoutMs)) {
        // The thread reads this object until it ends; freeing it now would crash the process.
        if (auto handle = threads_.Open(ThreadId()))
            handle->Wait(kInfinite);
    }
}

int CLMThread::StartThread(Worker worker, void* parameter, const char* name, int32_t interval) {
    std::wstring wideName = FromUtf8(name ? name : "");
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CLMThread::StartThread", L"%ls", wideName.c_str());
    if (!worker)
        return 0;
    std::lock_guard lock(control_);
    if (!StopThreadLocked(kDefaultStopTimeoutMs)) {
        TraceMessage(kTraceErr, kTraceAllContexts, L"Thread 0x%04x(%d) still running, %ls not started\n",
                     ThreadId(), ThreadId(), wideName.c_str());
        return 0;
    }
    worker_ = worker;
    parameter_ = parameter;
    name_ = name && *name ? std::string(name).substr(0, 255) : std::string("CLMThread");
    interval_ = interval;
    com_ = 1;
    trace_ = 0;
    Run run{worker_, parameter_, interval_, com_, trace_, name_};
    auto handle = threads_.CreateSuspended([this, run] { return Entry(run); });
    if (!handle) {
        TraceMessage(kTraceErr, kTraceAllContexts, L"CreateThread failed for %ls\n", FromUtf8(name_).c_str());
        return 0;
    }
    threadId_.store(handle->Id(), std::memory_order_release);
    stopEvent_->Reset();
    TraceSetThreadName(threads_, handle->Id(), name_);
    if (!handle->Resume())
        TraceMessage(kTraceErr, kTraceAllContexts, L"ResumeThread failed for %ls\n", FromUtf8(name_).c_str());
    return 1;
}

uint32_t CLMThread::Entry(const Run& run) {
    uint32_t self = threads_.CurrentThreadId();
    if (run.com == 1)
        threads_.ComInitialize();
    if (run.trace == 1)
        TraceInitEx(3);
    TraceSetThreadName(threads_, self, run.name);
    uint32_t result = 0;
    if (run.interval < 0) {
        result = run.worker(run.parameter);
    } else {
        do {
            result = run.worker(run.parameter);
        } while (stopEvent_->Wait(static_cast<uint32_t>(run.interval)) == WaitResult::Timeout);
    }
    if (run.trace == 1)
        TraceTerminateThread(self, true);
    if (run.com == 1)
        threads_.ComUninitialize();
    // Clears only its own id: a newer thread of this object keeps its id. Nothing of this object is
    // touched after this point.
    uint32_t expected = self;
    threadId_.compare_exchange_strong(expected, 0, std::memory_order_acq_rel);
    return result;
}

int CLMThread::StopThread(uint32_t timeoutMs) {
    std::lock_guard lock(control_);
    return StopThreadLocked(timeoutMs);
}

int CLMThread::StopThreadLocked(uint32_t timeoutMs) {
    uint32_t id = ThreadId();
    if (id == 0 || !threads_.Open(id))
        return 1;
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CLMThread::StopThread", L"Thread ID %d = 0x%X %ls",
                        id, id, FromUtf8(name_).c_str());
    auto handle = threads_.Open(id);
    if (!handle)
        return 0;
    stopEvent_->Set();
    WaitResult result = handle->Wait(timeoutMs);
    switch (result) {
    case WaitResult::Signalled:
        TraceMessage(kTraceInfo, kTraceAllContexts, L"Thread 0x%04x(%d) Thread terminated\n", id, id);
        return 1;
    case WaitResult::Timeout:
        TraceMessage(kTraceErr, kTraceAllContexts, L"Thread 0x%04x(%d) TIMEOUT (%d msec)\n", id, id,
                     static_cast<int>(timeoutMs));
        return 0;
    default:
        TraceMessage(kTraceErr, kTraceAllContexts, L"Thread 0x%04x(%d) FAILURE 0x%08X\n", id, id,
                     kWaitFailed);
        return 0;
    }
}

} // namespace lm
