#pragma once

#include <poll.h>
#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace tallux::test {

// What a ScriptedPeer does once it has read the request.
struct PeerScript {
    enum class End {
        Close,  // closes in order
        Reset,  // aborts the connection (the client sees a reset)
        Hold,   // sends nothing more and keeps the connection until the client closes
    };
    std::string answer;   // sent at once
    std::string dripped;  // then sent one byte per dripInterval, until the client closes
    std::chrono::milliseconds dripInterval{20};
    End end = End::Close;
};

// A one-connection HTTP peer on 127.0.0.1: accepts one connection, reads
// the request (header and, by Content-Length, body), answers as its script
// says and closes. Everything is bounded: it gives up after a few seconds.
class ScriptedPeer {
public:
    explicit ScriptedPeer(std::string answer) : ScriptedPeer(PeerScript{std::move(answer)}) {}
    explicit ScriptedPeer(PeerScript script) : script_(std::move(script)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedPeer() {
        if (thread_.joinable()) thread_.join();
        ::close(listener_);
    }
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    std::uint16_t Port() const { return port_; }
    // The request as received; valid after the client call returned.
    const std::string& Request() {
        if (thread_.joinable()) thread_.join();
        return request_;
    }

private:
    void Serve() {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, 5000) != 1) return;
        int connection = ::accept(listener_, nullptr, nullptr);
        if (connection < 0) return;
        char buffer[4096];
        std::size_t expected = std::string::npos;
        while (request_.size() < expected) {
            pollfd readable{connection, POLLIN, 0};
            if (poll(&readable, 1, 5000) != 1) break;
            ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            request_.append(buffer, static_cast<std::size_t>(n));
            std::size_t headerEnd = request_.find("\r\n\r\n");
            if (headerEnd != std::string::npos && expected == std::string::npos) {
                std::size_t length = 0;
                std::size_t at = request_.find("Content-Length: ");
                if (at != std::string::npos && at < headerEnd) length = std::stoul(request_.substr(at + 16));
                expected = headerEnd + 4 + length;
            }
        }
        ::send(connection, script_.answer.data(), script_.answer.size(), MSG_NOSIGNAL);
        for (char byte : script_.dripped) {
            // The client closing (readable: end of stream) ends the drip.
            pollfd closing{connection, POLLIN, 0};
            if (poll(&closing, 1, static_cast<int>(script_.dripInterval.count())) != 0) break;
            if (::send(connection, &byte, 1, MSG_NOSIGNAL) != 1) break;
        }
        if (script_.end == PeerScript::End::Reset) {
            linger abort{1, 0};
            ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            ::close(connection);
            return;
        }
        if (script_.end == PeerScript::End::Close) ::shutdown(connection, SHUT_WR);
        // Let the client read everything (or, holding, give up) before the
        // connection goes.
        pollfd drained{connection, POLLIN, 0};
        poll(&drained, 1, script_.end == PeerScript::End::Hold ? 5000 : 2000);
        ::close(connection);
    }

    PeerScript script_;
    std::string request_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

}  // namespace tallux::test
