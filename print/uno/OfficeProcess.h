#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tallux {

// A helper process such as the office the engine talks to: started in a
// process group of its own with its output discarded, killed with this
// program when started from its main thread, and stopped by its id only.
class OfficeProcess {
public:
    OfficeProcess() = default;
    ~OfficeProcess() { Stop(std::chrono::milliseconds(0)); }
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    // Starts program with arguments (a running process is stopped first),
    // in this process's environment plus the NAME=value entries of
    // environment.
    bool Spawn(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment = {});
    // The exit status once the process has ended (it is reaped then);
    // nullopt while it runs or when none was started. Killed: 128 + signal.
    std::optional<int> Exited();
    bool Running() { return pid_ > 0 && !Exited(); }
    pid_t Pid() const { return pid_; }
    // Waits up to grace for the process to end by itself, then kills its
    // group and reaps it.
    void Stop(std::chrono::milliseconds grace);
    // Asks the process to end (SIGTERM), then Stop(grace).
    void Terminate(std::chrono::milliseconds grace);

private:
    pid_t pid_ = 0;
    std::optional<int> status_;
};

}  // namespace tallux
