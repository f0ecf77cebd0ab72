#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "server/AccountDirectory.h"
#include "server/QueryString.h"

namespace tallux::server {

// ECLogin: checks site, account, digest, permission and clock in that order
// and answers with the result code or the session values (GBK text).
class LoginHandler {
public:
    using Clock = std::function<std::int64_t()>;

    LoginHandler(AccountDirectory& directory, Clock clock, std::int64_t clockWindowSeconds);

    std::string Handle(const QueryString& query);

private:
    std::string HandleChecked(const QueryString& query);

    AccountDirectory& directory_;
    Clock clock_;
    std::int64_t clockWindow_;
};

}  // namespace tallux::server
