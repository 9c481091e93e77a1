#include "receivers/SrcRcVistar.h"

#include "base/Text.h"
#include "support/LMDebug.h"

namespace lm {
namespace {

constexpr uint32_t kTraceContextGraph = 0x1000000;

// What the device met while it looked for the receiver's filter.
void TraceFilterSearch(const std::vector<tagIRFILTER>& seen) {
    CLMTraceScope scope(kTraceInfo, kTraceContextGraph, L"CGraphBase::FindFilter", L"%ls",
                        seen.empty() ? L"" : seen.front().searchedFor.c_str());
    for (const tagIRFILTER& filter : seen) {
        LM_TRACE(kTraceInfo, L"FriendlyName: '%ls'\n",
                 filter.nameRead ? filter.friendlyName.c_str() : L"pBag->Read(PROP_FRIENDLYNAME) FAILED");
        if (!filter.matched || filter.bindError == 0)
            continue;
        LM_TRACE(kTraceErr, L"CGraphBase::FindFilter(%ls) Exception in BindToObject()\n",
                 filter.friendlyName.c_str());
        if (SameText(filter.friendlyName, L"BDA MPEG2 Transport Information Filter"))
            LM_TRACE(kTraceErr, L"CGraphBase::FindFilter: This happens with Windows Media Player 11 Beta and "
                                L"can be ignored.\n");
    }
}

} // namespace

CSrcRcVistar_S_USB::CSrcRcVistar_S_USB(const tagSRCSERVICES& services, std::unique_ptr<IIrDevice> device)
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
    std::vector<tagIRFILTER> seen;
    const bool opened = device_->Open({kName}, &seen);
    TraceFilterSearch(seen);
    if (!opened)
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
