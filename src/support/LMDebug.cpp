#include "support/LMDebug.h"

#include "platform/Platform.h"
#include "base/Text.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <mutex>

namespace lm {
namespace {

constexpr uint32_t kMagic = 0xDEADBEEFu;
constexpr size_t kIndentChars = 512;
constexpr size_t kLogPathChars = 256;
constexpr size_t kMessageChars = 511;
constexpr size_t kLineChars = 511;
constexpr size_t kDebuggerChars = 512;

// The shared layout; it must stay the same in every process that opens the block.
struct ThreadRecord {
    uint32_t magic;
    uint32_t threadId;
    uint64_t lastWorkingSetKB;
    char16_t indent[kIndentChars];
    uint32_t targets;
    uint32_t prefixStyle;
    uint32_t contextMask;
    uint32_t level;
    uint8_t refCount;
    uint8_t reserved[3];
    char16_t logPath[kLogPathChars];
};
static_assert(sizeof(ThreadRecord) == 1576, "thread record layout");

struct ProcessRecord {
    int32_t refCount;
    uint32_t processId;
    // Room for the critical section of the original layout; attach and detach are serialised by a
    // lock of the process instead, which is the same thing since only the owner touches its record.
    unsigned char lockSlot[40];
    ThreadRecord threads[kTraceMaxThreads];
};
static_assert(sizeof(ProcessRecord) == 100912, "process record layout");

struct SharedBlock {
    ProcessRecord processes[kTraceMaxProcesses];
};
static_assert(sizeof(SharedBlock) == 3229184, "shared block layout");

template <typename T>
T Load(T& field) {
    return std::atomic_ref<T>(field).load(std::memory_order_relaxed);
}

template <typename T>
void Store(T& field, T value) {
    std::atomic_ref<T>(field).store(value, std::memory_order_relaxed);
}

struct State {
    std::mutex mutex; // serialises attach, detach and settings within this process
    IProcessServices* process = nullptr;
    IClock* clock = nullptr;
    std::unique_ptr<ISharedMapping> mapping;
    SharedBlock* block = nullptr;
    bool mappingFailed = false;
    // Bumped whenever a record may be freed or the block unmapped; invalidates threads' cached records.
    std::atomic<uint64_t> generation{1};
};

State& S() {
    static State* state = new State; // used until the very end of the process, never destroyed
    return *state;
}

IProcessServices& Proc() {
    State& s = S();
    return s.process ? *s.process : NativePlatform().process;
}

IClock& Clock() {
    State& s = S();
    return s.clock ? *s.clock : NativePlatform().clock;
}

void DebugLine(const std::wstring& text) {
    Proc().DebugOutput(CutTo(L"LM: " + text, kDebuggerChars));
}

// Opens the shared block on first use. Caller holds the mutex.
SharedBlock* Block() {
    State& s = S();
    if (s.block || s.mappingFailed)
        return s.block;
    std::wstring name = FormatBounded(64, L"LMDEBUG_PROCESS_CACHE_VERSION_%02d", kTraceLayoutVersion);
    s.mapping = Proc().OpenSharedMemory(name, sizeof(SharedBlock));
    if (!s.mapping || !s.mapping->Data()) {
        s.mapping.reset();
        DebugLine(L"LMDEBUG_GM_GetProcessCachePtr(): ERROR: Could not create file mapping object.");
        return nullptr;
    }
    // A new block comes zero-filled from the system; clearing it again would make every page resident.
    s.block = static_cast<SharedBlock*>(s.mapping->Data());
    return s.block;
}

void CloseBlock() {
    State& s = S();
    s.generation.fetch_add(1, std::memory_order_acq_rel);
    s.block = nullptr;
    s.mapping.reset();
}

void ResetThreadRecord(ThreadRecord& t) {
    std::memset(static_cast<void*>(&t), 0, sizeof(t));
    t.magic = kMagic;
    t.prefixStyle = kTracePrefixFull;
}

ProcessRecord* FindProcess(SharedBlock* block, uint32_t pid) {
    for (auto& p : block->processes)
        if (Load(p.processId) == pid)
            return &p;
    return nullptr;
}

ThreadRecord* FindThread(ProcessRecord& p, uint32_t tid) {
    for (auto& t : p.threads)
        if (t.threadId == tid)
            return &t;
    return nullptr;
}

int ActiveThreads(const ProcessRecord& p) {
    return static_cast<int>(std::count_if(std::begin(p.threads), std::end(p.threads),
                                          [](const ThreadRecord& t) { return t.threadId != 0; }));
}

// The calling thread's record; cached per thread until any record is freed.
struct Cache {
    const State* state = nullptr;
    uint64_t generation = 0;
    uint32_t threadId = 0;
    ThreadRecord* record = nullptr;
};
thread_local Cache tCache;

ThreadRecord* OwnRecord(bool reportMissingProcess) {
    State& s = S();
    uint32_t tid = Proc().ThreadId();
    uint64_t generation = s.generation.load(std::memory_order_acquire);
    if (tCache.state == &s && tCache.generation == generation && tCache.threadId == tid)
        return tCache.record;
    ThreadRecord* record = nullptr;
    bool processAttached = false;
    {
        std::lock_guard lock(s.mutex);
        if (s.block) {
            if (ProcessRecord* p = FindProcess(s.block, Proc().ProcessId()); p && p->refCount > 0) {
                processAttached = true;
                record = FindThread(*p, tid);
            }
        }
        generation = s.generation.load(std::memory_order_acquire);
    }
    if (!processAttached) {
        if (reportMissingProcess)
            DebugLine(L"LMDEBUG_GetProcInfoPtr() - ERROR function called before TraceInitInternal()\n");
        return nullptr;
    }
    tCache = Cache{&s, generation, tid, record};
    return record;
}

bool Passes(ThreadRecord& t, uint32_t level, uint32_t contexts) {
    return level <= Load(t.level) && (contexts & Load(t.contextMask)) != 0 && Load(t.targets) != 0 &&
           Load(t.prefixStyle) != 0;
}

const wchar_t* LevelTag(uint32_t level) {
    switch (level) {
    case 1:
        return L"MSG ";
    case 2:
        return L"ERR ";
    case 3:
        return L"WRN ";
    case 4:
        return L"USR ";
    case 6:
        return L"I_O ";
    default:
        return L"    ";
    }
}

std::wstring Prefix(ThreadRecord& t) {
    tagLOCALTIME now = Clock().Now();
    std::wstring time =
        FormatBounded(32, L"%d:%02d:%02d.%03d", now.hour, now.minute, now.second, now.milliseconds);
    uint32_t style = Load(t.prefixStyle);
    if (style == kTracePrefixNone)
        return {};
    if (style == kTracePrefixTime)
        return time + L" 0x???: ";
    uint64_t kb = Proc().WorkingSetKB();
    auto change = static_cast<long long>(kb) - static_cast<long long>(t.lastWorkingSetKB);
    t.lastWorkingSetKB = kb;
    if (change == 0)
        return FormatBounded(64, L"%ls                     %03X-%03X: ", time.c_str(), Proc().ProcessId(),
                             Proc().ThreadId());
    return FormatBounded(96, L"%ls %7dK(%+9d) %03X-%03X: ", time.c_str(), static_cast<int>(kb),
                         static_cast<int>(change), Proc().ProcessId(), Proc().ThreadId());
}

// Builds the line and sends it to the thread's targets. The filter has been passed.
void Emit(ThreadRecord& t, uint32_t level, const std::wstring& text) {
    std::wstring line = CutTo(Prefix(t) + LevelTag(level) + text, kLineChars);
    uint32_t targets = Load(t.targets);
    IProcessServices& proc = Proc();
    if (targets & kTraceToDebugger)
        proc.DebugOutput(line);
    if (targets & kTraceToConsole)
        proc.ConsoleOutput(line);
    if (targets & kTraceToFile) {
        std::wstring path;
        {
            std::lock_guard lock(S().mutex);
            path = FromUtf16(t.logPath, kLogPathChars);
        }
        if (!path.empty())
            proc.AppendToFile(path, line);
    }
}

void MessageV(ThreadRecord& t, uint32_t level, uint32_t contexts, const wchar_t* format, va_list args) {
    if (!Passes(t, level, contexts))
        return;
    Emit(t, level, FormatBoundedV(kMessageChars, format, args));
}

void Message(ThreadRecord& t, uint32_t level, uint32_t contexts, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    MessageV(t, level, contexts, format, args);
    va_end(args);
}

const wchar_t* const kDays[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                L"Thursday", L"Friday", L"Saturday"};
const wchar_t* const kMonths[] = {L"January",   L"February", L"March",    L"April",
                                  L"May",       L"June",     L"July",     L"August",
                                  L"September", L"October",  L"November", L"December"};

std::wstring LongDate(const tagLOCALTIME& t) {
    const wchar_t* day = kDays[std::clamp(t.dayOfWeek, 0, 6)];
    const wchar_t* month = kMonths[std::clamp(t.month, 1, 12) - 1];
    return FormatBounded(64, L"%ls - %02d. %ls %d", day, t.day, month, t.year);
}

const wchar_t kRule[] = L"--- LMDEBUG -----------------------------------------------\n";
const wchar_t kRuleEnd[] = L"-----------------------------------------------------------\n";

void SetLogPath(ThreadRecord& t, const std::wstring& path) {
    std::u16string u = ToUtf16(CutTo(path, kLogPathChars - 1));
    std::memset(t.logPath, 0, sizeof(t.logPath));
    std::copy(u.begin(), u.begin() + static_cast<std::ptrdiff_t>(std::min(u.size(), kLogPathChars - 1)),
              t.logPath);
}

void ApplySettingsLocked(ProcessRecord& p, const TraceSettings& settings) {
    for (auto& t : p.threads) {
        if (t.threadId == 0)
            continue;
        if (settings.hasLevel)
            Store(t.level, settings.level);
        if (settings.hasTargets)
            Store(t.targets, settings.targets);
        if (settings.hasPrefix)
            Store(t.prefixStyle, settings.prefixStyle);
        if (settings.hasLogFile)
            SetLogPath(t, settings.logFile);
    }
}

bool ParseNumber(const std::wstring& s, uint32_t& out) {
    if (s.empty() || s.size() > 9 || s.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    out = static_cast<uint32_t>(std::stoul(s));
    return true;
}

} // namespace

TraceSettings ParseTraceSettings(const std::wstring& text) {
    TraceSettings settings;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(L';', pos);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring item = text.substr(pos, end - pos);
        pos = end + 1;
        size_t eq = item.find(L'=');
        if (eq == std::wstring::npos)
            continue;
        std::wstring key = TextToLower(Trim(item.substr(0, eq)));
        std::wstring value = Trim(item.substr(eq + 1));
        uint32_t number = 0;
        if (key == L"level" && ParseNumber(value, number)) {
            settings.hasLevel = true;
            settings.level = number;
        } else if (key == L"prefix" && ParseNumber(value, number) && number != 0) {
            settings.hasPrefix = true;
            settings.prefixStyle = number;
        } else if (key == L"file" && !value.empty()) {
            settings.hasLogFile = true;
            settings.logFile = CutTo(value, kLogPathChars - 1);
        } else if (key == L"targets") {
            uint32_t targets = 0;
            if (!ParseNumber(value, targets)) {
                std::wstring words = TextToLower(value) + L",";
                size_t p = 0;
                while (p < words.size()) {
                    size_t comma = words.find_first_of(L",+ ", p);
                    std::wstring word = words.substr(p, comma - p);
                    p = comma + 1;
                    if (word == L"debugger")
                        targets |= kTraceToDebugger;
                    else if (word == L"console")
                        targets |= kTraceToConsole;
                    else if (word == L"file")
                        targets |= kTraceToFile;
                }
            }
            settings.hasTargets = true;
            settings.targets = targets & (kTraceToDebugger | kTraceToConsole | kTraceToFile);
        }
    }
    if (settings.hasLogFile && !settings.hasTargets) {
        settings.hasTargets = true;
        settings.targets = kTraceToDebugger | kTraceToFile;
    }
    return settings;
}

void TraceSetPlatform(IProcessServices* process, IClock* clock) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    CloseBlock();
    s.mappingFailed = false;
    s.process = process;
    s.clock = clock;
}

