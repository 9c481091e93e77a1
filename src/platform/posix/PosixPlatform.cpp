// Native services for host builds (Linux): standard library threads and clocks, POSIX for the rest.
#include "platform/Platform.h"
#include "base/Text.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace lm {
namespace {

uint32_t NextThreadId() {
    static std::atomic<uint32_t> next{0x100};
    return next.fetch_add(4);
}

thread_local uint32_t tThreadId = 0;

uint32_t CurrentId() {
    if (tThreadId == 0)
        tThreadId = NextThreadId();
    return tThreadId;
}

class SteadyClock final : public IClock {
public:
    uint32_t TickCount() override {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return static_cast<uint32_t>(ms.count());
    }
    tagLOCALTIME Now() override {
        auto now = std::chrono::system_clock::now();
        std::time_t t = std::chrono::system_clock::to_time_t(now);
        std::tm tm{};
        localtime_r(&t, &tm);
        tagLOCALTIME lt;
        lt.year = tm.tm_year + 1900;
        lt.month = tm.tm_mon + 1;
        lt.day = tm.tm_mday;
        lt.dayOfWeek = tm.tm_wday;
        lt.hour = tm.tm_hour;
        lt.minute = tm.tm_min;
        lt.second = tm.tm_sec;
        lt.milliseconds = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
        return lt;
    }
};

class StdEvent final : public IEvent {
public:
    StdEvent(bool manualReset, bool initiallySet) : manual_(manualReset), set_(initiallySet) {}
    void Set() override {
        {
            std::lock_guard lock(mutex_);
            set_ = true;
        }
        cv_.notify_all();
    }
    void Reset() override {
        std::lock_guard lock(mutex_);
        set_ = false;
    }
    bool IsSet() override {
        std::lock_guard lock(mutex_);
        return set_;
    }
    WaitResult Wait(uint32_t milliseconds) override {
        std::unique_lock lock(mutex_);
        auto ready = [this] { return set_; };
        bool got = milliseconds == kInfinite
                       ? (cv_.wait(lock, ready), true)
                       : cv_.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
        if (!got)
            return WaitResult::Timeout;
        if (!manual_)
            set_ = false;
        return WaitResult::Signalled;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool manual_;
    bool set_;
};

// Shared state of one thread: whether it may run and whether it has ended.
struct ThreadState {
    std::mutex mutex;
    std::condition_variable cv;
    bool resumed = false;
    bool ended = false;
    uint32_t id = 0;
};

class ThreadRegistry {
public:
    void Add(const std::shared_ptr<ThreadState>& s) {
        std::lock_guard lock(mutex_);
        threads_[s->id] = s;
    }
    void Remove(uint32_t id) {
        std::lock_guard lock(mutex_);
        threads_.erase(id);
    }
    std::shared_ptr<ThreadState> Find(uint32_t id) {
        std::lock_guard lock(mutex_);
        auto it = threads_.find(id);
        return it == threads_.end() ? nullptr : it->second;
    }

private:
    std::mutex mutex_;
    std::map<uint32_t, std::shared_ptr<ThreadState>> threads_;
};

ThreadRegistry& Registry() {
    static ThreadRegistry* registry = new ThreadRegistry; // outlives detached threads at exit
    return *registry;
}

class StdThreadHandle final : public IThreadHandle {
public:
    explicit StdThreadHandle(std::shared_ptr<ThreadState> s) : state_(std::move(s)) {}
    uint32_t Id() const override { return state_->id; }
    WaitResult Wait(uint32_t milliseconds) override {
        std::unique_lock lock(state_->mutex);
        auto ended = [this] { return state_->ended; };
        if (milliseconds == kInfinite) {
            state_->cv.wait(lock, ended);
            return WaitResult::Signalled;
        }
        return state_->cv.wait_for(lock, std::chrono::milliseconds(milliseconds), ended)
                   ? WaitResult::Signalled
                   : WaitResult::Timeout;
    }
    bool Resume() override {
        {
            std::lock_guard lock(state_->mutex);
            state_->resumed = true;
        }
        state_->cv.notify_all();
        return true;
    }

private:
    std::shared_ptr<ThreadState> state_;
};

class StdThreads final : public IThreads {
public:
    std::unique_ptr<IEvent> NewEvent(bool manualReset, bool initiallySet) override {
        return std::make_unique<StdEvent>(manualReset, initiallySet);
    }
    std::unique_ptr<IThreadHandle> CreateSuspended(std::function<uint32_t()> entry) override {
        auto state = std::make_shared<ThreadState>();
        state->id = NextThreadId();
        Registry().Add(state);
        try {
            std::thread([state, entry = std::move(entry)] {
                {
                    std::unique_lock lock(state->mutex);
                    state->cv.wait(lock, [&] { return state->resumed; });
                }
                tThreadId = state->id;
                entry();
                Registry().Remove(state->id);
                {
                    std::lock_guard lock(state->mutex);
                    state->ended = true;
                }
                state->cv.notify_all();
            }).detach();
        } catch (const std::system_error&) {
            Registry().Remove(state->id);
            return nullptr;
        }
        return std::make_unique<StdThreadHandle>(state);
    }
    std::unique_ptr<IThreadHandle> Open(uint32_t threadId) override {
        auto state = Registry().Find(threadId);
        if (!state)
            return nullptr;
        return std::make_unique<StdThreadHandle>(state);
    }
    uint32_t CurrentThreadId() override { return CurrentId(); }
    void SetThreadName(uint32_t threadId, const std::string& name) override {
        if (threadId != CurrentId())
            return; // Linux names only the calling thread
        std::string shortName = name.substr(0, 15);
        pthread_setname_np(pthread_self(), shortName.c_str());
    }
    void ComInitialize() override {}
    void ComUninitialize() override {}
};

class PosixProcess final : public IProcessServices {
public:
    uint32_t ProcessId() override { return static_cast<uint32_t>(getpid()); }
    uint32_t ThreadId() override { return CurrentId(); }
    uint64_t WorkingSetKB() override {
        std::ifstream statm("/proc/self/statm");
        unsigned long long pages = 0, resident = 0;
        if (!(statm >> pages >> resident))
            return 0;
        return resident * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) / 1024;
    }
    std::unique_ptr<ISharedMapping> OpenSharedMemory(const std::wstring& name, size_t size) override;
    void DebugOutput(const std::wstring& text) override {
        // There is no debugger channel on the host; LMDEBUG_STDERR=1 sends it to standard error.
        static const bool enabled = [] {
            const char* v = std::getenv("LMDEBUG_STDERR");
            return v && *v && *v != '0';
        }();
        if (enabled)
            std::fputs(ToUtf8(text).c_str(), stderr);
    }
    void ConsoleOutput(const std::wstring& text) override {
        const std::string bytes = ToUtf8(text);
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        std::fflush(stdout);
    }
    bool AppendToFile(const std::wstring& path, const std::wstring& text) override {
        FILE* f = std::fopen(ToUtf8(path).c_str(), "a");
        if (!f)
            return false;
        std::string bytes = ToUtf8(text);
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        ok = std::fflush(f) == 0 && ok;
        fsync(fileno(f));
        return std::fclose(f) == 0 && ok;
    }
    std::wstring GetEnvironment(const std::wstring& name) override {
        const char* v = std::getenv(ToUtf8(name).c_str());
        return v ? FromUtf8(v) : std::wstring();
    }
};

// Host shared memory lives in the process: every open of one name sees the same block.
class ProcessMapping final : public ISharedMapping {
public:
    ProcessMapping(std::shared_ptr<std::vector<unsigned char>> block, bool existed)
        : block_(std::move(block)), existed_(existed) {}
    void* Data() override { return block_->data(); }
    bool AlreadyExisted() const override { return existed_; }

private:
    std::shared_ptr<std::vector<unsigned char>> block_;
    bool existed_;
};

std::unique_ptr<ISharedMapping> PosixProcess::OpenSharedMemory(const std::wstring& name, size_t size) {
    static std::mutex mutex;
    static std::map<std::wstring, std::weak_ptr<std::vector<unsigned char>>> blocks;
    std::lock_guard lock(mutex);
    auto& slot = blocks[name];
    if (auto existing = slot.lock(); existing && existing->size() >= size)
        return std::make_unique<ProcessMapping>(existing, true);
    auto block = std::make_shared<std::vector<unsigned char>>(size, 0);
    slot = block;
    return std::make_unique<ProcessMapping>(block, false);
}

} // namespace

tagPLATFORM& NativePlatform() {
    static SteadyClock clock;
    static StdThreads threads;
    static PosixProcess process;
    static tagPLATFORM platform{clock, threads, process};
    return platform;
}

} // namespace lm
