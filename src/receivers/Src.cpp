#include "receivers/Src.h"

#include "support/LMDebug.h"
#include "base/Text.h"

namespace lm {

namespace {
constexpr const wchar_t* kRule = L"---------------------------------------------------------\n";
} // namespace

// ---------------------------------------------------------------------------------------------- CSrc

CSrc::CSrc(const tagSRCSERVICES& services, std::wstring name, uint32_t remoteModel)
    : clock_(services.clock), threads_(services.threads), keyName_(services.keyName), name_(std::move(name)),
      remoteModel_(remoteModel), scheduler_(services.clock) {
    threads_.ComInitialize();
}

CSrc::~CSrc() {
    threads_.ComUninitialize();
}

int CSrc::IsInitialised() const {
    return initialised_.load(std::memory_order_acquire);
}

uint32_t CSrc::GetRemoteModel() const {
    return remoteModel_.load(std::memory_order_relaxed);
}

std::wstring CSrc::GetDescription() const {
    return description_;
}

int32_t CSrc::GetLastKeyId() const {
    return lastKeyId_.load(std::memory_order_relaxed);
}

int CSrc::Init(void* ownerContext, IrEventCallback callback) {
    if (!callback)
        return 0;
    ownerContext_ = ownerContext;
    callback_ = callback;
    initialised_.store(1, std::memory_order_release);
    return 1;
}

int32_t CSrc::HandleIrEvent(uint8_t code, int fromPoll) {
    uint32_t remoteModel = GetRemoteModel();
    if (remoteModel == 0)
        return 0;
    uint8_t passed = scheduler_.ProcessNecKeyCode(code);
    uint32_t singleShot = heldKeyReporting_ == 0 ? 1 : 0;
    if (passed == kNecNoKey) {
        lastKeyId_.store(kNoKeyId, std::memory_order_relaxed);
        return 0;
    }
    int32_t mapped = kNoKeyId;
    if (!MapCode(passed, &mapped)) {
        lastKeyId_.store(kNoKeyId, std::memory_order_relaxed);
        LM_TRACE(kTraceErr, L"%ls() - Could not map NEC key code!!!\n", L"CSrc::HandleIrEvent");
        return 0;
    }
    int32_t keyId = CheckForDoubleFunctionKey(scheduler_.LastCode(), mapped, fromPoll);
    lastKeyId_.store(keyId, std::memory_order_relaxed);
    if (keyId != mapped)
        singleShot = 1;
    // Nothing to deliver: a double-function test cut short by a stop, or the release of a repeated one.
    if (keyId == kNoKeyId || !callback_)
        return 0;
    if (TraceEnabled(kTraceDetail, kTraceAllContexts)) {
        std::wstring keyName = keyName_ ? keyName_(keyId) : std::wstring();
        LM_TRACE(kTraceDetail, kRule);
        LM_TRACE(kTraceDetail, L"%ls(): NEC 0x%02X -> Lumora Key ID %d - <%ls> (%ls)\n",
                 L"CSrc::HandleIrEvent", scheduler_.LastCode(), keyId, keyName.c_str(), name_.c_str());
        LM_TRACE(kTraceDetail, kRule);
    }
    tagIREVENT event{this, keyId, singleShot};
    return callback_(ownerContext_, &event);
}

int32_t CSrc::CheckForDoubleFunctionKey(uint8_t /*code*/, int32_t keyId, int /*fromPoll*/) {
    return keyId;
}

int CSrc::MapCode(uint8_t code, int32_t* keyId) const {
    return MapNecCodeToKeyId(GetRemoteModel(), code, keyId);
}

int CSrc::SelectRemoteModel(uint16_t identifier) {
    uint32_t remoteModel = 0;
    switch (identifier) {
    case 0x04EB:
        remoteModel = kRemoteModel16;
        break;
    case 0x04FB:
        remoteModel = kRemoteModel8;
        break;
    case 0x14EB:
    case 0x1400:
        remoteModel = kRemoteModel64;
        break;
    case 0x4545:
        remoteModel = kRemoteModel2048;
        break;
    case 0x866B:
        remoteModel = kRemoteModel2;
        break;
    default:
        remoteModel = 0;
        break;
    }
    SetRemoteModel(remoteModel);
    return remoteModel != 0 ? 1 : 0;
}

// ------------------------------------------------------------------------------------------ CSrcPoll

CSrcPoll::CSrcPoll(const tagSRCSERVICES& services, std::wstring name, uint32_t remoteModel)
    : CSrc(services, std::move(name), remoteModel), thread_(services.threads) {
    SetHeldKeyReporting(1);
}

CSrcPoll::~CSrcPoll() {
    StopPolling();
}

int CSrcPoll::StopPolling() {
    return thread_.StopThread(kStopTimeoutMs);
}

int CSrcPoll::Init(void* ownerContext, IrEventCallback callback) {
    if (!callback)
        return 0;
    // The thread reads the owner and the callback: they change only while no thread runs.
    if (!StopPolling())
        return 0;
    ownerContext_ = ownerContext;
    callback_ = callback;
    initialised_.store(1, std::memory_order_release);
    std::string threadName = ToUtf8(GetName()) + " CSrcPoll::PollForIrEvent()";
    if (!thread_.StartThread(PollForIrEventThreadProc, this, threadName.c_str(), 0)) {
        initialised_.store(0, std::memory_order_release);
        return 0;
    }
    return 1;
}

int32_t CSrcPoll::CheckForDoubleFunctionKey(uint8_t code, int32_t keyId, int fromPoll) {
    const tagDOUBLEFUNCTIONKEY* entry = FindDoubleFunctionKey(keyId);
    if (!entry)
        return keyId;
    if (fromPoll != 1)
        return entry->shortPress;
    if (StopEvent().Wait(kDoubleFunctionTestMs) == WaitResult::Signalled)
        return kNoKeyId; // the source is being stopped
    uint8_t now = GetCurrentKeyCode();
    LM_TRACE(kTraceDetail, L"%ls() - Read NEC key 0x%02X\n", L"CSrcPoll::CheckForDoubleFunctionKey", now);
    if (now == code || now == kNecSameKey)
        return entry->longPress;
    // A repeat of a key held past its first test was no tap: its release delivers nothing. (A repeat
    // is let through at least a second after the press, so its time differs from the press time.)
    bool repeat = Scheduler().LastRepeatTime() != Scheduler().FirstPressTime();
    return repeat ? kNoKeyId : entry->shortPress;
}

uint8_t CSrcPoll::GetCurrentKeyCode() {
    LM_TRACE(kTraceErr, L"CSrcPoll::GetCurrentKeyCode() - base class must not be called\n");
    // "No key": any real code would be delivered as a key press that never happened.
    return kNecNoKey;
}

int32_t CSrcPoll::PollOnce() {
    return HandleIrEvent(GetCurrentKeyCode(), 1);
}

int CSrcPoll::PollForIrEvent(int /*argument*/) {
    IEvent& stop = StopEvent();
    while (stop.Wait(PollPeriod()) == WaitResult::Timeout)
        PollOnce();
    return 1;
}

uint32_t CSrcPoll::PollForIrEventThreadProc(void* source) {
    if (!source)
        return 0;
    CLMTraceProcess attach(3); // attaches this thread for the loop's life
    return static_cast<uint32_t>(static_cast<CSrcPoll*>(source)->PollForIrEvent(1));
}

} // namespace lm
