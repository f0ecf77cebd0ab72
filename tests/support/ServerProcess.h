#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tallux::test {

// One running program (tallux-server) that announces its port with a first
// line "listening on 127.0.0.1:PORT"; killed when the object goes, whatever
// happened in the test.
class ServerProcess {
public:
    ServerProcess(std::string program, std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        ReadPort(out[0]);
        close(out[0]);
    }

    ~ServerProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // 0 when the program did not announce a port.
    std::uint16_t Port() const { return static_cast<std::uint16_t>(port_); }
    const std::string& FirstLine() const { return line_; }

    // Sends a signal and goes on (SIGSTOP holds every answer until SIGCONT).
    void Signal(int signal) {
        if (pid_ > 0) kill(pid_, signal);
    }

    // Sends the signal and returns the exit status, or -1 when the process
    // did not exit normally (or not within a generous bound).
    int StopWith(int signal) {
        if (pid_ <= 0) return -1;
        kill(pid_, signal);
        for (int i = 0; i < 600; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

private:
    void ReadPort(int fd) {
        // Bounded: gives up after the output ends or 30 s without any.
        for (int i = 0; i < 256 && line_.find('\n') == std::string::npos; ++i) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 30000) <= 0) break;
            char c;
            if (read(fd, &c, 1) != 1) break;
            line_ += c;
        }
        const std::string prefix = "listening on 127.0.0.1:";
        if (line_.rfind(prefix, 0) == 0) port_ = std::atoi(line_.c_str() + prefix.size());
    }

    pid_t pid_ = -1;
    int port_ = 0;
    std::string line_;
};

}  // namespace tallux::test
