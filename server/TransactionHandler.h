#pragma once

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
// unauthorised requests get the negative code of their first fault.
class TransactionHandler {
public:
    explicit TransactionHandler(ServerDatabase& db, std::vector<std::string> refusedNumberKeys = {});

    std::string Handle(std::string_view body);

private:
    std::string HandleChecked(std::string_view body);
    std::optional<TransactionCaller> FindCaller(const TransactionRequest& request, int& code);

    ServerDatabase& db_;
    NumberService numbers_;
};

}  // namespace tallux::server
