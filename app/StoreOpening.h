#pragma once

#include <optional>
#include <span>
#include <string>

namespace tallux {

struct ClientState;

// What start-up says when a record file cannot be opened, in opening order
// (contacts, shipments, goods lines, piece weights, checkpoint scans). The
// usual cause is another process holding the file's write lock.
std::span<const char* const> StoreOpenMessages();

// Opens the five stores of state below its program directory in that order
// (creating missing files) and stops at the first that fails: its message.
// The stores opened before stay open; nothing is repaired or removed.
std::optional<std::string> OpenStores(ClientState& state);

}  // namespace tallux
