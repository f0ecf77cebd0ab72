#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/ConnectionLimits.h"
#include "server/SessionLimits.h"

namespace tallux::server {

// The command line of tallux-server.
struct ServerOptions {
    std::string dbPath;
    std::string host = "127.0.0.1";
    std::uint16_t port = 8080;
    bool initDemo = false;
    bool force = false;
    std::int64_t clockWindowSeconds = 600;
    std::string redirect;
    std::vector<std::string> refusedNumberKeys;  // the number service answers these as unknown
    SessionLimits sessions;
    ConnectionLimits connections;  // --head-timeout, --min-body-rate, --max-per-peer
    bool help = false;
};

// Fills options from argv (without the program name); on a usage error
// returns the message and leaves options partly filled.
std::optional<std::string> ParseServerOptions(const std::vector<std::string>& args, ServerOptions& options);

std::string ServerUsage();

}  // namespace tallux::server
