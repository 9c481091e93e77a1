// A TCP client connection, as narrow as the network receiver needs it: connect with a time-out, receive
// with a time-out, close. Windows implements it over Winsock, other systems over BSD sockets.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lm {

// Receive outcomes besides a byte count.
constexpr int kSocketTimeout = 0; // nothing arrived within the time-out
constexpr int kSocketClosed = -1; // the peer closed the connection, or it failed

class ISocket {
public:
    virtual ~ISocket() = default;
    // Connects to `host` (a name or a numeric address) at `port`, waiting at most `timeoutMs` for the
    // peer. Closes a connection that was open before. False when no address of the host accepts.
    virtual bool Connect(const std::wstring& host, uint16_t port, uint32_t timeoutMs) = 0;
    // Waits at most `timeoutMs` for data and reads what is there, at most `capacity` bytes. Returns the
    // number of bytes read, kSocketTimeout, or kSocketClosed (also when nothing is connected).
    virtual int Receive(char* buffer, size_t capacity, uint32_t timeoutMs) = 0;
    // Ends the connection; harmless when none is open.
    virtual void Close() = 0;
};

class ISockets {
public:
    virtual ~ISockets() = default;
    // A new socket that is not connected yet; null when the system has no network support.
    virtual std::unique_ptr<ISocket> NewSocket() = 0;
};

// The sockets of this system.
ISockets& NativeSockets();

} // namespace lm
