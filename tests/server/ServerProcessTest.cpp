// Starts the real tallux-server on a loopback port and talks to it over
// raw sockets, as the client does.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "tests/support/LoopbackClient.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

extern char** environ;

namespace tallux::server {
namespace {

// Runs the binary to completion and returns its exit status (-1 when it did
// not exit normally).
int RunToEnd(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string binary = TALLUX_SERVER;
    argv.push_back(binary.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, binary.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using test::ServerProcess;

int Connect(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    timeval limit{30, 0};  // a hung server fails the test instead of hanging it
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

std::string ReadToEnd(int fd) {
    std::string all;
    char buffer[4096];
    for (;;) {
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        all.append(buffer, static_cast<std::size_t>(got));
    }
    return all;
}

// Sends the bytes (optionally closing the sending side) and returns all
// the server answered until it closed.
std::string Exchange(int port, std::string_view request, bool halfClose = false) {
    int fd = Connect(port);
    if (fd < 0) return "connect failed";
    SendAll(fd, request);
    if (halfClose) shutdown(fd, SHUT_WR);
    std::string answer = ReadToEnd(fd);
    close(fd);
    return answer;
}

struct Answer {
    int status = 0;
    std::string body;
    bool lengthMatches = false;
};

Answer Parse(const std::string& raw) {
    Answer a;
    if (raw.rfind("HTTP/1.0 ", 0) == 0) a.status = std::atoi(raw.c_str() + 9);
    std::size_t end = raw.find("\r\n\r\n");
    if (end == std::string::npos) return a;
    a.body = raw.substr(end + 4);
    std::size_t length = raw.find("Content-Length: ");
    if (length != std::string::npos && length < end)
        a.lengthMatches = std::stoul(raw.substr(length + 16)) == a.body.size();
    return a;
}

using test::LoginRequest;

class ServerProcessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RunToEnd({"--db", db, "--init-demo"}), 0); }

    std::unique_ptr<ServerProcess> Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--db", db, "--listen", "127.0.0.1:0"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto server = std::make_unique<ServerProcess>(TALLUX_SERVER, args);
        EXPECT_GT(server->Port(), 0) << "first line: " << server->FirstLine();
        return server;
    }

    test::TempDir dir;
    std::string db = dir.File("server.db");
};

TEST_F(ServerProcessTest, LogsInWithEachDemoAccount) {
    auto server = Start();
    ASSERT_GT(server->Port(), 0);
    EXPECT_EQ(server->FirstLine(), "listening on 127.0.0.1:" + std::to_string(server->Port()) + "\n");

    Answer demo = Parse(Exchange(server->Port(), LoginRequest("8001", "demo", "demo123")));
    EXPECT_EQ(demo.status, 200);
    EXPECT_TRUE(demo.lengthMatches);
    ASSERT_EQ(demo.body.rfind("1 1001 ", 0), 0u) << demo.body;
    std::size_t tab = demo.body.find('\t');
    ASSERT_NE(tab, std::string::npos);
    EXPECT_EQ(demo.body.substr(tab, 6), "\t11NSZ");
    int session = std::atoi(demo.body.c_str() + 7);
    EXPECT_GT(session, 0);
    EXPECT_EQ(demo.body.substr(demo.body.find(' ', 7), tab - demo.body.find(' ', 7)), " 0");
    std::string lines = demo.body.substr(demo.body.find('\n') + 1);
    EXPECT_EQ(lines.rfind("SZX\nSZ1\n", 0), 0u) << lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 6);
    EXPECT_NE(GbkToUtf8(lines).find("深圳"), std::string::npos);

    Answer direct = Parse(Exchange(server->Port(), LoginRequest("8001", "direct", "direct123")));
    EXPECT_EQ(direct.status, 200);
    ASSERT_EQ(direct.body.rfind("0 1002 ", 0), 0u) << direct.body;
    EXPECT_EQ(direct.body.substr(direct.body.size() - 7), " 1\t00N\n");

    const struct {
        std::string request;
        std::string body;
    } refusals[] = {
        {LoginRequest("8001", "nopermission", "nope123"), "-5\n"},
        {LoginRequest("8001", "demo", "wrong"), "-4\n"},
        {LoginRequest("8001", "nobody", "x"), "-2\n"},
        {LoginRequest("9999", "demo", "demo123"), "-1\n"},
    };
    for (const auto& r : refusals) {
        Answer a = Parse(Exchange(server->Port(), r.request));
        EXPECT_EQ(a.status, 200);
        EXPECT_EQ(a.body, r.body);
    }
}

TEST_F(ServerProcessTest, PathsAndCommands) {
    auto server = Start();
    ASSERT_GT(server->Port(), 0);
    const struct {
        const char* request;
        int status;
    } cases[] = {
        {"GET /index.html HTTP/1.0\r\n\r\n", 404},
        {"GET /cgi-bin/DIzur.dll?ECNothing&w=8001 HTTP/1.0\r\n\r\n", 400},
        {"GET /cgi-bin/DIzur.dll HTTP/1.0\r\n\r\n", 400},
        {"POST /cgi-bin/DIzur.dll?ECLogin&w=8001&ac=demo HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", 200},
        {"PUT /cgi-bin/DIzur.dll?ECLogin HTTP/1.0\r\n\r\n", 405},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        Answer a = Parse(Exchange(server->Port(), c.request));
        EXPECT_EQ(a.status, c.status);
        EXPECT_TRUE(a.lengthMatches);
    }
}