int TraceInitEx(uint32_t level) {
    DebugLine(FormatBounded(kDebuggerChars, L"%03X-%03X %ls\n", Proc().ProcessId(), Proc().ThreadId(),
                            L"TraceInitEx"));
    return TraceInitInternal(level);
}

int TraceInitInternal(uint32_t level) {
    State& s = S();
    IProcessServices& proc = Proc();
    uint32_t pid = proc.ProcessId();
    uint32_t tid = proc.ThreadId();
    ThreadRecord* record = nullptr;
    uint32_t otherThread = 0;
    bool firstOfProcess = false;
    {
        std::lock_guard lock(s.mutex);
        SharedBlock* block = Block();
        if (!block)
            return 0;
        ProcessRecord* p = FindProcess(block, pid);
        if (!p) {
            for (auto& candidate : block->processes) {
                uint32_t expected = 0;
                // Claimed atomically: another process may be looking for a free record at the same time.
                if (std::atomic_ref<uint32_t>(candidate.processId).compare_exchange_strong(expected, pid)) {
                    p = &candidate;
                    break;
                }
            }
            if (!p) {
                DebugLine(
                    FormatBounded(kDebuggerChars,
                                  L"%ls Process %03X not found: Max. number of processes (%d) reached!!! \n",
                                  L"TraceInitInternal()", pid, kTraceMaxProcesses));
                return 0;
            }
            p->refCount = 0;
            std::memset(p->lockSlot, 0, sizeof(p->lockSlot));
            for (auto& t : p->threads)
                ResetThreadRecord(t);
        }
        for (auto& t : p->threads)
            if (t.threadId != 0 && t.threadId != tid && t.refCount > 0) {
                otherThread = t.threadId;
                break;
            }
        record = FindThread(*p, tid);
        if (!record) {
            for (auto& t : p->threads)
                if (t.threadId == 0) {
                    record = &t;
                    break;
                }
            if (!record) {
                int active = ActiveThreads(*p);
                if (active >= kTraceMaxThreads)
                    DebugLine(
                        FormatBounded(kDebuggerChars,
                                      L"%ls Thread %03X not found: Max. number of threads (%d) reached!!! \n",
                                      L"TraceInitInternal()", tid, kTraceMaxThreads));
                else
                    DebugLine(FormatBounded(
                        kDebuggerChars, L"%ls Thread %03X not found: Currently %d threads are active!!!\n",
                        L"TraceInitInternal()", tid, active));
                if (p->refCount == 0)
                    Store(p->processId, 0u); // a record taken for nothing is given back
                return 0;
            }
            ResetThreadRecord(*record);
            // A new thread takes the settings of the process's first thread.
            ThreadRecord* first = nullptr;
            for (auto& t : p->threads)
                if (t.threadId != 0) {
                    first = &t;
                    break;
                }
            if (first) {
                record->targets = Load(first->targets);
                record->prefixStyle = Load(first->prefixStyle);
                record->contextMask = Load(first->contextMask);
                record->level = Load(first->level);
                std::memcpy(record->logPath, first->logPath, sizeof(record->logPath));
            }
            Store(record->threadId, tid);
        }
        int processBefore = p->refCount;
        int threadBefore = record->refCount;
        if (processBefore == 0 && threadBefore == 0)
            Store(record->targets, static_cast<uint32_t>(kTraceToDebugger));
        record->refCount = static_cast<uint8_t>(threadBefore + 1);
        p->refCount = static_cast<int8_t>(processBefore + 1);
        firstOfProcess = processBefore == 0;
        if (firstOfProcess)
            DebugLine(FormatBounded(kDebuggerChars,
                                    L"%ls LMDEBUG Version %d: #Processes=%d #Threads=%d Memory=%d KB\n",
                                    L"TraceInitInternal()", kTraceLayoutVersion, kTraceMaxProcesses,
                                    kTraceMaxThreads, static_cast<int>(sizeof(SharedBlock) / 1024)));
        DebugLine(FormatBounded(kDebuggerChars,
                                L"%ls Reference count - Process %d -> %d / Thread  %d -> %d\n",
                                L"TraceInitInternal()", processBefore, p->refCount, threadBefore,
                                static_cast<int>(record->refCount)));
        if (otherThread == 0) {
            Store(record->level, level);
            Store(record->contextMask, kTraceAllContexts);
            if (firstOfProcess) {
                std::wstring env = proc.GetEnvironment(L"LMDEBUG");
                if (!env.empty())
                    ApplySettingsLocked(*p, ParseTraceSettings(env));
            }
        }
        s.generation.fetch_add(1, std::memory_order_acq_rel);
    }
    if (otherThread != 0) {
        Message(*record, kTraceDetail, kTraceAllContexts, kRule);
        Message(*record, kTraceDetail, kTraceAllContexts,
                L"LMDEBUG: Another thread (0x%x) has already attached to LMDEBUG\n", otherThread);
        Message(*record, kTraceDetail, kTraceAllContexts,
                L"LMDEBUG: -> Debug parameters are ignored. Current settings are kept!\n");
        Message(*record, kTraceDetail, kTraceAllContexts, kRuleEnd);
        return 1;
    }
    std::wstring logPath;
    {
        std::lock_guard lock(s.mutex);
        logPath = FromUtf16(record->logPath, kLogPathChars);
    }
    Message(*record, kTraceMsg, kTraceAllContexts, kRule);
    Message(*record, kTraceMsg, kTraceAllContexts, L"Logfile       = %ls    \n", logPath.c_str());
    Message(*record, kTraceMsg, kTraceAllContexts, L"Date          = %ls\n", LongDate(Clock().Now()).c_str());
    Message(*record, kTraceMsg, kTraceAllContexts, L"Debug level   = %d    \n",
            static_cast<int>(Load(record->level)));
    Message(*record, kTraceMsg, kTraceAllContexts, L"Context flags = 0x%08X\n", Load(record->contextMask));
    Message(*record, kTraceMsg, kTraceAllContexts, kRuleEnd);
    return 1;
}

