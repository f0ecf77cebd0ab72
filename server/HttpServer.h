#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/HttpRequest.h"
#include "server/RequestReader.h"

namespace tallux::server {

// A small HTTP server: one request and one answer per connection, then the
// server closes. One thread polls the listening socket and every connection
// still sending its request, so a slow client never holds up the others;
// complete requests go to a few worker threads that build and send the
// answers.
class HttpServer {
public:
    struct Options {
        std::string host = "127.0.0.1";
        std::uint16_t port = 8080;  // 0: any free port
        std::size_t workers = 4;
        std::size_t maxConnections = 256;
        int idleTimeoutMs = 10000;  // without any progress
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
    struct Reading;
    struct Job {
        int fd;
        RequestReader reader;
    };

    void AcceptAll(std::vector<Reading>& reading);
    void WorkerLoop();
    void Serve(Job& job);
    void CloseConnection(int fd);

    Options options_;
    Handler handler_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::string boundAddress_;
    std::uint16_t port_ = 0;

    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> open_{0};
    std::mutex queueMutex_;
    std::condition_variable queueReady_;
    std::deque<Job> queue_;
    bool workersDone_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace tallux::server
