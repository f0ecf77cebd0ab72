#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallux::server {

// The answer of one guarded query: column names and rows (NULL as nullopt),
// or the reason it was refused or stopped.
struct GuardedQueryResult {
    std::optional<std::string> error;
    std::vector<std::string> columns;
    std::vector<std::vector<std::optional<std::string>>> rows;
};

// Runs SQL that contains text written by a client (the query conditions of
// the list pages) so that it can only read that customer's own rows:
// - a separate read-only connection without extensions, ATTACH or PRAGMA;
// - TEMP views named like the shipment tables that show only the
//   customer's rows; unqualified table names resolve to them first;
// - then an authorizer that admits SELECT, reads of those views (directly or
//   from inside them) and a list of harmless functions, and nothing else;
// - exactly one statement, and limits on text length and on the work done.
class ClientSqlGuard {
public:
    struct Limits {
        int maxTextBytes = 1'000'000;
        int maxSqlBytes = 64 * 1024;
        std::int64_t maxSteps = 20'000'000;  // virtual machine instructions
        std::size_t maxRows = 100'000;
    };

    explicit ClientSqlGuard(std::string dbPath);
    ClientSqlGuard(std::string dbPath, Limits limits);

    // sql is the whole statement, e.g. "SELECT iid FROM rec_pre_input WHERE " +
    // the client's condition.
    GuardedQueryResult RunCustomerQuery(std::int64_t customerId, std::string_view sql) const;

    // The tables a customer query may name.
    static const std::vector<std::string_view>& CustomerTables();

private:
    std::string dbPath_;
    Limits limits_;
};

}  // namespace tallux::server
