// LMDEBUG: the diagnostic trace. Threads attach, write leveled messages and function scopes, and detach.
// Settings and bookkeeping live in a named shared block so that all processes of the product on one
// machine share one table of traced processes and threads.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/Sync.h"

namespace lm {

// Message levels; a message is written when its level is not above the thread's verbosity.
enum : uint32_t {
    kTraceMsg = 1,
    kTraceErr = 2,
    kTraceWrn = 3,
    kTraceUsr = 4,
    kTraceInfo = 5,
    kTraceIO = 6,
    kTraceDetail = 7,
};
constexpr uint32_t kTraceAllContexts = 0xFFFFFFFFu;

// Output targets of a thread.
enum : uint32_t {
    kTraceToDebugger = 1,
    kTraceToConsole = 2,
    kTraceToFile = 4,
};

// Line-prefix styles.
enum : uint32_t {
    kTracePrefixNone = 1,
    kTracePrefixTime = 2,
    kTracePrefixFull = 3,
};

constexpr int kTraceLayoutVersion = 2;
constexpr int kTraceMaxProcesses = 32;
constexpr int kTraceMaxThreads = 64;

// Settings that can be given from outside, for example through the LMDEBUG environment variable.
struct TraceSettings {
    bool hasLevel = false;
    uint32_t level = 3;
    bool hasTargets = false;
    uint32_t targets = kTraceToDebugger;
    bool hasPrefix = false;
    uint32_t prefixStyle = kTracePrefixFull;
    bool hasLogFile = false;
    std::wstring logFile;
};

// Parses "level=5;targets=debugger,console,file;file=C:\path\trace.log;prefix=3". Unknown words are
// ignored; a log file without targets means debugger and file.
TraceSettings ParseTraceSettings(const std::wstring& text);

// Uses other services than the native ones (tests); null restores the native ones.
void TraceSetPlatform(IProcessServices* process, IClock* clock);

// Attaches the calling thread; the first thread of a process also applies the LMDEBUG environment
// variable. Returns non-zero on success.
int TraceInitEx(uint32_t level);
int TraceInitInternal(uint32_t level);
// Detaches a thread; with reset the record is cleared when its last reference goes.
void TraceTerminateThread(uint32_t threadId, bool reset);
// Sets the verbosity of every attached thread of this process.
void TraceSetVerboseLevel(uint32_t level);
// Sets the calling thread's context mask to all bits.
void TraceSetContextMask();
// Applies outside settings to every attached thread of this process.
void TraceApplySettings(const TraceSettings& settings);

// Writes a leveled message (cut at 511 characters). The format is a literal of the program.
void TraceMessage(uint32_t level, uint32_t contexts, const wchar_t* format, ...);
// True when a message of this level and these contexts would be written by the calling thread.
bool TraceEnabled(uint32_t level, uint32_t contexts);

// The unconditional channel: "LM: " and the text straight to the debugger, cut to 512 characters.
void TraceDebugger(const wchar_t* format, ...);

// Names a thread for debuggers as "LM: " and the name.
void TraceSetThreadName(IThreads& threads, uint32_t threadId, const std::string& name);

// A function scope: writes "\ name(arg)" on entry and "/ name() (0.015 sec)" on exit, indented by
// the nesting of the thread's open scopes. Costs one filter check when the trace is off.
class CLMTraceScope {
public:
    CLMTraceScope(uint32_t level, uint32_t contexts, const wchar_t* name);
    // The argument text is formatted only when the scope is written.
    CLMTraceScope(uint32_t level, uint32_t contexts, const wchar_t* name, const wchar_t* argFormat, ...);
    ~CLMTraceScope();
    CLMTraceScope(const CLMTraceScope&) = delete;
    CLMTraceScope& operator=(const CLMTraceScope&) = delete;

private:
    void Open(const wchar_t* argText);

    bool enabled_ = false;
    uint32_t contexts_ = 0;
    const wchar_t* name_ = nullptr;
    uint32_t start_ = 0;
};

// Attaches the main thread for the life of the process's main function.
class CLMTraceProcess {
public:
    explicit CLMTraceProcess(uint32_t level = 3);
    ~CLMTraceProcess();
    CLMTraceProcess(const CLMTraceProcess&) = delete;
    CLMTraceProcess& operator=(const CLMTraceProcess&) = delete;

private:
    uint32_t threadId_;
};

} // namespace lm

// The scope name of the common case: level 5 with all contexts.
#define LM_TRACE_SCOPE(name) ::lm::CLMTraceScope lmTraceScope_(::lm::kTraceInfo, ::lm::kTraceAllContexts, name)
#define LM_TRACE_SCOPE_ARG(name, ...)                                                                        \
    ::lm::CLMTraceScope lmTraceScope_(::lm::kTraceInfo, ::lm::kTraceAllContexts, name, __VA_ARGS__)
#define LM_TRACE(level, ...) ::lm::TraceMessage(level, ::lm::kTraceAllContexts, __VA_ARGS__)
