#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "server/Account.h"

namespace tallux::server {

// What the login needs from storage. Every method throws DatabaseError when
// the storage fails.
class AccountDirectory {
public:
    virtual ~AccountDirectory() = default;

    virtual bool SiteExists(std::string_view siteId) = 0;
    virtual std::optional<Account> FindAccount(std::string_view siteId, std::string_view account) = 0;
    // Records a new session and returns its number (> 0).
    virtual std::int32_t CreateSession(const Account& account, std::int64_t now) = 0;
};

}  // namespace tallux::server
