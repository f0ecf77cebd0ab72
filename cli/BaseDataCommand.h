#pragma once

#include <iosfwd>
#include <string>

#include "cli/LoginCommand.h"

namespace tallux {

// Downloads the base data into DATA_SYS/0.dat below programDirectory and
// emskind.txt into the program directory, loads both and prints the counts
// as JSON. A failure prints the message the operator would see and returns 1.
int UpdateBaseData(CliSession& cli, const ServerSettings& settings, const std::string& programDirectory,
                   std::ostream& out, std::ostream& err);

}  // namespace tallux