TEST_F(ServerProcessTest, SurvivesABurstOfBadClients) {
    auto server = Start();
    int port = server->Port();
    ASSERT_GT(port, 0);

    enum Kind { Garbage, HugeHead, HugeBody, Truncated, IdleClose, Binary, KindCount };
    std::atomic<int> wrong{0};
    auto one = [&](int i) {
        switch (static_cast<Kind>(i % KindCount)) {
        case Garbage:
            if (Parse(Exchange(port, "HELLO THERE\r\n\r\n")).status != 400) ++wrong;
            break;
        case HugeHead:
            if (Parse(Exchange(port, "GET /cgi-bin/DIzur.dll?ECLogin HTTP/1.0\r\nX-Fill: " +
                                         std::string(17 * 1024, 'a') + "\r\n\r\n"))
                    .status != 431)
                ++wrong;
            break;
        case HugeBody:
            if (Parse(Exchange(port,
                               "POST /cgi-bin/DIzur.dll?ECTrans HTTP/1.0\r\nContent-Length: 9000000\r\n\r\n"
                               "<WER>1</WER>"))
                    .status != 413)
                ++wrong;
            break;
        case Truncated:
            if (Parse(Exchange(port, "POST /cgi-bin/DIzur.dll?ECTrans HTTP/1.0\r\nContent-Length: 100\r\n\r\nab", true))
                    .status != 400)
                ++wrong;
            break;
        case IdleClose: {
            int fd = Connect(port);
            if (fd < 0)
                ++wrong;
            else
                close(fd);
            break;
        }
        case Binary: {
            std::string noise(300, '\0');
            for (std::size_t k = 0; k < noise.size(); ++k) noise[k] = static_cast<char>((k * 37 + i) & 0xFF);
            std::string answer = Exchange(port, noise, true);
            if (!answer.empty() && Parse(answer).status != 400) ++wrong;
            break;
        }
        case KindCount: break;
        }
    };
    constexpr int kThreads = 6;
    constexpr int kPerThread = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) one(t * kPerThread + i);
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);

    Answer after = Parse(Exchange(port, LoginRequest("8001", "demo", "demo123")));
    EXPECT_EQ(after.status, 200);
    EXPECT_EQ(after.body.rfind("1 1001 ", 0), 0u) << after.body;
}

TEST_F(ServerProcessTest, SlowClientDoesNotHoldUpOthers) {
    auto server = Start();
    ASSERT_GT(server->Port(), 0);
    // Many clients stuck in the middle of their request.
    std::vector<int> stuck;
    for (int i = 0; i < 20; ++i) {
        int fd = Connect(server->Port());
        ASSERT_GE(fd, 0);
        SendAll(fd, "GET /cgi-bin/DIzur.dll?ECLogin HTTP/1.0\r\nHost: 127.");
        stuck.push_back(fd);
    }
    Answer a = Parse(Exchange(server->Port(), LoginRequest("8001", "direct", "direct123")));
    EXPECT_EQ(a.body.rfind("0 1002 ", 0), 0u) << a.body;
    // They still get their answer once they finish.
    SendAll(stuck[0], "0.0.1\r\n\r\n");
    EXPECT_EQ(Parse(ReadToEnd(stuck[0])).body, "-1\n");
    for (int fd : stuck) close(fd);
}

TEST_F(ServerProcessTest, RedirectAnswersLoginWithTheAddress) {
    auto server = Start({"--redirect", "127.0.0.1|18080"});
    ASSERT_GT(server->Port(), 0);
    Answer a = Parse(Exchange(server->Port(), LoginRequest("8001", "demo", "demo123")));
    EXPECT_EQ(a.status, 200);
    EXPECT_EQ(a.body, "127.0.0.1|18080");
    Answer b = Parse(Exchange(server->Port(), "GET /cgi-bin/DIzur.dll?ECGetSysData&w=8001&iver=1 HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(b.body, "127.0.0.1|18080");
}

TEST_F(ServerProcessTest, StopsCleanlyOnSignals) {
    for (int signal : {SIGTERM, SIGINT}) {
        auto server = Start();
        ASSERT_GT(server->Port(), 0);
        int idle = Connect(server->Port());  // an open connection does not delay the stop
        EXPECT_EQ(Parse(Exchange(server->Port(), LoginRequest("8001", "demo", "demo123"))).status, 200);
        EXPECT_EQ(server->StopWith(signal), 0) << "signal " << signal;
        if (idle >= 0) close(idle);
    }
}

TEST_F(ServerProcessTest, CommandLineErrors) {
    // The demo database exists already (SetUp).
    EXPECT_EQ(RunToEnd({"--db", db, "--init-demo"}), 1);
    EXPECT_EQ(RunToEnd({"--db", db, "--init-demo", "--force"}), 0);
    EXPECT_EQ(RunToEnd({"--db", db, "--listen", "nonsense"}), 2);
    EXPECT_EQ(RunToEnd({"--listen", "127.0.0.1:0"}), 2);
    std::string junk = dir.File("junk.db");
    test::WriteWholeFile(junk, std::string(4096, 'x'));
    EXPECT_EQ(RunToEnd({"--db", junk, "--listen", "127.0.0.1:0"}), 1);
}

}  // namespace
}  // namespace tallux::server
