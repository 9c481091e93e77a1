#include "receivers/SrcRcVistar.h"

#include "support/LMDebug.h"

namespace lm {

CSrcRcVistar_S_USB::CSrcRcVistar_S_USB(const SrcServices& services, std::unique_ptr<IIrDevice> device)
    : CSrcPoll(services, kName, kRemoteModel64), device_(std::move(device)) {}

CSrcRcVistar_S_USB::~CSrcRcVistar_S_USB() {
    StopPolling();
    if (device_)
        device_->Close();
}

int CSrcRcVistar_S_USB::Init(void* ownerContext, IrEventCallback callback) {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CSrcRcVistar_S_USB::Init");
    // The polling thread uses the receiver: it ends before the receiver is released.
    if (!StopPolling())
        return 0;
    initialised_.store(0, std::memory_order_release);
    if (!device_)
        return 0;
    device_->Close();
    if (!device_->Open({kName}))
        return 0;
    return CSrcPoll::Init(ownerContext, callback);
}

uint8_t CSrcRcVistar_S_USB::CodeFromReply(uint32_t reply) {
    return reply == kIrReplyNoKey ? kNecNoKey : static_cast<uint8_t>(reply & 0xFF);
}

uint8_t CSrcRcVistar_S_USB::GetCurrentKeyCode() {
    return CodeFromReply(device_->QueryCode());
}

} // namespace lm
