// A line server on the loopback address for the tests of the network receiver.
#pragma once
#include <winsock2.h> // before windows.h

#include "WinTestSupport.h"

#include <atomic>
#include <string>
#include <thread>

namespace lm::wintest {

// A server on the loopback address: accepts one connection, sends the lines, keeps it open until asked
// to close.
class LoopbackServer {
public:
    LoopbackServer() {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(address);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
        listen(listener_, 1);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { peer_ = accept(listener_, nullptr, nullptr); });
    }
    ~LoopbackServer() {
        closesocket(listener_);
        thread_.join();
        if (peer_ != INVALID_SOCKET)
            closesocket(peer_);
        WSACleanup();
    }
    uint16_t Port() const { return port_; }
    bool Accepted() {
        return thread_.joinable() && WaitFor([&] { return peer_ != INVALID_SOCKET; }, 5000);
    }
    void Send(const std::string& bytes) { send(peer_, bytes.data(), static_cast<int>(bytes.size()), 0); }

private:
    SOCKET listener_ = INVALID_SOCKET;
    std::atomic<SOCKET> peer_{INVALID_SOCKET};
    uint16_t port_ = 0;
    std::thread thread_;
};

} // namespace lm::wintest
