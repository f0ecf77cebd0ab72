#pragma once

#include <iosfwd>
#include <string>

namespace tallux {

// True for the names DumpStore knows.
bool IsDumpableStore(const std::string& which);

// Writes one JSON object per record of the named store ("shipments",
// "goods", "weights", "scans", "contacts" or "goodsnames") to out, texts
// decoded from GBK. Returns the exit status; errors go to err.
int DumpStore(const std::string& programDirectory, const std::string& which, std::ostream& out, std::ostream& err);

}  // namespace tallux
