#include "receivers/SrcPush.h"

namespace lm {

CSrcPush::CSrcPush(const tagSRCSERVICES& services, std::wstring name, uint32_t releaseAfterMs)
    : CSrcPoll(services, std::move(name), kRemoteModel64), releaseAfterMs_(releaseAfterMs) {}

CSrcPush::~CSrcPush() {
    StopPolling();
}

bool CSrcPush::KeyDown(int32_t keyId, bool newPress) {
    if (keyId < kFirstKeyId || keyId > kLastKeyId)
        return false;
    const auto code = static_cast<uint8_t>(keyId - kFirstKeyId);
    std::lock_guard lock(mutex_);
    // A repeat of a key whose press was missed is a press too.
    if (newPress || code != down_)
        pending_ = code;
    down_ = code;
    lastSeen_ = Clock().TickCount();
    return true;
}

void CSrcPush::KeyUp() {
    std::lock_guard lock(mutex_);
    down_ = kNecNoKey;
}

void CSrcPush::ClearKeys() {
    std::lock_guard lock(mutex_);
    pending_ = down_ = kNecNoKey;
}

uint8_t CSrcPush::GetCurrentKeyCode() {
    std::lock_guard lock(mutex_);
    if (pending_ != kNecNoKey) {
        // The same key pressed again while the filter still sees it held: it sees the release first.
        if (reported_ == pending_)
            return reported_ = kNecNoKey;
        reported_ = pending_;
        pending_ = kNecNoKey;
        return reported_;
    }
    if (down_ != kNecNoKey && releaseAfterMs_ != 0 && Clock().TickCount() - lastSeen_ >= releaseAfterMs_)
        down_ = kNecNoKey;
    return reported_ = down_;
}

int CSrcPush::MapCode(uint8_t code, int32_t* keyId) const {
    *keyId = kNoKeyId;
    if (code > kLastKeyId - kFirstKeyId)
        return 0;
    *keyId = kFirstKeyId + code;
    return 1;
}

} // namespace lm
