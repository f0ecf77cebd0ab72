#pragma once

#include <iosfwd>
#include <string>

namespace tallux {

// Creates the working folders below programDirectory and, when the stores
// are still empty, a few shipments with goods lines and piece weights,
// checkpoint events, contacts and a small goods name dictionary, so that a
// new installation has something to look at. Returns the exit status.
int WriteDemoData(const std::string& programDirectory, std::ostream& out, std::ostream& err);

}  // namespace tallux