void TraceTerminateThread(uint32_t threadId, bool reset) {
    State& s = S();
    IProcessServices& proc = Proc();
    DebugLine(FormatBounded(kDebuggerChars, L"%03X-%03X %ls()", proc.ProcessId(), proc.ThreadId(),
                            L"TraceTerminateThread"));
    std::lock_guard lock(s.mutex);
    SharedBlock* block = s.block;
    ProcessRecord* p = block ? FindProcess(block, proc.ProcessId()) : nullptr;
    ThreadRecord* t = p ? FindThread(*p, threadId) : nullptr;
    if (!t || t->refCount == 0) {
        int active = p ? ActiveThreads(*p) : 0;
        if (active >= kTraceMaxThreads)
            DebugLine(FormatBounded(
                kDebuggerChars,
                L"WARNING: %ls Thread %03X not found: Max. number of threads (%d) reached!!! \n",
                L"TraceTerminateThread()", threadId, kTraceMaxThreads));
        else
            DebugLine(FormatBounded(
                kDebuggerChars, L"WARNING: %ls Thread %03X not found: Currently %d threads are active!!!\n",
                L"TraceTerminateThread()", threadId, active));
        return;
    }
    int processBefore = p->refCount;
    int threadBefore = t->refCount;
    DebugLine(FormatBounded(kDebuggerChars, L"%ls Reference count - Process %d -> %d / Thread  %d -> %d\n",
                            L"TraceTerminateThread()", processBefore, processBefore - 1, threadBefore,
                            threadBefore - 1));
    p->refCount = static_cast<int8_t>(processBefore - 1);
    t->refCount = static_cast<uint8_t>(threadBefore - 1);
    s.generation.fetch_add(1, std::memory_order_acq_rel);
    if (t->refCount == 0) {
        if (reset)
            ResetThreadRecord(*t);
        DebugLine(FormatBounded(kDebuggerChars, L"%ls Last reference for this thread was removed!\n",
                                L"TraceTerminateThread()"));
    }
    if (p->refCount <= 0) {
        for (auto& rec : p->threads)
            ResetThreadRecord(rec);
        p->refCount = 0;
        std::memset(p->lockSlot, 0, sizeof(p->lockSlot));
        Store(p->processId, 0u);
        DebugLine(FormatBounded(kDebuggerChars, L"%ls Last reference for this process was removed!\n",
                                L"TraceTerminateThread()"));
        bool anyInUse = std::any_of(std::begin(block->processes), std::end(block->processes),
                                    [](ProcessRecord& r) { return Load(r.processId) != 0; });
        if (!anyInUse) {
            DebugLine(
                FormatBounded(kDebuggerChars, L"%ls Last process was removed!\n", L"TraceTerminateThread()"));
            CloseBlock();
        }
    }
}

