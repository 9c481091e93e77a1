// Process services that keep what tracing writes, by target, and its shared memory in the test.
#pragma once
#include "platform/Process.h"

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
            block.assign(size, 0xCD); // garbage: a new block must be cleared by its user
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

} // namespace lm::test
