// Process services that keep what tracing writes, by target, and its shared memory in the test; and a
// trace of the test thread written to them.
#pragma once
#include "FakeClock.h"
#include "platform/Process.h"
#include "support/LMDebug.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace lm::test {

class FakeProcess final : public IProcessServices {
public:
    uint32_t ProcessId() override { return pid; }
    uint32_t ThreadId() override { return tid; }
    uint64_t WorkingSetKB() override { return workingSetKB; }
    std::unique_ptr<ISharedMapping> OpenSharedMemory(const std::wstring& name, size_t size) override {
        if (failMapping)
            return nullptr;
        auto& block = blocks[name];
        bool existed = !block.empty();
        if (!existed)
            block.assign(size, 0); // new blocks are zero-filled, as the system's are
        return std::make_unique<Mapping>(block.data(), existed);
    }
    void DebugOutput(const std::wstring& text) override {
        std::lock_guard lock(mutex);
        debugger.push_back(text);
    }
    void ConsoleOutput(const std::wstring& text) override {
        std::lock_guard lock(mutex);
        console.push_back(text);
    }
    bool AppendToFile(const std::wstring& path, const std::wstring& text) override {
        std::lock_guard lock(mutex);
        files[path] += text;
        return true;
    }
    std::wstring GetEnvironment(const std::wstring& name) override {
        auto it = environment.find(name);
        return it == environment.end() ? std::wstring() : it->second;
    }

    uint32_t pid = 0x123;
    uint32_t tid = 0x456;
    uint64_t workingSetKB = 1000;
    bool failMapping = false;
    std::map<std::wstring, std::wstring> environment;
    std::map<std::wstring, std::vector<unsigned char>> blocks;
    std::mutex mutex;
    std::vector<std::wstring> debugger;
    std::vector<std::wstring> console;
    std::map<std::wstring, std::wstring> files;

private:
    class Mapping final : public ISharedMapping {
    public:
        Mapping(void* data, bool existed) : data_(data), existed_(existed) {}
        void* Data() override { return data_; }
        bool AlreadyExisted() const override { return existed_; }

    private:
        void* data_;
        bool existed_;
    };
};

// Attaches the test thread (id 1) to a trace on fake process services at the given verbosity. Thread 2
// is attached first, so that a polling source's thread proc, which runs on the test thread under fake
// threads and attaches it again, keeps the settings.
class TraceCapture {
public:
    TraceCapture(FakeClock& clock, uint32_t level) {
        TraceSetPlatform(&proc, &clock);
        for (uint32_t tid : {2u, 1u}) {
            proc.tid = tid;
            TraceInitEx(level);
        }
        TraceSetVerboseLevel(level);
        Clear();
    }
    ~TraceCapture() {
        for (uint32_t tid : {1u, 2u}) {
            proc.tid = tid;
            TraceTerminateThread(tid, true);
        }
        TraceSetPlatform(nullptr, nullptr);
    }
    void Clear() {
        std::lock_guard lock(proc.mutex);
        proc.debugger.clear();
    }
    std::vector<std::wstring> Lines() {
        std::lock_guard lock(proc.mutex);
        return proc.debugger;
    }
    size_t Count(const std::wstring& text) {
        auto lines = Lines();
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
            return l.find(text) != std::wstring::npos;
        }));
    }
    bool Has(const std::wstring& text) { return Count(text) > 0; }
    FakeProcess proc;
};

} // namespace lm::test
