#include "receivers/Receivers.h"

#include "receivers/SrcHidRemote.h"
#include "receivers/SrcRcVistar.h"
#include "receivers/SrcScript.h"
#include "support/LMDebug.h"

namespace lm {

namespace {
constexpr uint32_t Bit(int type) {
    return 1u << static_cast<unsigned>(type);
}
} // namespace

CReceivers::CReceivers(ISourceFactory& factory, IReceiverHost& host, void* ownerContext,
                       IrEventCallback callback)
    : factory_(factory), host_(host), ownerContext_(ownerContext), callback_(callback) {}

CReceivers::~CReceivers() {
    // Each source stops its own thread when it is deleted.
    for (auto& source : sources_)
        source.reset();
}

CSrc* CReceivers::Source(int type) const {
    return IsType(type) ? sources_[static_cast<size_t>(type)].get() : nullptr;
}

void CReceivers::DeleteSource(int type) {
    auto& slot = sources_[static_cast<size_t>(type)];
    if (!slot)
        return;
    host_.ReceiverFreeing(*slot);
    slot.reset();
}

int CReceivers::FreeReceiver(int type) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CRemoteApp::FreeReceiver", L"%d", type);
    if (!IsType(type))
        return 0;
    foundMask_.fetch_and(~Bit(type), std::memory_order_acq_rel);
    DeleteSource(type);
    return 1;
}

int CReceivers::ReinitReceiver(int type, int activate) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CRemoteApp::ReinitReceiver", L"%d, %d", type,
                        activate);
    if (!IsType(type))
        return 0;
    FreeReceiver(type);
    std::unique_ptr<CSrc> source = factory_.CreateSource(type);
    if (!source)
        return 0;
    auto& slot = sources_[static_cast<size_t>(type)];
    slot = std::move(source);
    int result = slot->Init(ownerContext_, callback_);
    if (result == 1)
        foundMask_.fetch_or(Bit(type), std::memory_order_acq_rel);
    if (activate == 1 && (result != 1 || (host_.ReceiverSelection() & Bit(type)) == 0))
        DeleteSource(type); // the found bit stays: the options page still lists the type
    return result;
}

int CReceivers::FreeReceivers() {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CRemoteApp::FreeReceivers");
    for (int type = 0; type < kReceiverSlotCount; ++type)
        DeleteSource(type);
    foundMask_.store(0, std::memory_order_release);
    ready_.store(0, std::memory_order_release);
    return 1;
}

int CReceivers::InitReceivers() {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"CRemoteApp::InitReceivers");
    FreeReceivers();
    for (int type = 1; type < kReceiverSlotCount; ++type)
        ReinitReceiver(type, 0);
    uint32_t active = FoundMask() & host_.ReceiverSelection();
    for (int type = 1; type < kReceiverSlotCount; ++type)
        if ((active & Bit(type)) == 0)
            DeleteSource(type);
    ReinitReceiver(kReceiverTypeMidi, 1);
    host_.SaveReceiverSettings();
    if (FoundMask() != 0) {
        ready_.store(1, std::memory_order_release);
        return 1;
    }
    LM_TRACE(kTraceErr, L"ERROR: No active receiver!\n");
    return 0;
}

CReceiverFactory::CReceiverFactory(const tagSRCSERVICES& services, IIrDevices& devices, IFileSystem& files)
    : services_(services), devices_(devices), files_(files) {}

std::unique_ptr<CSrc> CReceiverFactory::CreateSource(int type) {
    switch (type) {
    case kReceiverTypeVistarS:
        return std::make_unique<CSrcRcVistar_S_USB>(services_, devices_.CreateDevice());
    case kReceiverTypeScripted:
        if (scriptPath_.empty())
            return nullptr;
        return std::make_unique<CSrcScript>(services_, files_, scriptPath_);
    case kReceiverTypeIrServer: {
        tagIRSERVERCONFIG config;
        if (!sockets_ || !irServerConfig_ || !irServerConfig_(config))
            return nullptr;
        return std::make_unique<CSrcIrServer>(services_, *sockets_, std::move(config));
    }
    case kReceiverTypeHidRemote:
        if (!hidInputs_)
            return nullptr;
        return std::make_unique<CSrcHidRemote>(services_, hidInputs_->NewInput());
    default:
        return nullptr;
    }
}

} // namespace lm
