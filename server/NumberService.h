#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "server/ServerDatabase.h"
#include "server/TransactionCaller.h"

namespace tallux::server {

// Operation 12: hands out the next number of the sequence stored for the
// key the client sends (its DATA). Every number is given once: the counter
// moves inside an immediate transaction, so other connections and later
// runs never see the same value.
class NumberService {
public:
    static constexpr std::size_t kMinNumberBytes = 8;
    static constexpr std::size_t kMaxNumberBytes = 30;
    static constexpr std::size_t kMaxKeyBytes = 31;

    // refusedKeys: keys answered as not configured, so clients' fallbacks
    // can be exercised.
    explicit NumberService(ServerDatabase& db, std::vector<std::string> refusedKeys = {});

    // The whole answer: "1\n" and the number (GBK), or a negative code.
    std::string Answer(const TransactionCaller& caller, std::string_view keyGbk);

private:
    ServerDatabase& db_;
    std::set<std::string, std::less<>> refused_;
};

}  // namespace tallux::server
