#pragma once

#include <iosfwd>
#include <string>

#include "net/ServerSettings.h"

namespace tallux {

// Logs in to the server and prints the session values as one JSON object.
// A refusal or transport failure prints the client's message to err and
// returns 1.
int LoginToServer(const ServerSettings& settings, const std::string& account, const std::string& password,
                  std::ostream& out, std::ostream& err);

}  // namespace tallux
