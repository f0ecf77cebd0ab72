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
#include <cstring>
#include <stdexcept>

#include "server/HttpStatus.h"

namespace tallux::server {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr int kAcceptBatch = 64;
// What is read and dropped of one client after its answer, at most.
constexpr std::size_t kDiscardLimit = 1024 * 1024;
// On Stop, how long the answers already built may take to go out.
constexpr int kStopFlushMs = 1000;

std::chrono::milliseconds Ms(long long count) { return std::chrono::milliseconds(count); }

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

// The address without the port: what the per-peer share counts. An IPv4
// client on an IPv6 socket counts as its IPv4 address.
std::string PeerOf(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET6) {
        const in6_addr& in6 = reinterpret_cast<const sockaddr_in6*>(&address)->sin6_addr;
        if (IN6_IS_ADDR_V4MAPPED(&in6))
            inet_ntop(AF_INET, in6.s6_addr + 12, text, sizeof text);
        else
            inet_ntop(AF_INET6, &in6, text, sizeof text);
    } else if (address.ss_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&address)->sin_addr, text, sizeof text);
    }
    return text;
}

enum class SendResult { Done, Blocked, Broken };

// Sends what the socket takes now, never waiting; advances sent.
SendResult SendSome(int fd, const std::string& bytes, std::size_t& sent) {
    while (sent < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return SendResult::Blocked;
        return SendResult::Broken;
    }
    return SendResult::Done;
}

// Reads and drops what has arrived, never waiting. False when there is
// nothing more to wait for: the peer closed, the socket failed or the limit
// is reached.
bool DiscardAvailable(int fd, std::size_t& total) {
    char scratch[16 * 1024];
    while (total < kDiscardLimit) {
        ssize_t got = recv(fd, scratch, sizeof scratch, 0);
        if (got > 0) {
            total += static_cast<std::size_t>(got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return false;
}

// Best effort for a connection that gets no slot: the client learns why
// instead of seeing a reset. Reading what it has sent already keeps the
// close from resetting the connection and dropping the answer.
void Refuse(int fd) {
    std::string busy = FormatHttpError(HttpStatus::Unavailable);
    std::size_t sent = 0;
    SendSome(fd, busy, sent);
    shutdown(fd, SHUT_WR);
    std::size_t discarded = 0;
    DiscardAvailable(fd, discarded);
    close(fd);
}

}  // namespace

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
        // The longest queue the system allows: a burst of connections waits
        // there instead of having its handshakes dropped and retried a
        // second or more later.
        if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, SOMAXCONN) == 0) {
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
    for (Connection& c : queue_) close(c.fd);
    for (Connection& c : answered_) close(c.fd);
    if (listenFd_ >= 0) close(listenFd_);
    close(wakePipe_[0]);
    close(wakePipe_[1]);
}

void HttpServer::Stop() {
    stopping_ = true;
    Wake();
}

void HttpServer::Wake() {
    char byte = 1;
    // A full pipe already wakes the loop.
    [[maybe_unused]] ssize_t ignored = write(wakePipe_[1], &byte, 1);
}

void HttpServer::Run() {
    for (std::size_t i = 0; i < std::max<std::size_t>(1, options_.workers); ++i)
        workers_.emplace_back([this] { WorkerLoop(); });

    std::vector<Connection> connections;
    std::vector<pollfd> polled;
    std::vector<char> chunk(kReadChunk);
    auto finished = [](const Connection& c) { return c.phase == Phase::Closed || c.phase == Phase::Working; };
    while (!stopping_) {
        auto now = Clock::now();
        auto next = now + std::chrono::seconds(1);
        polled.clear();
        polled.push_back({wakePipe_[0], POLLIN, 0});
        polled.push_back({listenFd_, POLLIN, 0});
        for (const Connection& c : connections) {
            polled.push_back({c.fd, static_cast<short>(c.phase == Phase::Writing ? POLLOUT : POLLIN), 0});
            next = std::min(next, Deadline(c));
        }
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
        int ready = poll(polled.data(), polled.size(), static_cast<int>(std::clamp<long long>(wait + 1, 0, 1000)));
        if (ready < 0 && errno != EINTR) break;
        if (stopping_) break;
        now = Clock::now();
        if (polled[0].revents & POLLIN) {
            char drop[256];
            while (read(wakePipe_[0], drop, sizeof drop) > 0) {}
        }
        // polled[2 + i] belongs to connections[i]; the ones taken back from
        // the workers and the new ones are appended after this pass.
        std::size_t polledConnections = polled.size() - 2;
        for (std::size_t i = 0; i < polledConnections; ++i)
            Step(connections, connections[i], polled[2 + i].revents, now, chunk);
        TakeAnswered(connections, now);
        if (polled[1].revents & POLLIN) AcceptAll(connections, now);
        std::erase_if(connections, finished);
    }

    // Connections still reading and lingering end here; the requests already
    // read are answered.
    for (Connection& c : connections)
        if (c.phase != Phase::Writing) Close(c);
    {
        std::lock_guard lock(queueMutex_);
        workersDone_ = true;
    }
    queueReady_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
    TakeAnswered(connections, Clock::now());
    FlushOnStop(connections);
}

