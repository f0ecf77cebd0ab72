#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
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
//
// Every receive waits at most the receive timeout of Open (ioMs); once a
// deadline is started, it also ends when the deadline passes, so a peer
// that sends a byte now and then cannot stretch an exchange beyond it.
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

    static constexpr long kReceiveFailed = -1;    // reset or another error
    static constexpr long kReceiveTimedOut = -2;  // the receive timeout or the deadline passed
    // Receives up to size bytes: > 0 bytes read, 0 peer closed in order,
    // else kReceiveFailed or kReceiveTimedOut.
    long Receive(void* data, std::size_t size);

    // Ends every later receive once ms milliseconds from now have passed.
    void StartDeadline(int ms);

    void Close();
    int Descriptor() const { return fd_; }

private:
    int fd_ = -1;
    int receiveTimeoutMs_ = 0;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
};

}  // namespace tallux
