#pragma once

#include <string>
#include <vector>

namespace tallux {

// Looks through every record file below a program directory without
// changing anything: headers that cannot be true, ids that are not
// positive, ascending and within lastId, texts without terminator (a record
// torn by an interrupted write), an unfinished delete or update, and goods lines or
// piece weights whose shipment does not exist. Returns one line per problem.
std::vector<std::string> CheckStores(const std::string& programDirectory);

}  // namespace tallux