HttpServer::Clock::time_point HttpServer::Deadline(const Connection& c) const {
    const ConnectionLimits& limits = options_.connections;
    switch (c.phase) {
    case Phase::Reading: {
        Clock::time_point idle = c.lastProgress + Ms(limits.idleTimeoutMs);
        Clock::time_point head = c.accepted + Ms(limits.headTimeoutMs);
        // The reader fills in the method once it has parsed the head.
        if (c.reader.Request().method.empty()) return std::min(idle, head);
        if (limits.minBodyBytesPerSecond == 0) return idle;
        auto earned = Ms(static_cast<long long>(c.reader.BytesSeen() * 1000 / limits.minBodyBytesPerSecond));
        return std::min(idle, head + earned);
    }
    case Phase::Writing: return c.lastProgress + Ms(limits.idleTimeoutMs);
    case Phase::Lingering: return c.lingerUntil;
    case Phase::Working:
    case Phase::Closed: break;
    }
    return Clock::time_point::max();
}

void HttpServer::AcceptAll(std::vector<Connection>& connections, Clock::time_point now) {
    const ConnectionLimits& limits = options_.connections;
    for (int i = 0; i < kAcceptBatch; ++i) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;  // EAGAIN, or a connection that went away
        std::string peer = PeerOf(address);
        auto held = perPeer_.find(peer);
        bool overShare = held != perPeer_.end() && held->second >= limits.maxPerPeer;
        if (!overShare && open_ >= limits.maxConnections) MakeRoom(connections, peer, now);
        if (overShare || open_ >= limits.maxConnections) {
            Refuse(fd);
            continue;
        }
        ++open_;
        ++perPeer_[peer];
        Connection c;
        c.fd = fd;
        c.peer = std::move(peer);
        c.reader = RequestReader(options_.limits);
        c.accepted = now;
        c.lastProgress = now;
        connections.push_back(std::move(c));
    }
}

void HttpServer::Step(std::vector<Connection>& connections, Connection& c, short events, Clock::time_point now,
                      std::vector<char>& chunk) {
    switch (c.phase) {
    case Phase::Reading:
        if (events & (POLLIN | POLLHUP | POLLERR)) {
            ssize_t got = recv(c.fd, chunk.data(), chunk.size(), 0);
            if (got > 0) {
                c.lastProgress = now;
                c.reader.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
            } else if (got == 0) {
                c.reader.FinishInput();
            } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                Close(c);
                return;
            }
        }
        if (c.reader.GetState() != RequestReader::State::NeedMore) {
            c.phase = Phase::Working;
            {
                std::lock_guard lock(queueMutex_);
                queue_.push_back(std::move(c));
            }
            queueReady_.notify_one();
            return;
        }
        if (now >= Deadline(c)) TimeOut(connections, c, now);
        return;
    case Phase::Writing:
        if (events & (POLLOUT | POLLHUP | POLLERR)) {
            std::size_t before = c.answerSent;
            SendResult result = SendSome(c.fd, c.answer, c.answerSent);
            if (result == SendResult::Broken) {
                Close(c);
                return;
            }
            if (c.answerSent > before) c.lastProgress = now;
            if (result == SendResult::Done) {
                AnswerSent(connections, c, now);
                return;
            }
        }
        // A client that takes nothing of its answer: nothing left to tell it.
        if (now >= Deadline(c)) Close(c);
        return;
    case Phase::Lingering:
        if ((events & (POLLIN | POLLHUP | POLLERR)) && !DiscardAvailable(c.fd, c.discarded))
            Close(c);
        else if (now >= c.lingerUntil)
            Close(c);
        return;
    case Phase::Working:
    case Phase::Closed: return;
    }
}

void HttpServer::TimeOut(std::vector<Connection>& connections, Connection& c, Clock::time_point now) {
    c.answer = FormatHttpError(HttpStatus::RequestTimeout);
    c.answerSent = 0;
    c.lingerAfter = true;  // it may well be sending still
    c.phase = Phase::Writing;
    c.lastProgress = now;
    SendResult result = SendSome(c.fd, c.answer, c.answerSent);
    if (result == SendResult::Broken)
        Close(c);
    else if (result == SendResult::Done)
        AnswerSent(connections, c, now);
}

