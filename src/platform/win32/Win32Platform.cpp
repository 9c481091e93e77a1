// Native services of the Windows program.
#include "platform/Platform.h"
#include "base/Text.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <mmsystem.h>

#include <cstdio>
#include <functional>

namespace lm {
namespace {

class Win32Clock final : public IClock {
public:
    uint32_t TickCount() override { return timeGetTime(); }
    tagLOCALTIME Now() override {
        SYSTEMTIME st;
        GetLocalTime(&st);
        tagLOCALTIME t;
        t.year = st.wYear;
        t.month = st.wMonth;
        t.day = st.wDay;
        t.dayOfWeek = st.wDayOfWeek;
        t.hour = st.wHour;
        t.minute = st.wMinute;
        t.second = st.wSecond;
        t.milliseconds = st.wMilliseconds;
        return t;
    }
};

WaitResult ToResult(DWORD r) {
    switch (r) {
    case WAIT_OBJECT_0:
        return WaitResult::Signalled;
    case WAIT_TIMEOUT:
        return WaitResult::Timeout;
    default:
        return WaitResult::Failed;
    }
}

class Win32Event final : public IEvent {
public:
    explicit Win32Event(HANDLE h) : handle_(h) {}
    ~Win32Event() override { CloseHandle(handle_); }
    void Set() override { SetEvent(handle_); }
    void Reset() override { ResetEvent(handle_); }
    bool IsSet() override { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }
    WaitResult Wait(uint32_t ms) override { return ToResult(WaitForSingleObject(handle_, ms)); }

private:
    HANDLE handle_;
};

class Win32ThreadHandle final : public IThreadHandle {
public:
    Win32ThreadHandle(HANDLE h, DWORD id) : handle_(h), id_(id) {}
    ~Win32ThreadHandle() override { CloseHandle(handle_); }
    uint32_t Id() const override { return id_; }
    WaitResult Wait(uint32_t ms) override { return ToResult(WaitForSingleObject(handle_, ms)); }
    bool Resume() override { return ResumeThread(handle_) != static_cast<DWORD>(-1); }

private:
    HANDLE handle_;
    DWORD id_;
};

DWORD WINAPI ThreadStart(LPVOID p) {
    auto* entry = static_cast<std::function<uint32_t()>*>(p);
    uint32_t result = (*entry)();
    delete entry;
    return result;
}

#pragma pack(push, 8)
struct ThreadNameInfo {
    DWORD type; // 0x1000
    LPCSTR name;
    DWORD threadId;
    DWORD flags;
};
#pragma pack(pop)

constexpr DWORD kSetThreadNameException = 0x406D1388;

LONG CALLBACK SwallowThreadName(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode == kSetThreadNameException)
        return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

class Win32Threads final : public IThreads {
public:
    std::unique_ptr<IEvent> NewEvent(bool manualReset, bool initiallySet) override {
        HANDLE h = CreateEventW(nullptr, manualReset, initiallySet, nullptr);
        return h ? std::make_unique<Win32Event>(h) : nullptr;
    }
    std::unique_ptr<IThreadHandle> CreateSuspended(std::function<uint32_t()> entry) override {
        auto* heapEntry = new std::function<uint32_t()>(std::move(entry));
        DWORD id = 0;
        HANDLE h = CreateThread(nullptr, 0, ThreadStart, heapEntry, CREATE_SUSPENDED, &id);
        if (!h) {
            delete heapEntry;
            return nullptr;
        }
        return std::make_unique<Win32ThreadHandle>(h, id);
    }
    std::unique_ptr<IThreadHandle> Open(uint32_t threadId) override {
        if (threadId == 0)
            return nullptr;
        HANDLE h = OpenThread(SYNCHRONIZE, FALSE, threadId);
        return h ? std::make_unique<Win32ThreadHandle>(h, threadId) : nullptr;
    }
    uint32_t CurrentThreadId() override { return GetCurrentThreadId(); }
    void SetThreadName(uint32_t threadId, const std::string& name) override {
        // MinGW has no structured exception handling, so names go through SetThreadDescription where
        // the system has it; under a debugger the classic naming exception is raised as well.
        using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
        static const auto setDescription = reinterpret_cast<SetDescription>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
        if (setDescription) {
            if (HANDLE h = OpenThread(THREAD_SET_LIMITED_INFORMATION, FALSE, threadId)) {
                setDescription(h, FromUtf8(name).c_str());
                CloseHandle(h);
            }
        }
        if (IsDebuggerPresent()) {
            static PVOID handler = AddVectoredExceptionHandler(0, SwallowThreadName);
            (void)handler;
            ThreadNameInfo info{0x1000, name.c_str(), threadId, 0};
            RaiseException(kSetThreadNameException, 0, sizeof(info) / sizeof(ULONG_PTR),
                           reinterpret_cast<const ULONG_PTR*>(&info));
        }
    }
    void ComInitialize() override { CoInitialize(nullptr); }
    void ComUninitialize() override { CoUninitialize(); }
};

class Win32Mapping final : public ISharedMapping {
public:
    Win32Mapping(HANDLE mapping, void* view, bool existed)
        : mapping_(mapping), view_(view), existed_(existed) {}
    ~Win32Mapping() override {
        UnmapViewOfFile(view_);
        CloseHandle(mapping_);
    }
    void* Data() override { return view_; }
    bool AlreadyExisted() const override { return existed_; }

private:
    HANDLE mapping_;
    void* view_;
    bool existed_;
};

class Win32Process final : public IProcessServices {
public:
    uint32_t ProcessId() override { return GetCurrentProcessId(); }
    uint32_t ThreadId() override { return GetCurrentThreadId(); }
    uint64_t WorkingSetKB() override {
        PROCESS_MEMORY_COUNTERS pmc{};
        pmc.cb = sizeof(pmc);
        if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc)))
            return 0;
        return pmc.WorkingSetSize / 1024;
    }
    std::unique_ptr<ISharedMapping> OpenSharedMemory(const std::wstring& name, size_t size) override {
        ULARGE_INTEGER bytes;
        bytes.QuadPart = size;
        HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, bytes.HighPart,
                                            bytes.LowPart, name.c_str());
        if (!mapping)
            return nullptr;
        bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
        void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
        if (!view) {
            OutputDebugStringW(L"LM: LMDEBUG_GM_GetProcessCachePtr(): ERROR: Could not map view of file.");
            CloseHandle(mapping);
            return nullptr;
        }
        return std::make_unique<Win32Mapping>(mapping, view, existed);
    }
    void DebugOutput(const std::wstring& text) override { OutputDebugStringW(text.c_str()); }
    void ConsoleOutput(const std::wstring& text) override {
        static HANDLE out = [] {
            HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
            if ((h == nullptr || h == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS))
                h = GetStdHandle(STD_OUTPUT_HANDLE);
            return h;
        }();
        if (out == nullptr || out == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        if (GetFileType(out) == FILE_TYPE_CHAR &&
            WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr))
            return;
        std::string bytes = ToUtf8(text);
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    bool AppendToFile(const std::wstring& path, const std::wstring& text) override {
        FILE* f = _wfopen(path.c_str(), L"ac");
        if (!f)
            return false;
        std::string bytes = ToUtf8(text);
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        ok = std::fflush(f) == 0 && ok;
        return std::fclose(f) == 0 && ok;
    }
    std::wstring GetEnvironment(const std::wstring& name) override {
        wchar_t buffer[1024];
        DWORD n = GetEnvironmentVariableW(name.c_str(), buffer, 1024);
        if (n == 0 || n >= 1024)
            return {};
        return std::wstring(buffer, n);
    }
};

} // namespace

tagPLATFORM& NativePlatform() {
    static Win32Clock clock;
    static Win32Threads threads;
    static Win32Process process;
    static tagPLATFORM platform{clock, threads, process};
    return platform;
}

} // namespace lm
