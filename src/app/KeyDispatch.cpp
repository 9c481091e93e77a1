#include "app/KeyDispatch.h"

#include "base/Path.h"
#include "base/Text.h"
#include "cmdset/RemoteKeys.h"
#include "support/LMDebug.h"

#include <algorithm>
#include <cwchar>

namespace lm {

namespace {

constexpr uint32_t kTraceContextRepeat = 8;
constexpr int32_t kTvModeCheckBox = 2023;
constexpr const wchar_t* kTvControlWindow = L"Vistar Control";
constexpr const wchar_t* kTvTeletextWindow = L"Vistar Teletext";
constexpr const wchar_t* kTvLiveWindow = L"Vistar Live";
constexpr const wchar_t* kOsdDefaultText = L"OSD";

bool IsDigitKeyCommand(const tagWINCMD& command) {
    const int32_t vk = command.nSubType;
    return command.nType == CMD_KEY && ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x60 && vk <= 0x69));
}

uint32_t Milliseconds(int32_t value) {
    return value > 0 ? static_cast<uint32_t>(value) : 0;
}

} // namespace

CKeyDispatcher::CKeyDispatcher(const tagDISPATCHSERVICES& services)
    : services_(services), handler_(services.handler),
      startSound_(PathJoin(services.folders.Folder(KnownFolder::Windows), L"Media\\Start.wav")),
      text_(services.clock, services.display, [&settings = services.settings] { return settings.Get().osd; }),
      display_(services.display), idle_(services.threads.NewEvent(true, true)),
      wake_(services.threads.NewEvent(false, false)), thread_(services.threads) {
    endKey_ = services.threads.NewEvent(true, false); // made last of the events
    BuildControlKeymap(control_, handler_.Strings());
    handler_.LoadKeymap(kTvApplication, live_, false);
}

CKeyDispatcher::~CKeyDispatcher() {
    Stop(kStopTimeoutMs);
}

// -------------------------------------------------------------------------------------------------------
// From the sources to the handler thread

int32_t CKeyDispatcher::IrEventCallback(void* ownerContext, const tagIREVENT* event) {
    if (!ownerContext)
        return 0;
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CRemoteApp::IrEventCallback", L"%d",
                        event ? event->keyId : -1);
    if (event)
        static_cast<CKeyDispatcher*>(ownerContext)->Post(*event);
    return 1;
}

void CKeyDispatcher::AttachDisplay(IOsdDisplay* display) {
    display_.store(display);
    handler_.AttachDisplay(display);
    text_.AttachDisplay(display);
}

void CKeyDispatcher::SetReady(bool ready) {
    std::lock_guard lock(lock_);
    ready_ = ready;
}

void CKeyDispatcher::Post(const tagIREVENT& event) {
    std::lock_guard lock(lock_);
    endKey_->Set(); // a new key ends the waits of the one being handled
    if (!ready_ || stopping_)
        return;
    if (waiting_.size() >= kMaxWaitingKeys) {
        TraceMessage(kTraceErr, kTraceAllContexts,
                     L"CRemoteApp::IrEventCallback() - key %d dropped, %d keys wait\n", event.keyId,
                     static_cast<int>(waiting_.size()));
        return;
    }
    waiting_.push_back(event);
    wake_->Set();
    if (running_)
        return;
    // The first key starts the handler thread, which then waits for the keys that follow. (A thread
    // per key would cost more than the rest of the key's way together.)
    running_ = thread_.StartThread(IrEventHandlerThreadProc, this, "CRemoteApp::IrEventHandler", -1) != 0;
    if (!running_)
        waiting_.clear();
}

// Handles the keys in order and waits for more. It ends when the dispatcher stops, or when a wait ends
// without a key (which real waits without a time-out never do; the test threads' waits do at once).
uint32_t CKeyDispatcher::IrEventHandlerThreadProc(void* dispatcher) {
    CLMTraceProcess attach(3);
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CRemoteApp::IrEventHandlerThreadProc");
    auto* self = static_cast<CKeyDispatcher*>(dispatcher);
    uint32_t result = 0;
    for (;;) {
        tagIREVENT event{};
        while (self->NextEvent(event)) {
            if (event.source)
                result = static_cast<uint32_t>(self->HandleIrEvent(event));
            self->EventDone();
        }
        if (!self->KeepRunning(self->wake_->Wait(kInfinite) == WaitResult::Signalled))
            break;
    }
    return result;
}

bool CKeyDispatcher::NextEvent(tagIREVENT& event) {
    std::lock_guard lock(lock_);
    if (waiting_.empty() || stopping_)
        return false;
    event = waiting_.front();
    waiting_.pop_front();
    current_ = event.source;
    currentFreed_ = false;
    idle_->Reset();
    // A key that already has a successor runs its command once, without waiting.
    if (waiting_.empty())
        endKey_->Reset();
    else
        endKey_->Set();
    return true;
}

bool CKeyDispatcher::KeepRunning(bool woken) {
    std::lock_guard lock(lock_);
    if (!stopping_ && (woken || !waiting_.empty()))
        return true;
    running_ = false;
    return false;
}

void CKeyDispatcher::EventDone() {
    std::lock_guard lock(lock_);
    current_ = nullptr;
    idle_->Set();
}

int32_t CKeyDispatcher::LastKeyOf(CSrc* source) {
    std::lock_guard lock(lock_);
    return source && !currentFreed_ ? source->GetLastKeyId() : kNoKeyId;
}

