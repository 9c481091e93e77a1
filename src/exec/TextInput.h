// Multi-tap text input: for command sets that ask for it, the digit keys type text as a phone keypad
// does. Pressing a digit key again within the time-out steps through the characters printed on it; the
// display shows the choice, and the character is typed when the user pauses or presses another key.
// The key dispatcher owns one CTextInput and uses it on its handler thread only.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "cmdset/WinCmd.h"
#include "osd/OsdDisplay.h"
#include "platform/Clock.h"
#include "platform/Sync.h"

namespace lm {

struct tagTEXTINPUT {
    uint32_t lastPress = 0; // clock of the last press
    int32_t lastKey = -1;
    int8_t index = 0;        // position of the current character in the key's sequence
    int32_t pendingKey = -1; // -1: no character waits
    tagWINCMD pending;       // the keystroke that types the waiting character
    uint32_t timeoutMs = 1000;
};

// Results of CTextInput::Key.
enum : int {
    kTextKeyPending = 1, // taken; its character waits, because the next key ended the wait
    kTextKeyNormal = 2,  // not a text key: handle it as usual
    kTextKeyRun = 4,     // taken; the rewritten command types the character now
};

class CTextInput {
public:
    // `displayColors` gives the display's current settings, whose colours the flash swaps.
    CTextInput(IClock& clock, IOsdDisplay* display, std::function<tagOSDSETTINGS()> displayColors);

    // Takes a key of the active set with the command bound to it (null: none), rewriting the command to
    // type the chosen character. A text key waits on `stop` for the time-out: a new key ends the wait and
    // leaves the character pending; otherwise the display flashes and the character is to be typed.
    int Key(int32_t key, tagWINCMD* command, IEvent& stop);
    // The key's characters with the current one marked " «c» " (key 0 shows its blank as "_").
    std::wstring DisplayText(int32_t key) const;
    // The characters of a digit key, the digit first; empty for any other key.
    static std::wstring Sequence(int32_t key);

    // A character waits and `key` is another key than the one that made it.
    bool PendingBefore(int32_t key) const { return state_.pendingKey != -1 && state_.lastKey != key; }
    const tagTEXTINPUT& State() const { return state_; }
    void AttachDisplay(IOsdDisplay* display) { display_.store(display); }

    static constexpr uint32_t kFlashMs = 100;

private:
    void Reset();
    void Flash(int32_t key, IEvent& stop);

    IClock& clock_;
    std::atomic<IOsdDisplay*> display_;
    std::function<tagOSDSETTINGS()> displayColors_;
    tagTEXTINPUT state_;
};

} // namespace lm
