#pragma once

#include <cstdint>
#include <string>

namespace tallux::server {

// Who sent a transaction, as its stored session says (texts UTF-8).
struct TransactionCaller {
    std::string siteId;
    std::string account;
    std::int32_t customerId = 0;
    std::int32_t memberMode = 0;  // 1 direct records, otherwise pre-entries
    bool numberService = false;
};

}  // namespace tallux::server
