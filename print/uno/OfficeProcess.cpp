#include "print/uno/OfficeProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <string_view>
#include <thread>

extern char** environ;

namespace tallux {

bool OfficeProcess::Spawn(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment) {
    Stop(std::chrono::milliseconds(0));
    // Everything the child needs is prepared before fork: after it only
    // async-signal-safe calls are allowed.
    std::string path = program.string();
    std::vector<char*> argv;
    argv.push_back(path.data());
    std::vector<std::string> copies(arguments);
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables(environment);
    std::vector<char*> envp;
    for (std::string& variable : variables) envp.push_back(variable.data());
    for (char** inherited = environ; *inherited; ++inherited) {
        std::string_view entry(*inherited);
        std::string_view name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& variable : environment)
            replaced = replaced || variable.compare(0, name.size(), name) == 0;
        if (!replaced) envp.push_back(*inherited);
    }
    envp.push_back(nullptr);
    pid_t parent = ::getpid();
    // The child is killed when the thread that started it ends: only the
    // main thread lives as long as the program. An office started from a
    // worker thread outlives a crash instead (the next run reuses it).
    bool killWithParent = ::gettid() == parent;

    pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (killWithParent) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) ::_exit(127);
        }
        ::setpgid(0, 0);
        int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execve(path.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);  // also here, so that Stop finds the group at once
    pid_ = pid;
    status_.reset();
    return true;
}

std::optional<int> OfficeProcess::Exited() {
    if (status_ || pid_ <= 0) return status_;
    int status = 0;
    pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_ || (done < 0 && errno == ECHILD)) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1;
        if (done < 0) status_ = 1;
    }
    return status_;
}

void OfficeProcess::Terminate(std::chrono::milliseconds grace) {
    if (pid_ > 0 && !Exited()) ::kill(pid_, SIGTERM);
    Stop(grace);
}

void OfficeProcess::Stop(std::chrono::milliseconds grace) {
    if (pid_ <= 0) return;
    auto deadline = std::chrono::steady_clock::now() + grace;
    while (!Exited() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!Exited()) {
        ::kill(-pid_, SIGKILL);  // the office and whatever it started
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        status_ = 128 + SIGKILL;
    }
    pid_ = 0;
}

}  // namespace tallux
