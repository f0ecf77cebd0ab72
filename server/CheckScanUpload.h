#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/ServerDatabase.h"
#include "server/TransactionCaller.h"

namespace tallux::server {

// Operation 4: one checkpoint scan uploaded as a call of one of the three
// language variants of the scan procedure (data GBK), stored in
// cp_check_detail under the caller's customer. Answers the new scan's id,
// or -1 when the call does not fit (the scan page reads -2 and -3 as
// "unknown number" and "already delivered"). An answered id is on the disk.
std::string CheckScanUploadAnswer(ServerDatabase& database, const TransactionCaller& caller, std::int32_t localId,
                                  std::string_view data);

}  // namespace tallux::server
