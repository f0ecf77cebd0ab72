#pragma once

#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace tallux::test {

// A loopback port nobody listens on: bound, then closed.
inline std::uint16_t UnusedLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// A socket listening on a free loopback port with that backlog; its port
// goes to port. The caller closes it.
inline int LoopbackListener(int backlog, std::uint16_t& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(fd, backlog);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

// A loopback listener that never accepts, its queue filled, so that a
// further connection attempt gets no answer at all: connecting to Port()
// runs into the caller's connect timeout. The constructor returns once the
// kernel reports the accept queue full (a full queue drops new SYNs), or
// after five seconds; a queue still not full then answers the caller's
// connection, and the caller's test fails rather than passing by chance.
class UnansweredListener {
public:
    UnansweredListener() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 0);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        for (int i = 0; i < 8; ++i) {
            int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            fillers_.push_back(fd);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!QueueFull() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~UnansweredListener() {
        for (int fd : fillers_) ::close(fd);
        ::close(listener_);
    }
    UnansweredListener(const UnansweredListener&) = delete;
    UnansweredListener& operator=(const UnansweredListener&) = delete;

    std::uint16_t Port() const { return port_; }

private:
    // For a listening socket Linux reports the accept queue's length in
    // tcpi_unacked and its limit in tcpi_sacked; SYNs are dropped once the
    // length exceeds the limit.
    bool QueueFull() const {
        tcp_info info{};
        socklen_t length = sizeof info;
        if (::getsockopt(listener_, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) return false;
        return info.tcpi_unacked > info.tcpi_sacked;
    }

    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::vector<int> fillers_;
};

}  // namespace tallux::test
