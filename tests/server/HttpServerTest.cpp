// The HTTP server on a loopback port with a trivial handler: what slow,
// silent and hostile clients get, and that they hold up nobody else.

#include "server/HttpServer.h"

#include <poll.h>
#include <unistd.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "server/HttpStatus.h"
#include "tests/support/LoopbackClient.h"

namespace tallux::server {
namespace {

using Clock = std::chrono::steady_clock;
using test::AnswerStatus;
using test::ConnectLoopback;
using test::Exchange;
using test::ReadToEnd;
using test::SendText;

constexpr char kGet[] = "GET /x HTTP/1.0\r\n\r\n";
constexpr char kBad[] = "BAD\r\n\r\n";
constexpr std::size_t kBigAnswer = 16 * 1024 * 1024;  // far more than the socket buffers hold

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string Answer(const HttpRequest& request) {
    if (request.path == "/big") return FormatHttpAnswer(HttpStatus::Ok, std::string(kBigAnswer, 'z'));
    return FormatHttpAnswer(HttpStatus::Ok, "hello\n");
}

// Serves on a free loopback port from a thread of its own while it lives.
class RunningServer {
public:
    explicit RunningServer(HttpServer::Options options)
        : server_(OnAFreePort(std::move(options)), Answer), thread_([this] { server_.Run(); }) {}
    ~RunningServer() {
        server_.Stop();
        thread_.join();
    }
    RunningServer(const RunningServer&) = delete;
    RunningServer& operator=(const RunningServer&) = delete;

    std::uint16_t Port() const { return server_.Port(); }

private:
    static HttpServer::Options OnAFreePort(HttpServer::Options options) {
        options.host = "127.0.0.1";
        options.port = 0;
        return options;
    }

