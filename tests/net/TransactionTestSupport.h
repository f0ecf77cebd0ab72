#pragma once

#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <string>

#include "net/LoginSession.h"
#include "net/TransactionPost.h"
#include "tests/net/LoopbackPorts.h"

namespace tallux::test {

inline constexpr TransportTimeouts kQuickTransaction{2000, 3000};

using test::UnusedLoopbackPort;

inline std::string HttpOk(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body;
}

// The body of a recorded request.
inline std::string RequestBody(const std::string& request) {
    std::size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : request.substr(end + 4);
}

inline SessionValues TestSession() {
    SessionValues session;
    session.account = "acc01";
    session.sessionNumber = 4711;
    return session;
}

// A context on server with a fixed tick, so that TS is known.
inline TransactionContext TestContext(const ServerAddress& server, const SessionValues& session) {
    return TransactionContext{server, session, "8001", kDefaultLocaleId, [] { return 123456u; }, kQuickTransaction};
}

}  // namespace tallux::test
