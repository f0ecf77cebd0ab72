// The pricing run against a loopback server that answers from a script.

#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "net/LoginSession.h"
#include "preentry/PricingRun.h"
#include "tests/net/TransactionTestSupport.h"

namespace tallux {
namespace {

using Calls = std::vector<std::string>;
using Bodies = std::vector<std::string>;

// A loopback server for a run of several requests: answers one connection
// after the other with the next scripted answer and keeps each request's
// body. One step can be held after its
// request arrived until the test releases it, so the test acts while the run
// waits for that answer. Every wait is bounded.
class ScriptedServer {
public:
    explicit ScriptedServer(std::vector<std::string> answers, int heldStep = -1)
        : answers_(std::move(answers)), heldStep_(heldStep) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 8);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            for (std::size_t step = 0; step < answers_.size(); ++step)
                if (!Serve(step)) break;
        });
    }
    ~ScriptedServer() {
        Release();
        if (thread_.joinable()) thread_.join();
        ::close(listener_);
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    ServerAddress Address() const { return ServerAddress("127.0.0.1", port_); }

    // True once the held step's request has arrived (false after 5 s).
    bool WaitUntilHeld() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [this] { return held_; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    // The bodies received, once the script is through (call after the run).
    const Bodies& Received() {
        if (thread_.joinable()) thread_.join();
        return bodies_;
    }
    // Whether a connection beyond the script is waiting to be accepted; a
    // request the run sent after the script ended would sit there.
    bool MoreConnectionsWaiting() {
        Received();
        pollfd waiting{listener_, POLLIN, 0};
        return poll(&waiting, 1, 0) == 1;
    }

private:
    bool Serve(std::size_t step) {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, 5000) != 1) return false;
        const int connection = ::accept(listener_, nullptr, nullptr);
        if (connection < 0) return false;
        std::string request;
        char buffer[4096];
        std::size_t expected = std::string::npos;
        while (request.size() < expected) {
            pollfd readable{connection, POLLIN, 0};
            if (poll(&readable, 1, 5000) != 1) break;
            const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<std::size_t>(n));
            const std::size_t headerEnd = request.find("\r\n\r\n");
            if (headerEnd != std::string::npos && expected == std::string::npos) {
                std::size_t length = 0;
                const std::size_t at = request.find("Content-Length: ");
                if (at != std::string::npos && at < headerEnd) length = std::stoul(request.substr(at + 16));
                expected = headerEnd + 4 + length;
            }
        }
        bodies_.push_back(test::RequestBody(request));
        if (static_cast<int>(step) == heldStep_) {
            std::unique_lock<std::mutex> lock(mutex_);
            held_ = true;
            changed_.notify_all();
            changed_.wait_for(lock, std::chrono::seconds(5), [this] { return released_; });
        }
        const std::string& answer = answers_[step];
        ::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
        ::shutdown(connection, SHUT_WR);
        // Let the client read everything before the connection goes.
        pollfd drained{connection, POLLIN, 0};
        poll(&drained, 1, 2000);
        ::close(connection);
        return true;
    }

    std::vector<std::string> answers_;
    int heldStep_ = -1;
    Bodies bodies_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool released_ = false;
    std::thread thread_;
};

// Writes down every call of the run, with the thread it came from.
class RecordingHandler : public PricingHandler {
public:
    Calls calls;
    std::vector<std::thread::id> threads;
    // Called after a price is written down.
    std::function<void(int id)> onPriced;
    // Called before the end is written down.
    std::function<void()> onFinished;

    void ShipmentPriced(int id, std::optional<std::int64_t> hundredths) override {
        threads.push_back(std::this_thread::get_id());
        calls.push_back("priced " + std::to_string(id) + " " + (hundredths ? std::to_string(*hundredths) : "none"));
        if (onPriced) onPriced(id);
    }
    void Finished(const PricingOutcome& outcome) override {
        threads.push_back(std::this_thread::get_id());
        if (onFinished) onFinished();
        switch (outcome.kind) {
        case PricingOutcome::Kind::Completed: calls.push_back("end completed"); break;
        case PricingOutcome::Kind::Stopped: calls.push_back("end stopped"); break;
        case PricingOutcome::Kind::Unreachable:
            calls.push_back("end unreachable " + std::to_string(outcome.transportError));
            break;
        }
    }
};

