#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/NumberService.h"
#include "server/ServerDatabase.h"
#include "server/TransactionCaller.h"
#include "server/TransactionRequest.h"

namespace tallux::server {

// ECTrans: checks the envelope, the site, the account and its session, then
// answers the operation. Every answer is "<code>\n<payload>"; malformed or
// unauthorised requests get the negative code of their first fault. A
// session idle too long (ServerDatabase's SessionLimits) is answered as one
// never issued.
class TransactionHandler {
public:
    // The current time in seconds; the system's when empty.
    using Clock = std::function<std::int64_t()>;

    explicit TransactionHandler(ServerDatabase& db, std::vector<std::string> refusedNumberKeys = {}, Clock clock = {});

    std::string Handle(std::string_view body);

private:
    std::string HandleChecked(std::string_view body);
    std::optional<TransactionCaller> FindCaller(const TransactionRequest& request, int& code);

    ServerDatabase& db_;
    NumberService numbers_;
    Clock clock_;
};

}  // namespace tallux::server
