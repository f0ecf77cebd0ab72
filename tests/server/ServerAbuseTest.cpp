// Starts the real tallux-server and plays the slow and hostile clients that
// used to hold every slot or every worker, beside an operator logging in.

#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "tests/support/DemoServer.h"
#include "tests/support/LoopbackClient.h"

namespace tallux::server {
namespace {

using Clock = std::chrono::steady_clock;
using test::AnswerStatus;
using test::ConnectLoopback;
using test::ReadToEnd;
using test::SendText;

constexpr int kWaitSeconds = 10;  // any read or write of a client here

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

struct TimedLogin {
    int status = 0;
    std::string body;
    long long ms = 0;
};

// The demo operator's login from 127.0.0.1, timed from connect to the end of
// the answer.
TimedLogin Login(std::uint16_t port) {
    auto start = Clock::now();
    TimedLogin login;
    int fd = ConnectLoopback(port, "127.0.0.1", kWaitSeconds);
    if (fd < 0) return login;
    SendText(fd, test::LoginRequest("8001", "demo", "demo123"));
    std::string answer = ReadToEnd(fd);
    close(fd);
    login.status = AnswerStatus(answer);
    login.body = test::AnswerBody(answer);
    login.ms = MsSince(start);
    return login;
}

void ExpectPromptLogin(std::uint16_t port) {
    TimedLogin login = Login(port);
    EXPECT_EQ(login.status, 200);
    EXPECT_EQ(login.body.rfind("1 1001 ", 0), 0u) << login.body;
    EXPECT_LT(login.ms, 5000);
}

TEST(ServerAbuseTest, DrippingClientsLeaveRoomForALogin) {
    // More connections than there are slots, each sending a byte of its
    // request every 4 s (which kept an idle timer from ever firing). From one
    // address they get its share of the slots; from ten they get every slot,
    // and a quick client takes the slot of the slowest.
    const struct {
        const char* name;
        int addresses;
    } cases[] = {{"from one address", 1}, {"from ten addresses", 10}};
    constexpr std::size_t kDrippers = 300;
    const std::string head = "GET /cgi-bin/DIzur.dll?ECLogin&w=8001 HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::DemoServer server(TALLUX_SERVER);
        std::vector<int> drippers;
        for (std::size_t i = 0; i < kDrippers; ++i) {
            std::string source = "127.0.0." + std::to_string(2 + i % c.addresses);
            int fd = ConnectLoopback(server.Port(), source.c_str(), kWaitSeconds);
            ASSERT_GE(fd, 0);
            SendText(fd, head.substr(0, 1));
            drippers.push_back(fd);
        }

        // The login goes with the second byte. Every dripper gets an answer,
        // never a bare close: 503 at once, or 408 at the head deadline (or
        // when a quick client takes its slot).
        std::map<int, std::size_t> statuses;
        std::vector<pollfd> polled;
        std::size_t dripped = 1;
        auto start = Clock::now();
        auto nextDrip = start + std::chrono::seconds(4);
        while (!drippers.empty() && MsSince(start) < 10000) {
            polled.clear();
            for (int fd : drippers) polled.push_back({fd, POLLIN, 0});
            auto untilDrip = std::chrono::duration_cast<std::chrono::milliseconds>(nextDrip - Clock::now()).count();
            poll(polled.data(), polled.size(), static_cast<int>(std::clamp<long long>(untilDrip, 0, 1000)));
            std::vector<int> still;
            for (const pollfd& p : polled) {
                if (p.revents) {
                    ++statuses[AnswerStatus(ReadToEnd(p.fd))];
                    close(p.fd);
                } else {
                    still.push_back(p.fd);
                }
            }
            drippers = std::move(still);
            if (Clock::now() >= nextDrip) {
                for (int fd : drippers) SendText(fd, head.substr(dripped, 1));
                if (dripped++ == 1) ExpectPromptLogin(server.Port());
                nextDrip += std::chrono::seconds(4);
            }
        }
        EXPECT_GT(dripped, 1u);
        EXPECT_TRUE(drippers.empty()) << drippers.size() << " drippers without an answer after 10 s";
        for (int fd : drippers) close(fd);
        EXPECT_EQ(statuses[503] + statuses[408], kDrippers);
        EXPECT_GT(statuses[503], 0u);
        EXPECT_GT(statuses[408], 0u);
    }
}

TEST(ServerAbuseTest, ErrorRequestsKeptOpenDoNotDelayALogin) {
    test::DemoServer server(TALLUX_SERVER);
    // Tiny bad requests from ten addresses (each well within its share)
    // whose clients never close.
    std::vector<int> open;
    for (int i = 0; i < 200; ++i) {
        std::string source = "127.0.0." + std::to_string(2 + i % 10);
        int fd = ConnectLoopback(server.Port(), source.c_str(), kWaitSeconds);
        ASSERT_GE(fd, 0);
        SendText(fd, "BAD\r\n\r\n");
        open.push_back(fd);
    }
    ExpectPromptLogin(server.Port());
    std::size_t badRequest = 0;
    for (int fd : open) {
        badRequest += AnswerStatus(ReadToEnd(fd)) == 400;
        close(fd);
    }
    EXPECT_EQ(badRequest, open.size());
}

}  // namespace
}  // namespace tallux::server
