// Sources whose receiver tells of keys as they happen (a server on the network, the system's input
// messages) instead of answering when asked. Whichever thread hears of a key records it here; the
// polling thread reads the recorded state every poll period, so that the keys take the road of a polled
// receiver: repeat filter, double-function test, held-key reporting and callback.
//
// The codes of these sources are not those of a remote model: a code is the key ID less 140, so the
// remote keys 140..324 pass through unchanged.
#pragma once
#include <cstdint>
#include <mutex>

#include "receivers/Src.h"

namespace lm {

class CSrcPush : public CSrcPoll {
public:
    static constexpr int32_t kFirstKeyId = 140;
    static constexpr int32_t kLastKeyId = 324;

    // `releaseAfterMs`: a key not reported again for this long counts as released (for receivers that
    // report only presses and repeats); 0 when the receiver reports releases itself.
    CSrcPush(const tagSRCSERVICES& services, std::wstring name, uint32_t releaseAfterMs);
    ~CSrcPush() override;

    // A key is down: a new press, or the key still held. A press is seen by the next poll even when the
    // key is released before it. False for a key ID outside 140..324, which is ignored.
    bool KeyDown(int32_t keyId, bool newPress);
    // No key is down any more.
    void KeyUp();

    uint8_t GetCurrentKeyCode() override;
    int MapCode(uint8_t code, int32_t* keyId) const override;

protected:
    // Forgets every key (a new connection, a new start).
    void ClearKeys();

private:
    const uint32_t releaseAfterMs_;
    std::mutex mutex_;
    uint8_t pending_ = kNecNoKey;  // a press the polling thread has not seen yet
    uint8_t down_ = kNecNoKey;     // the key held now
    uint8_t reported_ = kNecNoKey; // what the polling thread read last
    uint32_t lastSeen_ = 0;        // when the held key was last reported
};

} // namespace lm