void CKeyDispatcher::ReceiverFreeing(CSrc& source) {
    {
        std::lock_guard lock(lock_);
        waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(),
                                      [&](const tagIREVENT& e) { return e.source == &source; }),
                       waiting_.end());
        if (current_ != &source)
            return;
        currentFreed_ = true;
        endKey_->Set();
    }
    if (idle_->Wait(kStopTimeoutMs) != WaitResult::Signalled)
        TraceMessage(kTraceErr, kTraceAllContexts, L"CRemoteApp::ReceiverFreeing() - key still handled\n");
}

bool CKeyDispatcher::Stop(uint32_t timeoutMs) {
    {
        std::lock_guard lock(lock_);
        stopping_ = true;
        waiting_.clear();
        endKey_->Set();
        wake_->Set();
    }
    return thread_.StopThread(timeoutMs) != 0;
}

// -------------------------------------------------------------------------------------------------------
// One key on the handler thread

int32_t CKeyDispatcher::TvApplicationMode() {
    IWindows& windows = handler_.Windows();
    if (WindowHandle control = windows.FindTopLevelWindow(kTvControlWindow)) {
        WindowHandle box = FindDescendantWindow(windows, control, kTvModeCheckBox);
        if (box != kNoWindow && windows.SendMsg(box, kBmGetCheck, 0, 0) == 1)
            return 1;
    }
    return windows.FindTopLevelWindow(kTvTeletextWindow) != kNoWindow ? 2 : 0;
}

int CKeyDispatcher::HandleIrEvent(const tagIREVENT& event) {
    const int32_t key = event.keyId;
    const tagDISPATCHSETTINGS settings = services_.settings.ForDispatch();
    tagPRGINFO app = handler_.ActiveSet()->record;

    if (settings.exclusive && !settings.exclusiveApplication.empty() &&
        !SameText(settings.exclusiveApplication, app.szName)) {
        handler_.ActivateSet(settings.exclusiveApplication);
        app = handler_.ActiveSet()->record;
    }

    tagWINCMD found;
    bool haveFound = false;
    if (std::wcscmp(app.szName, kTvApplication) == 0) {
        int32_t mode = TvApplicationMode();
        if (const tagWINCMD* command = control_.Find(key))
            found = *command, haveFound = true;
        else
            mode = 0;
        if (mode != tvMode_) {
            CopyBounded(app.szWindowCaption, kPrgTextChars, mode == 2 ? kTvTeletextWindow : kTvLiveWindow);
            handler_.SetActiveSet(app, mode == 0 ? live_ : control_);
            tvMode_ = mode;
        }
    }

    const auto active = handler_.ActiveSet();
    const tagWINCMD* bound = active->keymap.Find(key);
    if (bound)
        found = *bound, haveFound = true;

    if (app.bSmsInput == 1) {
        if (key >= RCKEY_0 && key <= RCKEY_9 && haveFound && IsDigitKeyCommand(found) &&
            !settings.disableSound && !settings.hidden) {
            for (int i = 0; i < 2; ++i)
                bound ? services_.sound.PlayFile(startSound_) : services_.sound.PlayResource(kErrorSound);
        }
        if (text_.PendingBefore(key))
            handler_.HandleTextCommand(text_.State().pending, active->record);
        tagWINCMD typed = found;
        switch (text_.Key(key, haveFound ? &typed : nullptr, *endKey_)) {
        case kTextKeyPending:
            return 1;
        case kTextKeyRun:
            handler_.HandleTextCommand(typed, active->record);
            return 1;
        default:
            break;
        }
    }

    PlayKeyFeedback(key, settings);
    const int result = handler_.HandleCommandForKey(key, !settings.exclusive);
    if (!result) {
        if (settings.exclusive && key == RCKEY_POWER)
            handler_.StartApplicationOf(app);
        return 0;
    }
    if (haveFound && found.bRepeat == 1 && event.singleShot == 0)
        RepeatCommand(event, found);
    return result;
}

void CKeyDispatcher::PlayKeyFeedback(int32_t key, const tagDISPATCHSETTINGS& settings) {
    IOsdDisplay* display = display_.load();
    const auto active = handler_.ActiveSet();
    const tagWINCMD* command = active->keymap.Find(key);
    if (!settings.disableSound && !settings.hidden) {
        if (!command) {
            services_.sound.PlayResource(kErrorSound);
            return;
        }
        services_.sound.PlayFile(startSound_);
    }
    if (!command || settings.hidden || settings.osdOn != 1 || active->record.bHideOsd != 0 ||
        command->bHideOsd == 1 || command->nType == CMD_OSD ||
        (command->nType == CMD_SYSTEM && command->nSubType >= SYS_MOUSECLICK &&
         command->nSubType <= SYS_CURSOR) ||
        handler_.MenuShown() || !display)
        return;
    display->ShowText(command->szOsdText[0] ? command->szOsdText : kOsdDefaultText);
}

// While the source still reports the key: the first repeat after the delay and the interval, then one
// every interval. A new key ends it at once.
void CKeyDispatcher::RepeatCommand(const tagIREVENT& event, const tagWINCMD& command) {
    IEvent& stop = *endKey_;
    if (stop.Wait(Milliseconds(command.nRepeatDelay)) != WaitResult::Timeout)
        return;
    const uint32_t interval = Milliseconds(command.nRepeatRate);
    for (int32_t last = LastKeyOf(event.source); last == event.keyId && last != kNoKeyId;
         last = LastKeyOf(event.source)) {
        CLMTraceScope scope(kTraceInfo, kTraceContextRepeat, L"CRemoteApp::HandleIrEvent", L"%u", interval);
        if (stop.Wait(interval) != WaitResult::Timeout)
            return;
        handler_.HandleCommandForKey(event.keyId, true);
    }
}

} // namespace lm
