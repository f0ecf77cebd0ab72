#pragma once

#include <iosfwd>
#include <string>

namespace tallux {

// True for the names DumpStore knows.
bool IsDumpableStore(const std::string& which);

// Writes one JSON object per record of the named store ("shipments",
// "goods", "weights", "scans", "contacts" or "goodsnames") to out, texts
// decoded from GBK. Returns the exit status; errors go to err. A store that
// cannot be read (a header that cannot be true, a directory in the file's
// place) is an error with the store's message, exit status 1; a missing
// file is an empty store.
int DumpStore(const std::string& programDirectory, const std::string& which, std::ostream& out, std::ostream& err);

}  // namespace tallux
