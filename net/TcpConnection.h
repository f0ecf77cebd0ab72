#pragma once

#include <cstdint>
#include <string>

namespace tallux {

// Where a request goes.
struct Endpoint {
    std::string host;
    std::uint16_t port = 80;
};

// Timeouts of one exchange, in milliseconds.
struct TransportTimeouts {
    int connectMs = 60000;
    int ioMs = 60000;  // each send and receive
};

// The step at which opening a connection failed.
enum class ConnectStep { None, Socket, Resolve, Options, Connect };

// An open TCP connection; closes its socket when destroyed.
class TcpConnection {
public:
    TcpConnection() = default;
    ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Resolves host (IPv4, first address), sets the send and receive
    // timeouts and connects within connectMs. A refused connection fails at
    // once with ConnectStep::Connect.
    ConnectStep Open(const Endpoint& endpoint, const TransportTimeouts& timeouts);

    // Sends all bytes; false on error or timeout. Never raises SIGPIPE.
    bool SendAll(const void* data, std::size_t size);
    // Receives up to size bytes: > 0 bytes read, 0 peer closed, < 0 error or timeout.
    long Receive(void* data, std::size_t size);

    void Close();
    int Descriptor() const { return fd_; }

private:
    int fd_ = -1;
};

}  // namespace tallux
