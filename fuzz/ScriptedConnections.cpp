#include "fuzz/ScriptedConnections.h"

#include <fcntl.h>
#include <unistd.h>
#include <sys/socket.h>

#include <cerrno>

#include "fuzz/FuzzSupport.h"

namespace tallux::fuzz {
namespace {

ScriptedConnections* current = nullptr;

std::vector<std::string> Parts(std::string_view input, std::size_t most) {
    std::vector<std::string> answers;
    for (std::string_view part : SplitInput(input, ScriptedConnections::kSeparator, most))
        answers.emplace_back(part.substr(0, ScriptedConnections::kMostAnswerBytes));
    return answers;
}

}  // namespace

ScriptedConnections::ScriptedConnections(std::vector<std::string> answers) : answers_(std::move(answers)) {
    Check(current == nullptr, "two connection scripts at once");
    for (std::string& answer : answers_)
        if (answer.size() > kMostAnswerBytes) answer.resize(kMostAnswerBytes);
    current = this;
}

ScriptedConnections::ScriptedConnections(std::string_view input, std::size_t most)
    : ScriptedConnections(Parts(input, most)) {}

ScriptedConnections::~ScriptedConnections() {
    for (int peer : peers_) ::close(peer);
    current = nullptr;
}

std::string ScriptedConnections::Sent(std::size_t connection) const {
    std::string sent;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::recv(peers_[connection], buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0) return sent;
        sent.append(buffer, static_cast<std::size_t>(n));
    }
}

int ScriptedConnections::Connect(int fd) {
    if (peers_.size() >= answers_.size()) {
        errno = ECONNREFUSED;
        return -1;
    }
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return -1;
    int room = 1 << 20;  // the kernel caps it; enough for kMostAnswerBytes
    ::setsockopt(pair[1], SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
    const std::string& answer = answers_[peers_.size()];
    for (std::size_t done = 0; done < answer.size();) {
        ssize_t n = ::send(pair[1], answer.data() + done, answer.size() - done, MSG_DONTWAIT | MSG_NOSIGNAL);
        Check(n > 0, "a scripted answer does not fit the socket buffer");
        done += static_cast<std::size_t>(n);
    }
    ::shutdown(pair[1], SHUT_WR);
    // The caller's socket becomes our end, with its blocking mode.
    int statusFlags = ::fcntl(fd, F_GETFL);
    int descriptorFlags = ::fcntl(fd, F_GETFD);
    if (::dup3(pair[0], fd, (descriptorFlags & FD_CLOEXEC) ? O_CLOEXEC : 0) < 0) {
        ::close(pair[0]);
        ::close(pair[1]);
        return -1;
    }
    ::close(pair[0]);
    ::fcntl(fd, F_SETFL, statusFlags & O_NONBLOCK);
    peers_.push_back(pair[1]);
    return 0;
}

}  // namespace tallux::fuzz

// Replaces the C library's connect for the whole fuzz program (a definition
// in the program wins over the shared library's).
extern "C" int connect(int fd, const sockaddr*, socklen_t) {
    if (!tallux::fuzz::current) {
        errno = ECONNREFUSED;
        return -1;
    }
    return tallux::fuzz::current->Connect(fd);
}
