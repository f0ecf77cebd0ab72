#pragma once

#include <cstdint>
#include <string>

#include "server/ServerDatabase.h"
#include "server/TransactionCaller.h"

namespace tallux::server {

// Operation 11: the caller's customer's pre-entry iid with its goods lines
// and pieces, as 0x07 "<TAG>" value "</TAG>" 0x07 elements after "1\n";
// "0\n" when the customer has no pre-entry with that id.
std::string PreEntryAnswer(ServerDatabase& db, const TransactionCaller& caller, std::int32_t iid);

}  // namespace tallux::server
