#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "net/LoginSession.h"
#include "net/ServerSettings.h"

namespace tallux {

// A logged-in connection to the server for one command.
struct CliSession {
    ServerAddress server;
    SessionValues session;
};

// Logs in; on failure writes the client's message to err and returns nothing.
std::optional<CliSession> LogInForCommand(const ServerSettings& settings, const std::string& account,
                                          const std::string& password, std::ostream& err);

// Logs in to the server and prints the session values as one JSON object.
// A refusal or transport failure prints the client's message to err and
// returns 1.
int LoginToServer(const ServerSettings& settings, const std::string& account, const std::string& password,
                  std::ostream& out, std::ostream& err);

}  // namespace tallux
