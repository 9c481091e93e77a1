// CKeyDispatcher: carries each key event of the receivers to the command handler. The sources call
// IrEventCallback on their polling threads; the dispatcher queues the event for its handler thread and
// returns at once, so a slow command never holds a source's polling. One long-lived handler thread,
// started by the first key, handles one key at a time, in order: it applies the exclusive application or the
// mode of the TV application, routes digit keys through multi-tap text input where the active set asks for
// it, plays the key sound, shows the command on the display, runs the command and repeats it while the key is
// held. A new key ends the waits of the key being handled at once (the repeat, the text input's pause); a key
// that already has a successor waiting runs its command once, without waiting.
//
// The application object owns one dispatcher, gives IrEventCallback with the dispatcher as owner
// context to the receivers, forwards IReceiverHost::ReceiverFreeing, sets the ready flag after receiver
// selection and calls Stop at the end of the program.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "app/Settings.h"
#include "exec/CmdSetHandler.h"
#include "exec/TextInput.h"
#include "osd/OsdDisplay.h"
#include "platform/Clock.h"
#include "platform/KnownFolders.h"
#include "platform/Sound.h"
#include "platform/Sync.h"
#include "receivers/LMThread.h"
#include "receivers/Src.h"

namespace lm {

struct tagDISPATCHSERVICES {
    CCmdSetHandler& handler;
    CSettings& settings;
    IOsdDisplay* display; // may be null
    ISound& sound;
    IThreads& threads;
    IClock& clock;
    IKnownFolders& folders; // the Windows folder holds the key sound
};

class CKeyDispatcher {
public:
    static constexpr const wchar_t* kTvApplication = L"Lumora Vistar TV";
    static constexpr const wchar_t* kErrorSound = L"WAV_CMDERROR";
    // Keys that wait while a command hangs; later ones are dropped.
    static constexpr size_t kMaxWaitingKeys = 16;
    // How long ReceiverFreeing and the destructor wait for the key being handled.
    static constexpr uint32_t kStopTimeoutMs = 5000;

    // Builds the TV application's control set and reads its live set.
    explicit CKeyDispatcher(const tagDISPATCHSERVICES& services);
    // Stops the handler thread (kStopTimeoutMs).
    ~CKeyDispatcher();
    CKeyDispatcher(const CKeyDispatcher&) = delete;
    CKeyDispatcher& operator=(const CKeyDispatcher&) = delete;

    // The callback of every source; ownerContext is the dispatcher. Returns 1, or 0 without a context.
    static int32_t IrEventCallback(void* ownerContext, const tagIREVENT* event);
    // The display made after the dispatcher, for the dispatcher, the text input and the handler; null
    // before it goes (after Stop).
    void AttachDisplay(IOsdDisplay* display);
    // Keys are dispatched only while ready (a receiver was found); others only end the current key.
    void SetReady(bool ready);
    // Before a source is deleted: its waiting keys are dropped, and a key of it being handled is ended
    // and waited for, so that nothing runs for the source or asks it for its last key afterwards.
    void ReceiverFreeing(CSrc& source);
    // Ends the key being handled, drops the waiting ones and waits for the handler thread. False when
    // it did not end in time. Keys that arrive later are ignored.
    bool Stop(uint32_t timeoutMs);

    // The mode last applied to the TV application: 0 live, 1 control, 2 teletext.
    int32_t TvMode() const { return tvMode_; }
    const CTextInput& TextInput() const { return text_; }

private:
    static uint32_t IrEventHandlerThreadProc(void* dispatcher);
    void Post(const tagIREVENT& event);
    // Takes the next waiting key; false when there is none.
    bool NextEvent(tagIREVENT& event);
    // After the wait for keys: false (the thread ends) when stopping, or when the wait ended without a
    // key and none waits.
    bool KeepRunning(bool woken);
    void EventDone();
    int HandleIrEvent(const tagIREVENT& event);
    void PlayKeyFeedback(int32_t key, const tagDISPATCHSETTINGS& settings);
    void RepeatCommand(const tagIREVENT& event, const tagWINCMD& command);
    // The source's last key, -1 once the source is being freed.
    int32_t LastKeyOf(CSrc* source);
    int32_t TvApplicationMode();

    tagDISPATCHSERVICES services_;
    CCmdSetHandler& handler_;
    std::wstring startSound_;
    CKeymap control_; // the TV application's sets: control and teletext modes, and live mode
    CKeymap live_;
    int32_t tvMode_ = 0;
    CTextInput text_;
    std::atomic<IOsdDisplay*> display_;

    std::mutex lock_; // the waiting keys and the flags below
    std::deque<tagIREVENT> waiting_;
    CSrc* current_ = nullptr; // the source of the key being handled
    bool currentFreed_ = false;
    bool running_ = false;
    bool ready_ = false;
    bool stopping_ = false;
    std::unique_ptr<IEvent> idle_;   // set while no key is being handled
    std::unique_ptr<IEvent> wake_;   // a key waits
    std::unique_ptr<IEvent> endKey_; // ends the waits of the key being handled
    CLMThread thread_;
};

} // namespace lm
