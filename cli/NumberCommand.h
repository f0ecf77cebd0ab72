#pragma once

#include <iosfwd>
#include <string>

#include "cli/LoginCommand.h"

namespace tallux {

// Fetches one number from the server's number service for key (a kind's
// number key) and prints it as JSON; 1 with a message when the session has
// no number service or the server gives none.
int FetchOneNumber(const CliSession& cli, const ServerSettings& settings, const std::string& key, std::ostream& out,
                   std::ostream& err);

}  // namespace tallux
