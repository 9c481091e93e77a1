// The network receiver: an infrared server on this PC or another one, reached over TCP, tells of every
// code it receives as a text line (IrServerProtocol.h). A connection thread of the source's own connects
// in the background, reads the lines and records the keys; when the server is down or goes away it tries
// again after 1 s, doubling the wait up to 30 s, and writes the trace only when the state changes. The
// polling thread of CSrcPush turns the recorded keys into key events.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/Socket.h"
#include "receivers/IrServerProtocol.h"
#include "receivers/SrcPush.h"

namespace lm {

// Where the server is and how its buttons map.
struct tagIRSERVERCONFIG {
    std::wstring host = L"127.0.0.1";
    uint16_t port = 8765;
    std::vector<std::pair<std::wstring, std::wstring>> buttons; // the user's "Remote Buttons" lines
};

enum class IrServerState {
    Stopped,    // not initialised
    Connecting, // the first attempt is under way
    Connected,
    Retrying, // the last attempt failed or the server went away; the next one waits
};

// String IDs of the options page's texts for the network receiver: its group, the labels of host and
// port, and the state texts.
constexpr uint32_t kStringIrServerGroup = 1460;      // "Network IR server"
constexpr uint32_t kStringIrServerHost = 1461;       // "Server address"
constexpr uint32_t kStringIrServerPort = 1462;       // "Port"
constexpr uint32_t kStringIrServerConnected = 1463;  // "Connected"
constexpr uint32_t kStringIrServerConnecting = 1464; // "Connecting..."
constexpr uint32_t kStringIrServerRetrying = 1465;   // "Not connected - trying again"
constexpr uint32_t kStringIrServerStopped = 1466;    // "Off"
uint32_t IrServerStateText(IrServerState state);

class CSrcIrServer : public CSrcPush {
public:
    static constexpr const wchar_t* kName = L"Network IR Server";
    // A key not repeated for this long is released; the server repeats a held key every ~110 ms.
    static constexpr uint32_t kReleaseMs = 250;
    static constexpr uint32_t kFirstRetryMs = 1000;
    static constexpr uint32_t kLastRetryMs = 30000;
    static constexpr uint32_t kConnectTimeoutMs = 2000;
    // Reads wait at most this long, so that a stop is seen promptly.
    static constexpr uint32_t kReadSliceMs = 100;

    CSrcIrServer(const tagSRCSERVICES& services, ISockets& sockets, tagIRSERVERCONFIG config);
    ~CSrcIrServer() override;

    // Loads the button map and starts the polling and the connection threads. Fails without a callback,
    // a host or a port; the server need not be up.
    int Init(void* ownerContext, IrEventCallback callback) override;

    IrServerState State() const { return state_.load(std::memory_order_acquire); }
    // The wait before the next attempt while retrying, in ms.
    uint32_t RetryDelay() const { return retryMs_.load(std::memory_order_relaxed); }
    // Counters for tests and the trace: connections made, lines taken as keys, lines rejected.
    uint32_t Connections() const { return connections_.load(std::memory_order_relaxed); }
    uint32_t KeyLines() const { return keyLines_.load(std::memory_order_relaxed); }
    uint32_t RejectedLines() const { return rejectedLines_.load(std::memory_order_relaxed); }
    const tagIRSERVERCONFIG& Config() const { return config_; }

private:
    static uint32_t LinkThreadProc(void* source);
    void RunLink();
    // Reads the connection until it ends or the source stops; false when stopped.
    bool ReadConnection(ISocket& socket);
    void TakeLine(IrLineKind kind, const tagIRSERVERLINE& line);

    ISockets& sockets_;
    tagIRSERVERCONFIG config_;
    CIrButtonMap buttons_;
    CIrServerStream stream_;
    CLMThread link_;
    std::atomic<IrServerState> state_{IrServerState::Stopped};
    std::atomic<uint32_t> retryMs_{kFirstRetryMs};
    std::atomic<uint32_t> connections_{0};
    std::atomic<uint32_t> keyLines_{0};
    std::atomic<uint32_t> rejectedLines_{0};
};

} // namespace lm
