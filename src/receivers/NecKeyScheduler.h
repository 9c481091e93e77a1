// The repeat filter of a source: a new code passes at once, a held code passes again only after the
// repeat delay and then at most once per repeat spacing.
#pragma once
#include <cstdint>

#include "platform/Clock.h"

namespace lm {

constexpr uint8_t kNecNoKey = 0xFF;   // no key is down
constexpr uint8_t kNecSameKey = 0xFE; // the key that was down is still down

class CNecKeyScheduler {
public:
    static constexpr uint32_t kRepeatDelayMs = 1000;
    static constexpr uint32_t kRepeatSpacingMs = 200;

    explicit CNecKeyScheduler(IClock& clock) : clock_(clock) {}

    // Returns the code to act on, or kNecNoKey when nothing passes.
    uint8_t ProcessNecKeyCode(uint8_t code);

    uint8_t LastCode() const { return lastCode_; }
    int TooFast() const { return tooFast_; }
    uint32_t FirstPressTime() const { return firstPress_; }
    uint32_t LastRepeatTime() const { return lastRepeat_; }

private:
    IClock& clock_;
    int tooFast_ = 0;
    uint32_t firstPress_ = 0;
    uint32_t lastRepeat_ = 0;
    uint8_t lastCode_ = kNecNoKey;
};

} // namespace lm