void TraceSetVerboseLevel(uint32_t level) {
    TraceSettings settings;
    settings.hasLevel = true;
    settings.level = level;
    TraceApplySettings(settings);
}

void TraceApplySettings(const TraceSettings& settings) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.block)
        return;
    if (ProcessRecord* p = FindProcess(s.block, Proc().ProcessId()); p && p->refCount > 0)
        ApplySettingsLocked(*p, settings);
}

void TraceSetContextMask() {
    if (ThreadRecord* t = OwnRecord(true))
        Store(t->contextMask, kTraceAllContexts);
}

bool TraceEnabled(uint32_t level, uint32_t contexts) {
    ThreadRecord* t = OwnRecord(false);
    return t && Passes(*t, level, contexts);
}

void TraceMessage(uint32_t level, uint32_t contexts, const wchar_t* format, ...) {
    ThreadRecord* t = OwnRecord(true);
    if (!t || !Passes(*t, level, contexts))
        return;
    va_list args;
    va_start(args, format);
    Emit(*t, level, FormatBoundedV(kMessageChars, format, args));
    va_end(args);
}

void TraceDebugger(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatBoundedV(kDebuggerChars, format, args);
    va_end(args);
    DebugLine(text);
}

void TraceSetThreadName(IThreads& threads, uint32_t threadId, const std::string& name) {
    std::string full = "LM: " + name;
    if (full.size() > 255)
        full.resize(255);
    threads.SetThreadName(threadId, full);
}

