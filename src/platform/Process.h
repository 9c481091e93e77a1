// What tracing needs of the process and the machine: ids, memory figure, shared memory, output channels.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lm {

class ISharedMapping {
public:
    virtual ~ISharedMapping() = default;
    virtual void* Data() = 0;
    // True when the named block existed before this open (its contents are then kept).
    virtual bool AlreadyExisted() const = 0;
};

class IProcessServices {
public:
    virtual ~IProcessServices() = default;
    virtual uint32_t ProcessId() = 0;
    virtual uint32_t ThreadId() = 0;
    // Working set of the process in KB; 0 when unknown.
    virtual uint64_t WorkingSetKB() = 0;
    // Creates or opens a named block of shared memory, zero-filled when new; null on failure.
    virtual std::unique_ptr<ISharedMapping> OpenSharedMemory(const std::wstring& name, size_t size) = 0;
    // The debugger channel (OutputDebugString).
    virtual void DebugOutput(const std::wstring& text) = 0;
    // Standard output of the process, when it has one.
    virtual void ConsoleOutput(const std::wstring& text) = 0;
    // Appends the text to a file and commits it to disk; false when the file cannot be written.
    virtual bool AppendToFile(const std::wstring& path, const std::wstring& text) = 0;
    // Value of an environment variable; empty when not set.
    virtual std::wstring GetEnvironment(const std::wstring& name) = 0;
};

} // namespace lm
