// TCP client connections over BSD sockets: a non-blocking connect finished by poll, then poll before
// each read, so that no operation waits longer than its time-out.
#include "platform/Socket.h"

#include "base/Text.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lm {
namespace {

int PollFor(int fd, short events, uint32_t timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        int n = ::poll(&p, 1, static_cast<int>(timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFFu : timeoutMs));
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? -1 : (n == 0 ? 0 : p.revents);
    }
}

class PosixSocket final : public ISocket {
public:
    ~PosixSocket() override { Close(); }

    bool Connect(const std::wstring& host, uint16_t port, uint32_t timeoutMs) override {
        Close();
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (::getaddrinfo(ToUtf8(host).c_str(), std::to_string(port).c_str(), &hints, &list) != 0)
            return false;
        for (addrinfo* a = list; a && fd_ < 0; a = a->ai_next) {
            int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
            if (fd < 0)
                continue;
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            bool connected = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0;
            if (!connected && errno == EINPROGRESS && PollFor(fd, POLLOUT, timeoutMs) > 0) {
                int error = 0;
                socklen_t size = sizeof(error);
                connected = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
            }
            if (connected)
                fd_ = fd;
            else
                ::close(fd);
        }
        ::freeaddrinfo(list);
        return fd_ >= 0;
    }

    int Receive(char* buffer, size_t capacity, uint32_t timeoutMs) override {
        if (fd_ < 0 || capacity == 0)
            return kSocketClosed;
        int ready = PollFor(fd_, POLLIN, timeoutMs);
        if (ready == 0)
            return kSocketTimeout;
        if (ready < 0)
            return kSocketClosed;
        ssize_t n = ::recv(fd_, buffer, capacity > 0x10000 ? 0x10000 : capacity, MSG_NOSIGNAL);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return kSocketTimeout;
        return n > 0 ? static_cast<int>(n) : kSocketClosed;
    }

    void Close() override {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

class PosixSockets final : public ISockets {
public:
    std::unique_ptr<ISocket> NewSocket() override { return std::make_unique<PosixSocket>(); }
};

} // namespace

ISockets& NativeSockets() {
    static PosixSockets sockets;
    return sockets;
}

} // namespace lm