PricingRequest Request(int id) { return {id, "request " + std::to_string(id)}; }
PricingRequest NoRequest(int id) { return {id, std::nullopt}; }

std::string Ok(const std::string& body) { return test::HttpOk(body); }

// An answer whose header, padded, is header bytes long.
std::string AnswerWithHeaderOf(std::size_t header, const std::string& body) {
    const std::string start = "HTTP/1.0 200 OK\r\nX-Padding: ";
    const std::string end = "\r\n\r\n";
    return start + std::string(header - start.size() - end.size(), 'x') + end + body;
}

TEST(PricingRun, ReportsEachRecordInOrderAndEndsOnce) {
    struct Case {
        const char* name;
        std::vector<PricingRequest> requests;
        std::vector<std::string> answers;  // one per request the server takes
        Bodies sent;
        Calls calls;
        bool keepRunning = true;
    };
    const Case cases[] = {
        {"every record priced, in order; an answer without a fee is no price",
         {Request(1), Request(2), Request(3)},
         {Ok("12.3\n"), Ok("36.00\nGNTK"), Ok("0\n")},
         {"request 1", "request 2", "request 3"},
         {"priced 1 1230", "priced 2 3600", "priced 3 none", "end completed"}},
        {"a record without a request is no price and the run goes on",
         {Request(1), NoRequest(2), Request(3)},
         {Ok("5\n"), Ok("7.5\n")},
         {"request 1", "request 3"},
         {"priced 1 500", "priced 2 none", "priced 3 750", "end completed"}},
        {"records without requests send nothing",
         {NoRequest(1), NoRequest(2)},
         {},
         {},
         {"priced 1 none", "priced 2 none", "end completed"}},
        {"an error status ends the run; later records are not sent",
         {Request(1), Request(2), Request(3)},
         {Ok("12\n"), "HTTP/1.0 500 Internal Server Error\r\n\r\n"},
         {"request 1", "request 2"},
         {"priced 1 1200", "end unreachable -6"}},
        {"an empty answer ends the run", {Request(1), Request(2)}, {Ok("")}, {"request 1"}, {"end unreachable 0"}},
        {"a header that fills the 1024-byte answer buffer is read",
         {Request(1)},
         {AnswerWithHeaderOf(1024, "8.25\n")},
         {"request 1"},
         {"priced 1 825", "end completed"}},
        {"a header one byte longer ends the run",
         {Request(1), Request(2)},
         {AnswerWithHeaderOf(1025, "8.25\n")},
         {"request 1"},
         {"end unreachable -1"}},
        {"no records", {}, {}, {}, {"end completed"}},
        {"stopped before the first record", {Request(1), NoRequest(2)}, {}, {}, {"end stopped"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server(c.answers);
        RecordingHandler handler;
        std::atomic<bool> keepRunning{c.keepRunning};
        RunPricing(c.requests, handler, server.Address(), test::kQuickTransaction, keepRunning);
        EXPECT_EQ(handler.calls, c.calls);
        EXPECT_EQ(server.Received(), c.sent);
        EXPECT_FALSE(server.MoreConnectionsWaiting());
    }
}

TEST(PricingRun, NoServerEndsTheRunAtTheFirstRequest) {
    const ServerAddress nobody("127.0.0.1", test::UnusedLoopbackPort());
    RecordingHandler handler;
    std::atomic<bool> keepRunning{true};
    RunPricing({NoRequest(1), Request(2), Request(3)}, handler, nobody, test::kQuickTransaction, keepRunning);
    EXPECT_EQ(handler.calls, (Calls{"priced 1 none", "end unreachable -5"}));
}

TEST(PricingRun, StopEndsTheRunAfterTheCurrentRecord) {
    struct Case {
        const char* name;
        std::vector<PricingRequest> requests;
        int stopAt;  // the record during whose report Stop comes
        Bodies sent;
        Calls calls;
    };
    const Case cases[] = {
        {"stopped on the second of four",
         {Request(1), Request(2), Request(3), Request(4)},
         2,
         {"request 1", "request 2"},
         {"priced 1 100", "priced 2 200", "end stopped"}},
        {"stopped on a record without a request",
         {Request(1), NoRequest(2), Request(3)},
         2,
         {"request 1"},
         {"priced 1 100", "priced 2 none", "end stopped"}},
        {"stopped on the last record: nothing was left",
         {Request(1), Request(2)},
         2,
         {"request 1", "request 2"},
         {"priced 1 100", "priced 2 200", "end completed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> answers;
        for (std::size_t i = 1; i <= c.sent.size(); ++i) answers.push_back(Ok(std::to_string(i) + "\n"));
        ScriptedServer server(answers);
        RecordingHandler handler;
        std::atomic<bool> keepRunning{true};
        handler.onPriced = [&](int id) {
            if (id == c.stopAt) keepRunning = false;
        };
        RunPricing(c.requests, handler, server.Address(), test::kQuickTransaction, keepRunning);
        EXPECT_EQ(handler.calls, c.calls);
        EXPECT_EQ(server.Received(), c.sent);
        EXPECT_FALSE(server.MoreConnectionsWaiting());
    }
}

TEST(PricingRun, WorkerStoppedWhileWaitingForAnAnswerFinishesThatRecord) {
    ScriptedServer server({Ok("1\n"), Ok("2\n")}, 1);
    RecordingHandler handler;
    PricingRun run;
    ASSERT_TRUE(run.Start({Request(1), Request(2), Request(3)}, handler, server.Address(), test::kQuickTransaction));
    ASSERT_TRUE(server.WaitUntilHeld());
    EXPECT_TRUE(run.Running());
    run.Stop();
    server.Release();
    run.Wait();
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(handler.calls, (Calls{"priced 1 100", "priced 2 200", "end stopped"}));
    EXPECT_EQ(server.Received(), (Bodies{"request 1", "request 2"}));
    EXPECT_FALSE(server.MoreConnectionsWaiting());
    for (std::thread::id thread : handler.threads) EXPECT_NE(thread, std::this_thread::get_id());
}

TEST(PricingRun, WorkerRunsOneRunAtATime) {
    ScriptedServer server({Ok("1\n"), Ok("2\n")}, 0);
    RecordingHandler handler;
    PricingRun run;
    // The end is told once the run no longer counts as running.
    std::vector<bool> runningAtEnd;
    handler.onFinished = [&] { runningAtEnd.push_back(run.Running()); };
    ASSERT_TRUE(run.Start({Request(1)}, handler, server.Address(), test::kQuickTransaction));
    ASSERT_TRUE(server.WaitUntilHeld());
    EXPECT_FALSE(run.Start({Request(9)}, handler, server.Address(), test::kQuickTransaction));
    server.Release();
    run.Wait();
    ASSERT_TRUE(run.Start({Request(2)}, handler, server.Address(), test::kQuickTransaction));
    run.Wait();
    EXPECT_EQ(handler.calls, (Calls{"priced 1 100", "end completed", "priced 2 200", "end completed"}));
    EXPECT_EQ(runningAtEnd, (std::vector<bool>{false, false}));
    EXPECT_EQ(server.Received(), (Bodies{"request 1", "request 2"}));
}

TEST(PricingRun, DestroyingTheWorkerWaitsForTheEnd) {
    ScriptedServer server({Ok("4\n")});
    RecordingHandler handler;
    {
        PricingRun run;
        ASSERT_TRUE(run.Start({Request(1), NoRequest(2)}, handler, server.Address(), test::kQuickTransaction));
    }
    EXPECT_EQ(handler.calls, (Calls{"priced 1 400", "priced 2 none", "end completed"}));
}

}  // namespace
}  // namespace tallux
