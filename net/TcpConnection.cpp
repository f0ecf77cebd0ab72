#include "net/TcpConnection.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <unistd.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace tallux {
namespace {

bool SetBlocking(int fd, bool blocking) {
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) return false;
    flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return fcntl(fd, F_SETFL, flags) == 0;
}

bool SetTimeout(int fd, int option, int ms) {
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv) == 0;
}

}  // namespace

TcpConnection::~TcpConnection() { Close(); }

void TcpConnection::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    deadline_.reset();
}

void TcpConnection::StartDeadline(int ms) {
    deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(ms, 0));
}

ConnectStep TcpConnection::Open(const Endpoint& endpoint, const TransportTimeouts& timeouts) {
    Close();
    receiveTimeoutMs_ = timeouts.ioMs;
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return ConnectStep::Socket;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(endpoint.host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        Close();
        return ConnectStep::Resolve;
    }
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    freeaddrinfo(found);
    address.sin_port = htons(endpoint.port);

    if (!SetTimeout(fd_, SO_SNDTIMEO, timeouts.ioMs) || !SetTimeout(fd_, SO_RCVTIMEO, timeouts.ioMs) ||
        !SetBlocking(fd_, false)) {
        Close();
        return ConnectStep::Options;
    }
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 && errno != EINPROGRESS) {
        Close();
        return ConnectStep::Connect;
    }
    pollfd waiting{fd_, POLLOUT, 0};
    int ready;
    do ready = poll(&waiting, 1, timeouts.connectMs);
    while (ready < 0 && errno == EINTR);
    int error = 0;
    socklen_t length = sizeof error;
    // Writable also means "failed": SO_ERROR tells which.
    if (ready != 1 || getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        Close();
        return ConnectStep::Connect;
    }
    if (!SetBlocking(fd_, true)) {
        Close();
        return ConnectStep::Options;
    }
    return ConnectStep::None;
}

bool TcpConnection::SendAll(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t sent = ::send(fd_, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

long TcpConnection::Receive(void* data, std::size_t size) {
    while (true) {
        // The socket's own receive timeout stays set; the wait here adds the
        // deadline, which a byte now and then does not push back.
        long long waitMs = receiveTimeoutMs_ > 0 ? receiveTimeoutMs_ : INT_MAX;
        if (deadline_) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline_ - std::chrono::steady_clock::now());
            if (left.count() <= 0) return kReceiveTimedOut;
            waitMs = std::min<long long>(waitMs, left.count());
        }
        pollfd readable{fd_, POLLIN, 0};
        const int ready = poll(&readable, 1, static_cast<int>(waitMs));
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) return kReceiveTimedOut;
        if (ready < 0) return kReceiveFailed;
        const ssize_t received = ::recv(fd_, data, size, 0);
        if (received < 0 && errno == EINTR) continue;
        if (received < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? kReceiveTimedOut : kReceiveFailed;
        return received;
    }
}

}  // namespace tallux