void HttpServer::MakeRoom(std::vector<Connection>& connections, const std::string& peer, Clock::time_point now) {
    auto held = perPeer_.find(peer);
    std::size_t newcomer = held == perPeer_.end() ? 0 : held->second;
    // The reading connection of the address holding the most slots, the
    // oldest of them; only if that address holds two or more than the
    // newcomer's, so taking a slot never merely swaps it between equals.
    Connection* victim = nullptr;
    std::size_t most = newcomer + 1;
    for (Connection& c : connections) {
        if (c.phase != Phase::Reading) continue;
        std::size_t count = perPeer_[c.peer];
        if (count > most || (count == most && victim && c.accepted < victim->accepted)) {
            victim = &c;
            most = count;
        }
    }
    if (victim) TimeOut(connections, *victim, now);
}

void HttpServer::AnswerSent(std::vector<Connection>& connections, Connection& c, Clock::time_point now) {
    const ConnectionLimits& limits = options_.connections;
    shutdown(c.fd, SHUT_WR);
    c.answer = std::string();
    bool more = DiscardAvailable(c.fd, c.discarded);
    if (!more || !c.lingerAfter || stopping_ || limits.lingerMs <= 0 || limits.maxLingering == 0) {
        Close(c);
        return;
    }
    // The answer is out: the slot goes to the next client while this one
    // lingers.
    ReleaseSlot(c);
    if (lingering_ >= limits.maxLingering) {
        Connection* oldest = nullptr;
        for (Connection& other : connections)
            if (other.phase == Phase::Lingering && (!oldest || other.lingerUntil < oldest->lingerUntil))
                oldest = &other;
        if (oldest) Close(*oldest);
    }
    c.phase = Phase::Lingering;
    c.lingerUntil = now + Ms(limits.lingerMs);
    ++lingering_;
}

void HttpServer::TakeAnswered(std::vector<Connection>& connections, Clock::time_point now) {
    std::vector<Connection> back;
    {
        std::lock_guard lock(queueMutex_);
        back.swap(answered_);
    }
    for (Connection& returned : back) {
        connections.push_back(std::move(returned));
        Connection& c = connections.back();
        c.lastProgress = now;
        if (c.broken)
            Close(c);
        else if (c.answerSent == c.answer.size())
            AnswerSent(connections, c, now);
        // Otherwise the rest goes out as the client takes it.
    }
}

void HttpServer::FlushOnStop(std::vector<Connection>& connections) {
    auto deadline = Clock::now() + Ms(kStopFlushMs);
    std::vector<pollfd> polled;
    for (;;) {
        std::erase_if(connections, [](const Connection& c) { return c.phase != Phase::Writing; });
        auto now = Clock::now();
        if (connections.empty() || now >= deadline) break;
        polled.clear();
        for (const Connection& c : connections) polled.push_back({c.fd, POLLOUT, 0});
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        if (poll(polled.data(), polled.size(), static_cast<int>(left) + 1) < 0 && errno != EINTR) break;
        now = Clock::now();
        for (std::size_t i = 0; i < polled.size(); ++i) {
            if (!(polled[i].revents & (POLLOUT | POLLHUP | POLLERR))) continue;
            Connection& c = connections[i];
            SendResult result = SendSome(c.fd, c.answer, c.answerSent);
            if (result == SendResult::Done)
                AnswerSent(connections, c, now);
            else if (result == SendResult::Broken)
                Close(c);
        }
    }
    for (Connection& c : connections) Close(c);
    connections.clear();
}

void HttpServer::WorkerLoop() {
    for (;;) {
        std::unique_lock lock(queueMutex_);
        queueReady_.wait(lock, [this] { return workersDone_ || !queue_.empty(); });
        if (queue_.empty()) return;
        Connection c = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        Serve(c);
        lock.lock();
        answered_.push_back(std::move(c));
        lock.unlock();
        Wake();
    }
}

void HttpServer::Serve(Connection& c) {
    bool failed = c.reader.GetState() != RequestReader::State::Complete;
    std::string answer;
    if (failed) {
        answer = FormatHttpError(c.reader.Error());
    } else {
        try {
            answer = handler_(c.reader.Request());
        } catch (const std::exception&) {
            answer = FormatHttpError(HttpStatus::InternalError);
        }
    }
    c.answer = std::move(answer);
    c.answerSent = 0;
    c.lingerAfter = failed;
    c.phase = Phase::Writing;
    // What the socket does not take now the poll thread sends: a worker
    // never waits for a client.
    c.broken = SendSome(c.fd, c.answer, c.answerSent) == SendResult::Broken;
}

void HttpServer::Close(Connection& c) {
    if (c.phase == Phase::Closed) return;
    close(c.fd);
    if (c.holdsSlot) ReleaseSlot(c);
    if (c.phase == Phase::Lingering) --lingering_;
    c.phase = Phase::Closed;
    c.fd = -1;
}

void HttpServer::ReleaseSlot(Connection& c) {
    if (!c.holdsSlot) return;
    c.holdsSlot = false;
    --open_;
    auto held = perPeer_.find(c.peer);
    if (held != perPeer_.end() && --held->second == 0) perPeer_.erase(held);
}

}  // namespace tallux::server
