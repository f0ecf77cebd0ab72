#include "server/HttpServer.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "server/HttpStatus.h"

namespace tallux::server {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr int kAcceptBatch = 64;
// After an error answer the client may still be sending; reading a little
// more before closing keeps the kernel from resetting the connection (and
// dropping the answer) because of unread data.
constexpr std::size_t kDrainLimit = 1024 * 1024;
constexpr int kDrainMs = 1000;

std::string Describe(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET6) {
        auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
        inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
        return "[" + std::string(text) + "]:" + std::to_string(ntohs(in6->sin6_port));
    }
    auto* in4 = reinterpret_cast<const sockaddr_in*>(address);
    inet_ntop(AF_INET, &in4->sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(in4->sin_port));
}

// Sends everything or gives up after timeoutMs without progress.
bool SendAll(int fd, std::string_view bytes, int timeoutMs) {
    while (!bytes.empty()) {
        ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, timeoutMs) <= 0) return false;
            continue;
        }
        return false;
    }
    return true;
}

void Drain(int fd, bool wait) {
    char scratch[16 * 1024];
    std::size_t total = 0;
    auto deadline = SteadyClock::now() + std::chrono::milliseconds(wait ? kDrainMs : 0);
    while (total < kDrainLimit) {
        ssize_t got = recv(fd, scratch, sizeof scratch, 0);
        if (got > 0) {
            total += static_cast<std::size_t>(got);
            continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) return;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
        if (left <= 0) return;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) return;
    }
}

}  // namespace

struct HttpServer::Reading {
    int fd;
    RequestReader reader;
    SteadyClock::time_point lastProgress;
};

HttpServer::HttpServer(Options options, Handler handler) : options_(std::move(options)), handler_(std::move(handler)) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    std::string service = std::to_string(options_.port);
    std::string where = options_.host + ":" + service;
    int rc = getaddrinfo(options_.host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0) throw std::runtime_error("cannot resolve " + where + ": " + gai_strerror(rc));
    std::string lastError = "no address";
    for (addrinfo* a = found; a && listenFd_ < 0; a = a->ai_next) {
        int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastError = std::strerror(errno);
            continue;
        }
        int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, 128) == 0) {
            listenFd_ = fd;
        } else {
            lastError = std::strerror(errno);
            close(fd);
        }
    }
    freeaddrinfo(found);
    if (listenFd_ < 0) throw std::runtime_error("cannot listen on " + where + ": " + lastError);

    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &length);
    boundAddress_ = Describe(reinterpret_cast<sockaddr*>(&bound));
    port_ = static_cast<std::uint16_t>(std::stoi(boundAddress_.substr(boundAddress_.rfind(':') + 1)));

    if (pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        close(listenFd_);
        throw std::runtime_error(std::string("cannot create pipe: ") + std::strerror(errno));
    }
}

HttpServer::~HttpServer() {
    Stop();
    {
        std::lock_guard lock(queueMutex_);
        workersDone_ = true;
    }
    queueReady_.notify_all();
    for (std::thread& worker : workers_)
        if (worker.joinable()) worker.join();
    for (Job& job : queue_) close(job.fd);
    if (listenFd_ >= 0) close(listenFd_);
    close(wakePipe_[0]);
    close(wakePipe_[1]);
}

void HttpServer::Stop() {
    stopping_ = true;
    char byte = 1;
    // A full pipe already wakes the loop.
    [[maybe_unused]] ssize_t ignored = write(wakePipe_[1], &byte, 1);
}

