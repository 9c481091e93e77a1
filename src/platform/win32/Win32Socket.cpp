// TCP client connections over Winsock: a non-blocking connect finished by select, then select before
// each read, so that no operation waits longer than its time-out. Winsock is started once per process
// on first use.
#include "platform/Socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

namespace lm {
namespace {

bool StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

timeval Timeval(uint32_t ms) {
    timeval tv{};
    tv.tv_sec = static_cast<long>(ms / 1000);
    tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
    return tv;
}

class Win32Socket final : public ISocket {
public:
    ~Win32Socket() override { Close(); }

    bool Connect(const std::wstring& host, uint16_t port, uint32_t timeoutMs) override {
        Close();
        ADDRINFOW hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        ADDRINFOW* list = nullptr;
        if (GetAddrInfoW(host.c_str(), std::to_wstring(port).c_str(), &hints, &list) != 0)
            return false;
        for (ADDRINFOW* a = list; a && socket_ == INVALID_SOCKET; a = a->ai_next) {
            SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
            if (s == INVALID_SOCKET)
                continue;
            u_long nonBlocking = 1;
            ioctlsocket(s, FIONBIO, &nonBlocking);
            bool connected = ::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0;
            if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
                fd_set writable, failed;
                FD_ZERO(&writable);
                FD_ZERO(&failed);
                FD_SET(s, &writable);
                FD_SET(s, &failed);
                timeval tv = Timeval(timeoutMs);
                connected = ::select(0, nullptr, &writable, &failed, &tv) > 0 && FD_ISSET(s, &writable) &&
                            !FD_ISSET(s, &failed);
            }
            if (connected)
                socket_ = s;
            else
                closesocket(s);
        }
        FreeAddrInfoW(list);
        return socket_ != INVALID_SOCKET;
    }

    int Receive(char* buffer, size_t capacity, uint32_t timeoutMs) override {
        if (socket_ == INVALID_SOCKET || capacity == 0)
            return kSocketClosed;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval tv = Timeval(timeoutMs);
        int ready = ::select(0, &readable, nullptr, nullptr, &tv);
        if (ready == 0)
            return kSocketTimeout;
        if (ready < 0)
            return kSocketClosed;
        int n = ::recv(socket_, buffer, static_cast<int>(capacity > 0x10000 ? 0x10000 : capacity), 0);
        if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK)
            return kSocketTimeout;
        return n > 0 ? n : kSocketClosed;
    }

    void Close() override {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

class Win32Sockets final : public ISockets {
public:
    std::unique_ptr<ISocket> NewSocket() override {
        return StartWinsock() ? std::make_unique<Win32Socket>() : nullptr;
    }
};

} // namespace

ISockets& NativeSockets() {
    static Win32Sockets sockets;
    return sockets;
}

} // namespace lm
