#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/RecordFileSnapshot.h"

namespace tallux {

// Looks through every record file below a program directory without
// changing anything: files that cannot be read (something other than a
// file in a record file's place), headers that cannot be true, ids that are
// not positive, ascending and within lastId, texts without terminator (a
// record torn by an interrupted write), an unfinished delete or update,
// goods lines or piece weights whose shipment does not exist (also when the
// shipment file is missing), and shipments whose goods-line or piece-weight
// count differs from the children the child files hold for them. Returns
// one line per problem.
std::vector<std::string> CheckStores(const std::string& programDirectory);

// Why path cannot be a store file although something stands there: a
// directory, a pipe or anything else that is not a regular file, which a
// snapshot would read as an empty store (or block on). Empty for a regular
// file and for a missing one (an empty store).
std::optional<std::string> NonFileProblem(const std::string& path);

// Loads the record file at path as RecordFileSnapshot::Load does, refusing
// also what NonFileProblem names. Returns the error text when it cannot be
// read; a missing file loads as an empty store.
std::optional<std::string> LoadStoreSnapshot(const std::string& path, int recordSize, RecordFileSnapshot& snapshot);

}  // namespace tallux
