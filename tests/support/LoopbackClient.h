#pragma once

#include <poll.h>
#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "text/Md5.h"

namespace tallux::test {

// Raw clients of a server on loopback, for tests and drivers that play
// well-behaved or hostile clients byte by byte. The whole of 127.0.0.0/8 is
// local, so one machine plays many peers: a connection may come from any
// 127.x.y.z. Every wait is bounded.

// A blocking socket connected from source (any port) to 127.0.0.1:port, or
// -1. Reads and writes give up after timeoutSeconds without progress.
inline int ConnectLoopback(std::uint16_t port, const char* source = "127.0.0.1", int timeoutSeconds = 30) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    timeval limit{timeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    int on = 1;
    // The port is picked at connect, so many sources do not run out of them.
    setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &on, sizeof on);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (inet_pton(AF_INET, source, &from.sin_addr) != 1 ||
        bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

inline bool SendText(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// True when the socket has something to read (or its end) within timeoutMs.
inline bool WaitReadable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

// All the peer sends until it closes its side (or the read timeout passes).
inline std::string ReadToEnd(int fd) {
    std::string all;
    char buffer[16 * 1024];
    for (;;) {
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        all.append(buffer, static_cast<std::size_t>(got));
    }
    return all;
}

// The status of an answer "HTTP/1.x NNN ...", 0 for anything else (nothing
// at all: the server just closed).
inline int AnswerStatus(std::string_view answer) {
    if (answer.size() < 12 || answer.substr(0, 7) != "HTTP/1.") return 0;
    return std::atoi(std::string(answer.substr(9, 3)).c_str());
}

// What follows the head of an answer.
inline std::string AnswerBody(const std::string& answer) {
    std::size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : answer.substr(end + 4);
}

// One request from source and all the server answered ("" when it could not
// connect).
inline std::string Exchange(std::uint16_t port, std::string_view request, const char* source = "127.0.0.1") {
    int fd = ConnectLoopback(port, source);
    if (fd < 0) return std::string();
    SendText(fd, request);
    std::string answer = ReadToEnd(fd);
    close(fd);
    return answer;
}

// The login request the client sends: the time now and the digest over it.
inline std::string LoginRequest(const std::string& site, const std::string& account, const std::string& password) {
    long now = static_cast<long>(std::time(nullptr));
    std::string digest = Md5Hex(std::to_string(now) + "QrvTab" + password);
    return "GET /cgi-bin/DIzur.dll?ECLogin&w=" + site + "&ac=" + account + "&md5=" + digest +
           "&it=" + std::to_string(now) +
           " HTTP/1.0\r\nAccept: */*\r\nHost: 127.0.0.1\r\n"
           "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n\r\n";
}

}  // namespace tallux::test
