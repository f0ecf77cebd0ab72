// Timed driver: how long an operator's login takes on a local tallux-server
// (its default limits) while hostile clients work on it over loopback:
// clients that drip their request a byte every 4 s, clients that connect and
// send nothing, and clients that send a bad request and never close. Each
// attack is kept up (a client whose connection ends comes back) while the
// logins run, and every attack is measured beside the same logins without
// one, in the same run.
//
//   tallux-bench-server-abuse [--logins N] [--peers N]
//
// --logins: logins per attack, one every 100 ms (default 80, so the drip and
// idle attacks outlive the head timeout). The attackers come from addresses
// 127.0.0.2, 127.0.0.3, ...: each attack runs from one address and from ten
// (300 connections from ten addresses are more than all the slots);
// --peers N runs them from N addresses only. The logins come from 127.0.0.1.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/DemoServer.h"
#include "tests/support/LoopbackClient.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tallux::test;

constexpr double kGoalMs = 100;
constexpr int kWaitSeconds = 10;
const std::string kHead = "GET /cgi-bin/DIzur.dll?ECLogin&w=8001 HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";

enum class Kind { None, Drip, Idle, BadKeptOpen };

struct Plan {
    Kind kind;
    const char* name;
    std::size_t connections;
};

const Plan kPlans[] = {
    {Kind::None, "none (baseline)", 0},
    {Kind::Drip, "drip: 300 connections, a byte every 4 s", 300},
    {Kind::Idle, "idle: 300 connections, nothing sent", 300},
    {Kind::BadKeptOpen, "bad request, never closed: 200 a second", 200},
};

// Keeps one attack up on its own thread until destroyed; counts the answers
// its connections got.
class Attacker {
public:
    // Returns once the first round of connections is open.
    Attacker(std::uint16_t port, const Plan& plan, int peers) : port_(port), plan_(plan), peers_(peers) {
        if (pipe2(stop_, O_CLOEXEC) != 0) std::abort();
        if (plan_.kind == Kind::BadKeptOpen) {
            SendBurst();
            thread_ = std::thread([this] { RunBad(); });
        } else {
            slow_.resize(plan_.connections);
            for (std::size_t i = 0; i < slow_.size(); ++i) Open(slow_[i], i, Clock::now());
            thread_ = std::thread([this] { RunSlow(); });
        }
    }
    ~Attacker() {
        Stop();
        close(stop_[0]);
        close(stop_[1]);
    }
    Attacker(const Attacker&) = delete;
    Attacker& operator=(const Attacker&) = delete;

    void Stop() {
        if (!thread_.joinable()) return;
        char byte = 1;
        [[maybe_unused]] ssize_t ignored = write(stop_[1], &byte, 1);
        thread_.join();
    }
    // After Stop.
    const std::map<int, long>& Answers() const { return answers_; }
    long Opened() const { return opened_; }

private:
    struct Slow {
        int fd = -1;
        std::size_t sent = 0;
        Clock::time_point nextByte;
        Clock::time_point comeBack;  // when a refused client connects again
    };

    std::string Source(std::size_t i) const { return "127.0.0." + std::to_string(2 + i % peers_); }

    bool Stopped(int timeoutMs) {
        pollfd p{stop_[0], POLLIN, 0};
        return poll(&p, 1, timeoutMs) > 0;
    }

    void Open(Slow& s, std::size_t i, Clock::time_point now) {
        s.fd = ConnectLoopback(port_, Source(i).c_str(), kWaitSeconds);
        s.sent = 0;
        s.nextByte = now;
        ++opened_;
    }

    // Drip and idle: each connection is used until the server answers it,
    // then opened again (a refused one after a second).
    void RunSlow() {
        std::vector<Slow>& slow = slow_;
        auto now = Clock::now();
        std::vector<pollfd> polled;
        for (;;) {
            polled.clear();
            polled.push_back({stop_[0], POLLIN, 0});
            for (const Slow& s : slow) polled.push_back({s.fd, POLLIN, 0});
            poll(polled.data(), polled.size(), 100);
            if (polled[0].revents) break;
            now = Clock::now();
            for (std::size_t i = 0; i < slow.size(); ++i) {
                Slow& s = slow[i];
                if (s.fd < 0) {
                    if (now >= s.comeBack) Open(s, i, now);
                    continue;
                }
                if (polled[1 + i].revents) {
                    int status = AnswerStatus(ReadToEnd(s.fd));
                    ++answers_[status];
                    close(s.fd);
                    s.fd = -1;
                    s.comeBack = status == 503 ? now + std::chrono::seconds(1) : now;
                    continue;
                }
                if (plan_.kind == Kind::Drip && now >= s.nextByte && s.sent < kHead.size()) {
                    SendText(s.fd, kHead.substr(s.sent++, 1));
                    s.nextByte = now + std::chrono::seconds(4);
                }
            }
        }
        for (Slow& s : slow)
            if (s.fd >= 0) close(s.fd);
    }