void HttpServer::Run() {
    for (std::size_t i = 0; i < std::max<std::size_t>(1, options_.workers); ++i)
        workers_.emplace_back([this] { WorkerLoop(); });

    std::vector<Reading> reading;
    std::vector<pollfd> polled;
    std::vector<char> chunk(kReadChunk);
    const auto idle = std::chrono::milliseconds(options_.idleTimeoutMs);
    while (!stopping_) {
        polled.clear();
        polled.push_back({wakePipe_[0], POLLIN, 0});
        polled.push_back({listenFd_, POLLIN, 0});
        for (const Reading& r : reading) polled.push_back({r.fd, POLLIN, 0});

        int timeout = 1000;
        auto now = SteadyClock::now();
        for (const Reading& r : reading) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(r.lastProgress + idle - now).count();
            timeout = static_cast<int>(std::clamp<long long>(left + 1, 0, timeout));
        }
        int ready = poll(polled.data(), polled.size(), timeout);
        if (ready < 0 && errno != EINTR) break;
        if (stopping_) break;
        if (ready > 0 && (polled[1].revents & POLLIN)) AcceptAll(reading);

        now = SteadyClock::now();
        // polled[2 + i] belongs to reading[i] for the connections that were
        // there before accepting; newer ones are polled next round.
        std::size_t polledConnections = polled.size() - 2;
        std::vector<Reading> still;
        still.reserve(reading.size());
        for (std::size_t i = 0; i < reading.size(); ++i) {
            Reading& r = reading[i];
            short events = i < polledConnections ? polled[2 + i].revents : 0;
            if (events & (POLLIN | POLLHUP | POLLERR)) {
                ssize_t got = recv(r.fd, chunk.data(), chunk.size(), 0);
                if (got > 0) {
                    r.lastProgress = now;
                    r.reader.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
                } else if (got == 0) {
                    r.reader.FinishInput();
                } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                    CloseConnection(r.fd);
                    continue;
                }
            }
            if (r.reader.GetState() != RequestReader::State::NeedMore) {
                {
                    std::lock_guard lock(queueMutex_);
                    queue_.push_back(Job{r.fd, std::move(r.reader)});
                }
                queueReady_.notify_one();
                continue;
            }
            if (now - r.lastProgress >= idle) {
                CloseConnection(r.fd);
                continue;
            }
            still.push_back(std::move(r));
        }
        reading = std::move(still);
    }

    for (Reading& r : reading) CloseConnection(r.fd);
    {
        std::lock_guard lock(queueMutex_);
        workersDone_ = true;
    }
    queueReady_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
}

void HttpServer::AcceptAll(std::vector<Reading>& reading) {
    for (int i = 0; i < kAcceptBatch; ++i) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;  // EAGAIN, or a connection that went away
        if (open_ >= options_.maxConnections) {
            // Best effort: the client learns why instead of seeing a reset.
            std::string busy = FormatHttpError(HttpStatus::Unavailable);
            [[maybe_unused]] ssize_t ignored = send(fd, busy.data(), busy.size(), MSG_NOSIGNAL);
            shutdown(fd, SHUT_WR);
            close(fd);
            continue;
        }
        ++open_;
        reading.push_back(Reading{fd, RequestReader(options_.limits), SteadyClock::now()});
    }
}

void HttpServer::WorkerLoop() {
    for (;;) {
        std::unique_lock lock(queueMutex_);
        queueReady_.wait(lock, [this] { return workersDone_ || !queue_.empty(); });
        if (queue_.empty()) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        Serve(job);
    }
}

void HttpServer::Serve(Job& job) {
    bool failed = job.reader.GetState() != RequestReader::State::Complete;
    std::string answer;
    if (failed) {
        answer = FormatHttpError(job.reader.Error());
    } else {
        try {
            answer = handler_(job.reader.Request());
        } catch (const std::exception&) {
            answer = FormatHttpError(HttpStatus::InternalError);
        }
    }
    if (SendAll(job.fd, answer, options_.idleTimeoutMs)) {
        shutdown(job.fd, SHUT_WR);
        Drain(job.fd, failed);
    }
    CloseConnection(job.fd);
}

void HttpServer::CloseConnection(int fd) {
    close(fd);
    --open_;
}

}  // namespace tallux::server
