#include "receivers/SrcIrServer.h"

#include "base/Text.h"
#include "support/LMDebug.h"

#include <algorithm>

namespace lm {

uint32_t IrServerStateText(IrServerState state) {
    switch (state) {
    case IrServerState::Connected:
        return kStringIrServerConnected;
    case IrServerState::Connecting:
        return kStringIrServerConnecting;
    case IrServerState::Retrying:
        return kStringIrServerRetrying;
    default:
        return kStringIrServerStopped;
    }
}

CSrcIrServer::CSrcIrServer(const tagSRCSERVICES& services, ISockets& sockets, tagIRSERVERCONFIG config)
    : CSrcPush(services, kName, kReleaseMs), sockets_(sockets), config_(std::move(config)),
      link_(services.threads) {
    SetDescription(FormatBounded(259, L"%ls:%u", config_.host.c_str(), static_cast<unsigned>(config_.port)));
}

CSrcIrServer::~CSrcIrServer() {
    link_.StopThread(kStopTimeoutMs);
    StopPolling();
}

int CSrcIrServer::Init(void* ownerContext, IrEventCallback callback) {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CSrcIrServer::Init", L"%ls", GetDescription().c_str());
    if (!callback || Trim(config_.host).empty() || config_.port == 0)
        return 0;
    // The connection thread reads the map and the stream: they change only while it does not run.
    if (!link_.StopThread(kStopTimeoutMs))
        return 0;
    buttons_ = CIrButtonMap();
    if (int rejected = buttons_.AddEntries(config_.buttons))
        LM_TRACE(kTraceWrn, L"%ls() - %d lines of [%ls] are no button and key ID\n", L"CSrcIrServer::Init",
                 rejected, CIrButtonMap::kSection);
    ClearKeys();
    stream_.Reset();
    retryMs_.store(kFirstRetryMs, std::memory_order_relaxed);
    state_.store(IrServerState::Connecting, std::memory_order_release);
    if (CSrcPoll::Init(ownerContext, callback) != 1) {
        state_.store(IrServerState::Stopped, std::memory_order_release);
        return 0;
    }
    std::string threadName = ToUtf8(GetName()) + " CSrcIrServer::RunLink()";
    if (!link_.StartThread(LinkThreadProc, this, threadName.c_str(), -1)) {
        StopPolling();
        initialised_.store(0, std::memory_order_release);
        state_.store(IrServerState::Stopped, std::memory_order_release);
        return 0;
    }
    return 1;
}

uint32_t CSrcIrServer::LinkThreadProc(void* source) {
    if (!source)
        return 0;
    CLMTraceProcess attach(3);
    static_cast<CSrcIrServer*>(source)->RunLink();
    return 1;
}

void CSrcIrServer::RunLink() {
    IEvent& stop = link_.StopEvent();
    const std::wstring description = GetDescription();
    const wchar_t* server = description.c_str();
    bool failureTraced = false; // only the first failed attempt after a success is traced as a warning
    while (!stop.IsSet()) {
        std::unique_ptr<ISocket> socket = sockets_.NewSocket();
        if (socket && socket->Connect(config_.host, config_.port, kConnectTimeoutMs)) {
            connections_.fetch_add(1, std::memory_order_relaxed);
            retryMs_.store(kFirstRetryMs, std::memory_order_relaxed);
            state_.store(IrServerState::Connected, std::memory_order_release);
            LM_TRACE(kTraceInfo, L"%ls() - connected to %ls\n", L"CSrcIrServer::RunLink", server);
            failureTraced = false;
            stream_.Reset();
            bool stopped = !ReadConnection(*socket);
            socket->Close();
            KeyUp();
            if (stopped)
                break;
            LM_TRACE(kTraceWrn, L"%ls() - %ls closed the connection\n", L"CSrcIrServer::RunLink", server);
        } else if (!failureTraced) {
            LM_TRACE(kTraceWrn, L"%ls() - cannot connect to %ls, trying again\n", L"CSrcIrServer::RunLink",
                     server);
            failureTraced = true;
        }
        state_.store(IrServerState::Retrying, std::memory_order_release);
        uint32_t wait = retryMs_.load(std::memory_order_relaxed);
        if (stop.Wait(wait) != WaitResult::Timeout)
            break;
        retryMs_.store(std::min(wait * 2, kLastRetryMs), std::memory_order_relaxed);
    }
}

bool CSrcIrServer::ReadConnection(ISocket& socket) {
    IEvent& stop = link_.StopEvent();
    char buffer[1024];
    for (;;) {
        if (stop.IsSet())
            return false;
        int n = socket.Receive(buffer, sizeof(buffer), kReadSliceMs);
        if (n == kSocketClosed)
            return true;
        if (n > 0)
            stream_.Feed(buffer, static_cast<size_t>(n),
                         [this](IrLineKind kind, const tagIRSERVERLINE& line) { TakeLine(kind, line); });
    }
}

void CSrcIrServer::TakeLine(IrLineKind kind, const tagIRSERVERLINE& line) {
    if (kind == IrLineKind::Rejected) {
        rejectedLines_.fetch_add(1, std::memory_order_relaxed);
        LM_TRACE(kTraceDetail, L"%ls() - a line that is no key was dropped\n", L"CSrcIrServer::TakeLine");
        return;
    }
    if (kind != IrLineKind::Key)
        return;
    keyLines_.fetch_add(1, std::memory_order_relaxed);
    int32_t keyId = buttons_.KeyFor(line.remote, line.button);
    if (keyId == kNoKeyId) {
        // Once per press, not for each of its repeats.
        if (line.repeat == 0)
            LM_TRACE(kTraceInfo, L"%ls() - no key for button '%ls' of remote '%ls'\n",
                     L"CSrcIrServer::TakeLine", FromUtf8(line.button).c_str(), FromUtf8(line.remote).c_str());
        return;
    }
    KeyDown(keyId, line.repeat == 0);
}

} // namespace lm
