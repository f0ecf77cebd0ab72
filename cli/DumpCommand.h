#pragma once

#include <iosfwd>
#include <string>

namespace tallux {

// Writes one JSON object per record of the named store ("shipments",
// "goods", "weights", "scans", "contacts" or "goodsnames") to out, texts
// decoded from GBK. Returns the exit status; errors go to err.
int DumpStore(const std::string& programDirectory, const std::string& which, std::ostream& out, std::ostream& err);

}  // namespace tallux