CLMTraceScope::CLMTraceScope(uint32_t level, uint32_t contexts, const wchar_t* name) : name_(name) {
    ThreadRecord* t = OwnRecord(false);
    if (!t || !Passes(*t, level, contexts))
        return;
    contexts_ = contexts;
    Open(nullptr);
}

CLMTraceScope::CLMTraceScope(uint32_t level, uint32_t contexts, const wchar_t* name, const wchar_t* argFormat,
                             ...)
    : name_(name) {
    ThreadRecord* t = OwnRecord(false);
    if (!t || !Passes(*t, level, contexts))
        return;
    contexts_ = contexts;
    va_list args;
    va_start(args, argFormat);
    std::wstring arg = FormatBoundedV(kMessageChars, argFormat, args);
    va_end(args);
    Open(arg.c_str());
}

void CLMTraceScope::Open(const wchar_t* argText) {
    ThreadRecord* t = OwnRecord(false);
    if (!t)
        return;
    enabled_ = true;
    start_ = Clock().TickCount();
    std::wstring indent = FromUtf16(t->indent, kIndentChars);
    std::wstring name = CutTo(name_ ? name_ : L"", kIndentChars);
    std::wstring text =
        argText ? FormatBounded(kMessageChars, L"%ls\\ %ls(%ls)\n", indent.c_str(), name.c_str(), argText)
                : FormatBounded(kMessageChars, L"%ls\\ %ls()\n", indent.c_str(), name.c_str());
    Emit(*t, kTraceIO, text);
    size_t len = indent.size();
    if (len < kIndentChars - 1) {
        t->indent[len] = u'|';
        t->indent[len + 1] = 0;
    }
}

CLMTraceScope::~CLMTraceScope() {
    if (!enabled_)
        return;
    ThreadRecord* t = OwnRecord(false);
    if (!t)
        return;
    std::wstring indent = FromUtf16(t->indent, kIndentChars);
    if (!indent.empty()) {
        indent.pop_back();
        t->indent[indent.size()] = 0;
    }
    double seconds = static_cast<double>(Clock().TickCount() - start_) / 1000.0;
    std::wstring name = CutTo(name_ ? name_ : L"", kIndentChars);
    Emit(*t, kTraceIO,
         FormatBounded(kMessageChars, L"%ls/ %ls() (%.3f sec)\n", indent.c_str(), name.c_str(), seconds));
}

CLMTraceProcess::CLMTraceProcess(uint32_t level) : threadId_(Proc().ThreadId()) {
    TraceInitEx(level);
}

CLMTraceProcess::~CLMTraceProcess() {
    TraceTerminateThread(threadId_, true);
}

} // namespace lm
