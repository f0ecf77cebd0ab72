#pragma once

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/ServerProcess.h"
#include "tests/support/TempDir.h"

namespace tallux::test {

// tallux-server on a fresh demo database in a temporary directory, on a free
// loopback port; stopped and removed with the object.
class DemoServer {
public:
    explicit DemoServer(const std::string& program, std::vector<std::string> extraArguments = {})
        : database_(directory_.File("server.db")) {
        std::string command = program + " --db '" + database_ + "' --init-demo >/dev/null";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("tallux-server --init-demo failed");
        std::vector<std::string> arguments = {"--db", database_, "--listen", "127.0.0.1:0"};
        arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
        process_ = std::make_unique<ServerProcess>(program, arguments);
        if (process_->Port() == 0) throw std::runtime_error("tallux-server did not start: " + process_->FirstLine());
    }

    std::uint16_t Port() const { return process_->Port(); }
    // Holds the server: connections are still accepted by the system, but
    // nothing is answered until Resume.
    void Pause() { process_->Signal(SIGSTOP); }
    void Resume() { process_->Signal(SIGCONT); }
    const TempDir& Directory() const { return directory_; }
    const std::string& Database() const { return database_; }

private:
    TempDir directory_;
    std::string database_;
    std::unique_ptr<ServerProcess> process_;
};

}  // namespace tallux::test
