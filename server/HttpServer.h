#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "server/ConnectionLimits.h"
#include "server/HttpRequest.h"
#include "server/RequestReader.h"

namespace tallux::server {

// A small HTTP server: one request and one answer per connection, then the
// server closes. One thread polls the listening socket and every connection
// that is sending its request, receiving the rest of its answer or lingering
// after an error answer; complete requests go to a few worker threads that
// build the answers. A worker never waits for a client: it sends what the
// socket takes at once and leaves the rest to the poll thread.
//
// The ConnectionLimits keep slow or hostile clients from holding the slots:
// a request whose head is not complete within the head timeout, whose body
// falls below the minimum rate or that makes no progress for the idle
// timeout is answered 408 (never just closed); a peer address over its share
// of the slots gets 503 at once. When all slots are taken, a newcomer from
// an address holding fewer slots than the address holding the most takes the
// slot of that address's oldest connection still reading (408), so slow
// clients from many addresses cannot starve a client from another either;
// otherwise it gets 503.
class HttpServer {
public:
    struct Options {
        std::string host = "127.0.0.1";
        std::uint16_t port = 8080;  // 0: any free port
        std::size_t workers = 4;
        ConnectionLimits connections;
        RequestReader::Limits limits;
    };
    // Returns the complete answer (status line, headers, body).
    using Handler = std::function<std::string(const HttpRequest&)>;

    // Binds and listens; throws std::runtime_error naming the address.
    HttpServer(Options options, Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // "ADDRESS:PORT" as bound.
    std::string BoundAddress() const { return boundAddress_; }
    std::uint16_t Port() const { return port_; }

    // Serves until Stop(); answers the requests already read before it
    // returns.
    void Run();
    // Safe from any thread.
    void Stop();

private:
    using Clock = std::chrono::steady_clock;
    enum class Phase { Reading, Working, Writing, Lingering, Closed };
    struct Connection {
        int fd = -1;
        std::string peer;  // the address, without the port
        Phase phase = Phase::Reading;
        bool holdsSlot = true;
        bool broken = false;  // the socket failed while a worker sent
        RequestReader reader;
        Clock::time_point accepted;
        Clock::time_point lastProgress;
        std::string answer;
        std::size_t answerSent = 0;
        bool lingerAfter = false;
        Clock::time_point lingerUntil;
        std::size_t discarded = 0;
    };

    Clock::time_point Deadline(const Connection& c) const;
    void AcceptAll(std::vector<Connection>& connections, Clock::time_point now);
    void Step(std::vector<Connection>& connections, Connection& c, short events, Clock::time_point now,
              std::vector<char>& chunk);
    void StartAnswer(std::vector<Connection>& connections, Connection& c, std::string answer, Clock::time_point now);
    void TimeOut(std::vector<Connection>& connections, Connection& c, Clock::time_point now);
    void MakeRoom(std::vector<Connection>& connections, const std::string& peer, Clock::time_point now);
    void AnswerSent(std::vector<Connection>& connections, Connection& c, Clock::time_point now);
    void TakeAnswered(std::vector<Connection>& connections, Clock::time_point now);
    void FlushOnStop(std::vector<Connection>& connections);
    void Close(Connection& c);
    void ReleaseSlot(Connection& c);
    void Wake();
    void WorkerLoop();
    void Serve(Connection& c);

    Options options_;
    Handler handler_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::string boundAddress_;
    std::uint16_t port_ = 0;

    std::atomic<bool> stopping_{false};
    std::mutex queueMutex_;
    std::condition_variable queueReady_;
    std::deque<Connection> queue_;      // complete requests for the workers
    std::vector<Connection> answered_;  // back from the workers to the poll thread
    bool workersDone_ = false;
    std::vector<std::thread> workers_;

    // Only the poll thread touches these.
    std::size_t open_ = 0;
    std::unordered_map<std::string, std::size_t> perPeer_;
    std::size_t lingering_ = 0;
};

}  // namespace tallux::server