    HttpServer server_;
    std::thread thread_;
};

// Sends an error request and reads its answer; the socket stays open.
int ErrorKeptOpen(std::uint16_t port, const char* source, int& status) {
    int fd = ConnectLoopback(port, source);
    SendText(fd, kBad);
    status = AnswerStatus(ReadToEnd(fd));
    return fd;
}

// Whether the server drops the connection within timeoutMs: the client keeps
// sending, and once the server has closed, a reset answers.
bool Dropped(int fd, int timeoutMs) {
    auto start = Clock::now();
    while (MsSince(start) < timeoutMs) {
        if (send(fd, "x", 1, MSG_NOSIGNAL) < 0) return true;
        pollfd p{fd, 0, 0};  // only a hang-up or an error wakes it
        if (poll(&p, 1, 50) > 0) return true;
    }
    return false;
}

TEST(HttpServerTest, SlowRequestsGet408AtTheirDeadline) {
    HttpServer::Options options;
    options.connections.headTimeoutMs = 500;
    options.connections.minBodyBytesPerSecond = 1000;
    options.connections.idleTimeoutMs = 1500;
    RunningServer server(options);

    const std::string head = "POST /x HTTP/1.0\r\nContent-Length: 4000\r\n\r\n";
    const struct {
        const char* name;
        std::string first;  // sent at once
        std::string drip;   // then piece bytes of it every paceMs
        std::size_t piece;
        int paceMs;
        int status;
        int earliestMs;  // the deadline less a margin
    } cases[] = {
        {"silent", "", "", 0, 100, 408, 400},
        {"head a byte at a time", "", "GET /x HTTP/1.0\r\nX-Fill: " + std::string(300, 'a'), 1, 50, 408, 400},
        // The body's deadline: 500 ms after the head, 1 ms more per byte.
        {"body at 100 bytes/s", head, std::string(4000, 'b'), 5, 50, 408, 450},
        {"body stops halfway", head + std::string(2000, 'b'), "", 0, 100, 408, 1400},
        {"body at 2,000 bytes/s", head, std::string(4000, 'b'), 200, 100, 200, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto start = Clock::now();
        int fd = ConnectLoopback(server.Port());
        ASSERT_GE(fd, 0);
        SendText(fd, c.first);
        std::size_t dripped = 0;
        while (!test::WaitReadable(fd, c.paceMs) && MsSince(start) < 5000) {
            std::string piece = c.drip.substr(std::min(dripped, c.drip.size()), c.piece);
            SendText(fd, piece);
            dripped += piece.size();
        }
        long long took = MsSince(start);
        if (!test::WaitReadable(fd, 0)) {
            ADD_FAILURE() << "no answer within 5 s";
        } else {
            EXPECT_EQ(AnswerStatus(ReadToEnd(fd)), c.status);
            EXPECT_GE(took, c.earliestMs);
        }
        close(fd);
    }
}

TEST(HttpServerTest, OnePeerHoldsAtMostItsShareOfTheSlots) {
    HttpServer::Options options;
    options.connections.maxConnections = 8;
    options.connections.maxPerPeer = 3;
    RunningServer server(options);
    std::uint16_t port = server.Port();

    // Silent connections hold their slots (for the 5 s of the head timeout).
    std::vector<int> held;
    for (int i = 0; i < 3; ++i) held.push_back(ConnectLoopback(port, "127.0.0.2"));
    EXPECT_EQ(AnswerStatus(Exchange(port, kGet, "127.0.0.2")), 503);
    EXPECT_EQ(AnswerStatus(Exchange(port, kGet, "127.0.0.3")), 200);

    // A slot freed is the address's again.
    shutdown(held[0], SHUT_WR);
    EXPECT_EQ(AnswerStatus(ReadToEnd(held[0])), 400);
    EXPECT_EQ(AnswerStatus(Exchange(port, kGet, "127.0.0.2")), 200);

    // Error answers lingering for their close take no slot.
    for (int i = 0; i < 3; ++i) {
        int status = 0;
        held.push_back(ErrorKeptOpen(port, "127.0.0.4", status));
        EXPECT_EQ(status, 400);
    }
    EXPECT_EQ(AnswerStatus(Exchange(port, kGet, "127.0.0.4")), 200);
    for (int fd : held) close(fd);
}

TEST(HttpServerTest, AFullServerTakesASlotFromTheAddressHoldingMost) {
    HttpServer::Options options;
    options.connections.maxConnections = 4;
    RunningServer server(options);
    std::uint16_t port = server.Port();

    // Silent clients take every slot, two addresses two each. Another
    // connection from one of them gets 503; one from an address holding
    // fewer takes the slot of the oldest, which learns why.
    std::vector<int> silent;
    for (const char* source : {"127.0.0.2", "127.0.0.3", "127.0.0.2", "127.0.0.3"})
        silent.push_back(ConnectLoopback(port, source));
    EXPECT_EQ(AnswerStatus(Exchange(port, kGet, "127.0.0.3")), 503);
    EXPECT_EQ(AnswerStatus(Exchange(port, kGet, "127.0.0.4")), 200);
    ASSERT_TRUE(test::WaitReadable(silent[0], 5000));
    EXPECT_EQ(AnswerStatus(ReadToEnd(silent[0])), 408);
    for (int fd : silent) {
        shutdown(fd, SHUT_WR);
        ReadToEnd(fd);  // its slot is free once the answer has ended
        close(fd);
    }

    // Slots taken by answers on their way are not given away.
    std::vector<int> readers;
    for (int i = 0; i < 4; ++i) {
        readers.push_back(ConnectLoopback(port));
        SendText(readers.back(), "GET /big HTTP/1.0\r\n\r\n");
        // The answer is on its way.
        char start[12] = {};
        ASSERT_EQ(recv(readers.back(), start, sizeof start, MSG_PEEK | MSG_WAITALL), 12);
        ASSERT_EQ(AnswerStatus(std::string(start, sizeof start)), 200);
    }
    EXPECT_EQ(AnswerStatus(Exchange(port, kGet, "127.0.0.6")), 503);
    for (int fd : readers) close(fd);
}

TEST(HttpServerTest, ErrorAnswersHoldUpNoWorker) {
    HttpServer::Options options;
    options.workers = 1;
    RunningServer server(options);

    // Clients that never close after their error answer; each used to keep
    // the only worker for a second.
    std::vector<int> open;
    for (int i = 0; i < 20; ++i) {
        std::string source = "127.0.0." + std::to_string(2 + i % 5);
        open.push_back(ConnectLoopback(server.Port(), source.c_str()));
        SendText(open.back(), kBad);
    }
    auto start = Clock::now();
    EXPECT_EQ(AnswerStatus(Exchange(server.Port(), kGet)), 200);
    EXPECT_LT(MsSince(start), 5000);
    for (int fd : open) {
        EXPECT_EQ(AnswerStatus(ReadToEnd(fd)), 400);
        close(fd);
    }
}

TEST(HttpServerTest, AnAnswerTheClientDoesNotReadHoldsUpNoWorker) {
    HttpServer::Options options;
    options.workers = 1;
    RunningServer server(options);

    int reader = ConnectLoopback(server.Port());
    SendText(reader, "GET /big HTTP/1.0\r\n\r\n");
    auto start = Clock::now();
    EXPECT_EQ(AnswerStatus(Exchange(server.Port(), kGet)), 200);
    EXPECT_LT(MsSince(start), 5000);

    // The poll thread sends the rest as the client takes it.
    std::string big = ReadToEnd(reader);
    close(reader);
    EXPECT_EQ(AnswerStatus(big), 200);
    EXPECT_EQ(test::AnswerBody(big).size(), kBigAnswer);
}

TEST(HttpServerTest, LingeringIsBoundedInTimeAndCount) {
    HttpServer::Options options;
    options.connections.lingerMs = 300;
    {
        RunningServer server(options);
        int status = 0;
        int fd = ErrorKeptOpen(server.Port(), "127.0.0.1", status);
        auto start = Clock::now();
        EXPECT_EQ(status, 400);
        EXPECT_TRUE(Dropped(fd, 5000));
        EXPECT_GE(MsSince(start), 250);
        close(fd);
    }

    options.connections.lingerMs = 60000;
    options.connections.maxLingering = 2;
    RunningServer server(options);
    std::vector<int> open;
    for (int i = 0; i < 3; ++i) {
        int status = 0;
        open.push_back(ErrorKeptOpen(server.Port(), "127.0.0.1", status));
        EXPECT_EQ(status, 400);
    }
    // The third to linger ends the first.
    EXPECT_TRUE(Dropped(open[0], 5000));
    for (int fd : open) close(fd);
}

}  // namespace
}  // namespace tallux::server
