#include "receivers/NecKeyScheduler.h"

#include "support/LMDebug.h"

namespace lm {

namespace {
constexpr const wchar_t* kFunction = L"CNecKeyScheduler::ProcessNecKeyCode";
}

uint8_t CNecKeyScheduler::ProcessNecKeyCode(uint8_t code) {
    tooFast_ = 0;
    if (code == kNecSameKey)
        code = lastCode_;
    uint32_t now = clock_.TickCount();
    if (code == kNecNoKey) {
        lastCode_ = kNecNoKey;
        firstPress_ = 0;
        lastRepeat_ = 0;
        return kNecNoKey;
    }
    if (code != lastCode_) {
        firstPress_ = now;
        lastRepeat_ = now;
        lastCode_ = code;
        LM_TRACE(kTraceIO, L"%ls() - 0x%02X  Key changed\n", kFunction, code);
        return code;
    }
    // Unsigned differences: a press held across the wrap of the millisecond counter still counts right.
    uint32_t sincePress = now - firstPress_;
    uint32_t sinceRepeat = now - lastRepeat_;
    if (sincePress >= kRepeatDelayMs && sinceRepeat >= kRepeatSpacingMs) {
        lastRepeat_ = clock_.TickCount();
        LM_TRACE(kTraceIO, L"%ls() - 0x%02X  Key repeated\n", kFunction, code);
        return code;
    }
    tooFast_ = 1;
    LM_TRACE(kTraceIO, L"%ls() - 0x%02X  Key repeated - TOO FAST\n", kFunction, code);
    return kNecNoKey;
}

} // namespace lm
