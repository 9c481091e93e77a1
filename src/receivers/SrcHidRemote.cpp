#include "receivers/SrcHidRemote.h"

#include "cmdset/RemoteKeys.h"
#include "support/LMDebug.h"

#include <algorithm>

namespace lm {

const std::vector<tagHIDCOLLECTION>& HidRemoteCollections() {
    static const std::vector<tagHIDCOLLECTION> collections = {{kHidPageConsumer, 0x01},
                                                              {kHidPageMediaCenter, 0x88}};
    return collections;
}

const std::vector<tagHIDUSAGEKEY>& HidRemoteUsages() {
    static const std::vector<tagHIDUSAGEKEY> usages = {
        // Consumer page: power, menu navigation, colour keys, channel, transport and volume.
        {kHidPageConsumer, 0x0030, RCKEY_POWER},
        {kHidPageConsumer, 0x0040, RCKEY_MENU},
        {kHidPageConsumer, 0x0041, RCKEY_OK},
        {kHidPageConsumer, 0x0042, RCKEY_UP},
        {kHidPageConsumer, 0x0043, RCKEY_DOWN},
        {kHidPageConsumer, 0x0044, RCKEY_LEFT},
        {kHidPageConsumer, 0x0045, RCKEY_RIGHT},
        {kHidPageConsumer, 0x0046, RCKEY_BACK},
        {kHidPageConsumer, 0x0060, RCKEY_PROGINFO},
        {kHidPageConsumer, 0x0061, RCKEY_SUBTITLES},
        {kHidPageConsumer, 0x0069, RCKEY_RED},
        {kHidPageConsumer, 0x006A, RCKEY_GREEN},
        {kHidPageConsumer, 0x006B, RCKEY_BLUE},
        {kHidPageConsumer, 0x006C, RCKEY_YELLOW},
        {kHidPageConsumer, 0x0083, RCKEY_LAST_CHANNEL},
        {kHidPageConsumer, 0x0089, RCKEY_TV},
        {kHidPageConsumer, 0x008D, RCKEY_EPG},
        {kHidPageConsumer, 0x009C, RCKEY_PROG_UP},
        {kHidPageConsumer, 0x009D, RCKEY_PROG_DOWN},
        {kHidPageConsumer, 0x00B0, RCKEY_PLAY},
        {kHidPageConsumer, 0x00B1, RCKEY_PAUSE},
        {kHidPageConsumer, 0x00B2, RCKEY_RECORD},
        {kHidPageConsumer, 0x00B3, RCKEY_FFWD},
        {kHidPageConsumer, 0x00B4, RCKEY_FREW},
        {kHidPageConsumer, 0x00B5, RCKEY_NEXT},
        {kHidPageConsumer, 0x00B6, RCKEY_PREV},
        {kHidPageConsumer, 0x00B7, RCKEY_STOP},
        {kHidPageConsumer, 0x00CD, RCKEY_PLAY},
        {kHidPageConsumer, 0x00E2, RCKEY_MUTE},
        {kHidPageConsumer, 0x00E9, RCKEY_VOL_UP},
        {kHidPageConsumer, 0x00EA, RCKEY_VOL_DOWN},
        {kHidPageConsumer, 0x0209, RCKEY_PROGINFO}, // "More info"
        {kHidPageConsumer, 0x0223, RCKEY_MENU},     // home
        {kHidPageConsumer, 0x0224, RCKEY_BACK},
        // Media Center page: the green start button, the media folders, DVD keys, teletext and its colours.
        {kHidPageMediaCenter, 0x000D, RCKEY_MENU},
        {kHidPageMediaCenter, 0x0024, RCKEY_DVD_MENU},
        {kHidPageMediaCenter, 0x0025, RCKEY_TV},
        {kHidPageMediaCenter, 0x0047, RCKEY_MUSIC},
        {kHidPageMediaCenter, 0x0049, RCKEY_PICTURE},
        {kHidPageMediaCenter, 0x004A, RCKEY_VIDEO},
        {kHidPageMediaCenter, 0x004B, RCKEY_ANGLE},
        {kHidPageMediaCenter, 0x004C, RCKEY_AUDIO},
        {kHidPageMediaCenter, 0x004D, RCKEY_SUBTITLES},
        {kHidPageMediaCenter, 0x005A, RCKEY_TELETEXT},
        {kHidPageMediaCenter, 0x005B, RCKEY_RED},
        {kHidPageMediaCenter, 0x005C, RCKEY_GREEN},
        {kHidPageMediaCenter, 0x005D, RCKEY_YELLOW},
        {kHidPageMediaCenter, 0x005E, RCKEY_BLUE},
    };
    return usages;
}

int32_t HidUsageToKey(uint16_t usagePage, uint16_t usage) {
    for (const tagHIDUSAGEKEY& row : HidRemoteUsages())
        if (row.usagePage == usagePage && row.usage == usage)
            return row.keyId;
    return RCKEY_NONE;
}

int32_t AppCommandToKey(uint32_t command) {
    // The system's APPCOMMAND_ numbers.
    switch (command) {
    case 1: // browser backward
        return RCKEY_BACK;
    case 8:
        return RCKEY_MUTE;
    case 9:
        return RCKEY_VOL_DOWN;
    case 10:
        return RCKEY_VOL_UP;
    case 11:
        return RCKEY_NEXT;
    case 12:
        return RCKEY_PREV;
    case 13:
        return RCKEY_STOP;
    case 14: // play/pause
    case 46:
        return RCKEY_PLAY;
    case 47:
        return RCKEY_PAUSE;
    case 48:
        return RCKEY_RECORD;
    case 49:
        return RCKEY_FFWD;
    case 50:
        return RCKEY_FREW;
    case 51:
        return RCKEY_PROG_UP;
    case 52:
        return RCKEY_PROG_DOWN;
    default:
        return RCKEY_NONE;
    }
}

int32_t ParseHidRemoteReport(uint16_t usagePage, const uint8_t* report, size_t size) {
    if (!report || size < 2)
        return -1;
    if (usagePage == kHidPageMediaCenter || size == 2)
        return report[1];
    if (usagePage != kHidPageConsumer || size % 2 == 0)
        return -1;
    // An array of 16-bit usages: the first one that is not 0 is the key down.
    for (size_t at = 1; at + 1 < size; at += 2)
        if (int32_t usage = report[at] | report[at + 1] << 8)
            return usage;
    return 0;
}

CSrcHidRemote::CSrcHidRemote(const tagSRCSERVICES& services, std::unique_ptr<IHidInput> input,
                             bool requireDevice, bool consume)
    : CSrcPush(services, kName, 0), input_(std::move(input)), requireDevice_(requireDevice),
      consume_(consume) {}

CSrcHidRemote::~CSrcHidRemote() {
    if (input_ && inputStarted_)
        input_->Stop();
    StopPolling();
}

int CSrcHidRemote::Init(void* ownerContext, IrEventCallback callback) {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CSrcHidRemote::Init");
    if (!callback || !input_)
        return 0;
    if (inputStarted_)
        input_->Stop();
    inputStarted_ = false;
    if (requireDevice_ && !input_->DevicePresent(HidRemoteCollections()))
        return 0;
    ClearKeys();
    heldKey_ = -1;
    reportSeen_ = false;
    if (CSrcPoll::Init(ownerContext, callback) != 1)
        return 0;
    if (!input_->Start(HidRemoteCollections(), *this, consume_)) {
        LM_TRACE(kTraceErr, L"%ls() - the remote's input cannot be received\n", L"CSrcHidRemote::Init");
        StopPolling();
        initialised_.store(0, std::memory_order_release);
        return 0;
    }
    inputStarted_ = true;
    return 1;
}

void CSrcHidRemote::TakeReport(const tagHIDCOLLECTION& collection, const uint8_t* report, size_t size) {
    reportSeen_ = true;
    lastReport_ = Clock().TickCount();
    int32_t usage = ParseHidRemoteReport(collection.usagePage, report, size);
    if (usage < 0) {
        unknown_.fetch_add(1, std::memory_order_relaxed);
        LM_TRACE(kTraceDetail, L"%ls() - a report of %zu bytes of page 0x%04X was not understood\n",
                 L"CSrcHidRemote::TakeReport", size, collection.usagePage);
        return;
    }
    int32_t keyId = usage == 0 ? kNoKeyId : HidUsageToKey(collection.usagePage, static_cast<uint16_t>(usage));
    if (keyId == kNoKeyId) {
        if (usage != 0)
            LM_TRACE(kTraceInfo, L"%ls() - no key for usage 0x%04X of page 0x%04X\n",
                     L"CSrcHidRemote::TakeReport", usage, collection.usagePage);
        heldKey_ = kNoKeyId;
        KeyUp();
        return;
    }
    // Receivers that repeat the report of a held key send the same usage again.
    KeyDown(keyId, keyId != heldKey_);
    heldKey_ = keyId;
}

void CSrcHidRemote::TakeAppCommand(uint32_t command) {
    if (reportSeen_ && Clock().TickCount() - lastReport_ < kAppCommandQuietMs)
        return;
    int32_t keyId = AppCommandToKey(command);
    if (keyId == kNoKeyId)
        return;
    // A command tells of a press only: a tap.
    KeyDown(keyId, true);
    KeyUp();
    heldKey_ = kNoKeyId;
}

} // namespace lm