    // A burst of bad requests every second; the clients read their answers
    // but close only when the burst after next goes out.
    void SendBurst() {
        std::vector<int> burst;
        for (std::size_t i = 0; i < plan_.connections; ++i) {
            int fd = ConnectLoopback(port_, Source(i).c_str(), kWaitSeconds);
            ++opened_;
            SendText(fd, "BAD\r\n\r\n");
            burst.push_back(fd);
        }
        bursts_.push_back(std::move(burst));
        if (bursts_.size() > 2) {
            for (int fd : bursts_.front()) close(fd);
            bursts_.pop_front();
        }
    }

    void RunBad() {
        for (;;) {
            for (int fd : bursts_.back()) {
                std::string answer;
                if (WaitReadable(fd, 1000)) answer = ReadToEnd(fd);
                ++answers_[AnswerStatus(answer)];
            }
            if (Stopped(1000)) break;
            SendBurst();
        }
        for (const auto& burst : bursts_)
            for (int fd : burst) close(fd);
    }

    std::uint16_t port_;
    Plan plan_;
    int peers_;
    int stop_[2] = {-1, -1};
    std::vector<Slow> slow_;
    std::deque<std::vector<int>> bursts_;
    std::map<int, long> answers_;
    long opened_ = 0;
    std::thread thread_;
};

struct Figures {
    int ok = 0;
    std::vector<double> ms;  // sorted

    double At(double fraction) const {
        if (ms.empty()) return 0;
        return ms[std::min(ms.size() - 1, static_cast<std::size_t>(fraction * static_cast<double>(ms.size())))];
    }
};

// Logins of the demo operator, one every 100 ms; each timed from connect to
// the end of the answer.
Figures TimeLogins(std::uint16_t port, int count) {
    Figures figures;
    auto next = Clock::now();
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_until(next);
        next += std::chrono::milliseconds(100);
        auto start = Clock::now();
        std::string answer = Exchange(port, LoginRequest("8001", "demo", "demo123"));
        figures.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (AnswerStatus(answer) == 200 && AnswerBody(answer).rfind("1 1001 ", 0) == 0) ++figures.ok;
    }
    std::sort(figures.ms.begin(), figures.ms.end());
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    int logins = 80;
    std::vector<int> spreads = {1, 10};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--logins") == 0 && i + 1 < argc)
            logins = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--peers") == 0 && i + 1 < argc)
            spreads = {std::clamp(std::atoi(argv[++i]), 1, 250)};
    }

    DemoServer server(TALLUX_SERVER);
    std::printf(
        "login of the demo operator from 127.0.0.1 to a local tallux-server with its default limits;\n"
        "%d logins per row, one every 100 ms, each timed from connect to the end of the answer;\n"
        "the attackers come from 127.0.0.2 on (one address, or ten: more connections than slots)\n\n",
        logins);
    std::printf("%-42s %-9s %7s %9s %9s %9s   %s\n", "attack", "from", "ok", "median", "p95", "max",
                "goal: every login <= 100 ms");
    auto print = [&](const char* name, const std::string& from, const Figures& f, const std::string& verdict) {
        std::printf("%-42s %-9s %3d/%-3d %6.2f ms %6.2f ms %6.2f ms   %s\n", name, from.c_str(), f.ok, logins,
                    f.At(0.5), f.At(0.95), f.ms.back(), verdict.c_str());
    };
    Figures baseline = TimeLogins(server.Port(), logins);
    print(kPlans[0].name, "-", baseline, "(baseline)");

    bool met = true;
    std::vector<std::string> answers;
    for (int peers : spreads) {
        std::string from = std::to_string(peers) + (peers == 1 ? " address" : " addr.");
        for (const Plan& plan : kPlans) {
            if (plan.kind == Kind::None) continue;
            Attacker attacker(server.Port(), plan, peers);
            Figures figures = TimeLogins(server.Port(), logins);
            attacker.Stop();
            bool good = figures.ok == logins && figures.ms.back() <= kGoalMs;
            met = met && good;
            char ratio[64];
            std::snprintf(ratio, sizeof ratio, " (median %.1fx the baseline)", figures.At(0.5) / baseline.At(0.5));
            print(plan.name, from, figures, (good ? "met" : "NOT met") + std::string(ratio));

            std::string line = "  " + std::string(plan.name) + ", " + from + ": " + std::to_string(attacker.Opened()) +
                               " connections;";
            for (const auto& [status, count] : attacker.Answers())
                line +=
                    " " + (status ? std::to_string(status) : std::string("no answer")) + " x" + std::to_string(count);
            answers.push_back(line);
        }
    }
    std::printf("\nwhat the attackers got:\n");
    for (const std::string& line : answers) std::printf("%s\n", line.c_str());
    return met ? 0 : 1;
}
