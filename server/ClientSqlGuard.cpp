#include "server/ClientSqlGuard.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <iterator>
#include <memory>

namespace tallux::server {

namespace {

// Each customer view: name, and the filter on the main table of that name.
// Child tables are filtered through their parent.
struct ViewDefinition {
    std::string_view name;
    std::string_view filterBeforeId;
};

constexpr std::array<ViewDefinition, 9> kViews{{
    {"rec_pre_input", "icid = "},
    {"rec_pre_input_goods", "iid IN (SELECT iid FROM main.rec_pre_input WHERE icid = "},
    {"rec_pre_input_item", "iid IN (SELECT iid FROM main.rec_pre_input WHERE icid = "},
    {"client_rec", "icid = "},
    {"client_rec_goods", "irid IN (SELECT irid FROM main.client_rec WHERE icid = "},
    {"client_rec_weight_detail", "irid IN (SELECT irid FROM main.client_rec WHERE icid = "},
    {"client_rec_pic", "irid IN (SELECT irid FROM main.client_rec WHERE icid = "},
    {"cp_check_detail", "icid = "},
    {"client_fee", "icid = "},
}};

// Deterministic, bounded functions. Left out on purpose: randomblob,
// zeroblob, printf/format (width arguments), load_extension and the
// sqlite_* introspection functions.
constexpr std::string_view kFunctions[] = {
    "abs",    "avg",    "char",    "coalesce",  "count",   "date",      "datetime", "glob",      "hex",
    "ifnull", "iif",    "instr",   "julianday", "length",  "like",      "lower",    "ltrim",     "max",
    "min",    "nullif", "replace", "round",     "rtrim",   "strftime",  "substr",   "substring", "sum",
    "time",   "total",  "trim",    "typeof",    "unicode", "unixepoch", "upper",    "sign",
};

bool IsView(const char* name) {
    if (!name) return false;
    return std::any_of(kViews.begin(), kViews.end(), [&](const ViewDefinition& v) { return v.name == name; });
}

bool IsAllowedFunction(const char* name) {
    if (!name) return false;
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return std::find(std::begin(kFunctions), std::end(kFunctions), lower) != std::end(kFunctions);
}

int Authorize(void*, int action, const char* arg1, const char* arg2, const char* database, const char* context) {
    switch (action) {
    case SQLITE_SELECT: return SQLITE_OK;
    case SQLITE_READ:
        // A column of one of the customer views, or a read the view's
        // own definition makes.
        if (IsView(context)) return SQLITE_OK;
        if (database && std::strcmp(database, "temp") == 0 && IsView(arg1)) return SQLITE_OK;
        return SQLITE_DENY;
    case SQLITE_FUNCTION: return IsAllowedFunction(arg2) ? SQLITE_OK : SQLITE_DENY;
    default: return SQLITE_DENY;
    }
}

struct WorkBudget {
    std::int64_t callsLeft;
};

int CountWork(void* data) {
    auto* budget = static_cast<WorkBudget*>(data);
    return --budget->callsLeft < 0 ? 1 : 0;
}

constexpr int kStepsPerCall = 1000;

class Connection {
public:
    ~Connection() { sqlite3_close(db_); }
    sqlite3* db_ = nullptr;
};

std::string Message(sqlite3* db, std::string_view prefix) { return std::string(prefix) + sqlite3_errmsg(db); }

}  // namespace

ClientSqlGuard::ClientSqlGuard(std::string dbPath) : ClientSqlGuard(std::move(dbPath), Limits{}) {}

ClientSqlGuard::ClientSqlGuard(std::string dbPath, Limits limits) : dbPath_(std::move(dbPath)), limits_(limits) {}

const std::vector<std::string_view>& ClientSqlGuard::CustomerTables() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> all;
        for (const ViewDefinition& v : kViews) all.push_back(v.name);
        return all;
    }();
    return names;
}

GuardedQueryResult ClientSqlGuard::RunCustomerQuery(std::int64_t customerId, std::string_view sql) const {
    GuardedQueryResult result;
    if (sql.size() > static_cast<std::size_t>(limits_.maxSqlBytes)) {
        result.error = "query refused: the query text is too long";
        return result;
    }
    Connection connection;
    if (sqlite3_open_v2(dbPath_.c_str(), &connection.db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        result.error = connection.db_ ? Message(connection.db_, "database error: ") : "database error: out of memory";
        return result;
    }
    sqlite3* db = connection.db_;
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, limits_.maxTextBytes);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, limits_.maxSqlBytes);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(db, SQLITE_LIMIT_EXPR_DEPTH, 100);
    sqlite3_limit(db, SQLITE_LIMIT_COMPOUND_SELECT, 8);
    sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 1000);
    sqlite3_limit(db, SQLITE_LIMIT_FUNCTION_ARG, 8);

    // Parameters are not allowed in view definitions; the id is an integer
    // formatted here, never text from the client.
    std::string setup;
    for (const ViewDefinition& view : kViews) {
        setup += "CREATE TEMP VIEW " + std::string(view.name) + " AS SELECT * FROM main." + std::string(view.name) +
                 " WHERE " + std::string(view.filterBeforeId) + std::to_string(customerId);
        if (view.filterBeforeId.find('(') != std::string_view::npos) setup += ")";
        setup += ";\n";
    }
    char* setupError = nullptr;
    if (sqlite3_exec(db, setup.c_str(), nullptr, nullptr, &setupError) != SQLITE_OK) {
        result.error = std::string("database error: ") + (setupError ? setupError : "setup failed");
        sqlite3_free(setupError);
        return result;
    }

    sqlite3_set_authorizer(db, Authorize, nullptr);
    WorkBudget budget{limits_.maxSteps / kStepsPerCall};
    sqlite3_progress_handler(db, kStepsPerCall, CountWork, &budget);

    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &tail);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
    if (rc != SQLITE_OK) {
        result.error = Message(db, "query refused: ");
        return result;
    }
    if (!stmt) {
        result.error = "query refused: no statement";
        return result;
    }
    std::string_view rest(tail, static_cast<std::size_t>(sql.data() + sql.size() - tail));
    if (rest.find_first_not_of(" \t\r\n;") != std::string_view::npos) {
        result.error = "query refused: only one statement is allowed";
        return result;
    }
    if (!sqlite3_stmt_readonly(stmt.get())) {
        result.error = "query refused: only reading is allowed";
        return result;
    }

    int columns = sqlite3_column_count(stmt.get());
    for (int c = 0; c < columns; ++c) {
        const char* name = sqlite3_column_name(stmt.get(), c);
        result.columns.emplace_back(name ? name : "");
    }
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        if (result.rows.size() >= limits_.maxRows) {
            result.error = "query stopped: more than " + std::to_string(limits_.maxRows) + " rows";
            break;
        }
        auto& row = result.rows.emplace_back();
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(stmt.get(), c);
            if (text) {
                row.emplace_back(std::string(reinterpret_cast<const char*>(text),
                                             static_cast<std::size_t>(sqlite3_column_bytes(stmt.get(), c))));
            } else if (sqlite3_column_type(stmt.get(), c) == SQLITE_NULL) {
                row.emplace_back(std::nullopt);
            } else {
                row.emplace_back(std::string());  // out of memory turning a value into text
            }
        }
    }
    if (!result.error && rc != SQLITE_DONE) {
        result.error = rc == SQLITE_INTERRUPT ? "query stopped: too much work" : Message(db, "query failed: ");
    }
    if (result.error) {
        result.columns.clear();
        result.rows.clear();
    }
    return result;
}

}  // namespace tallux::server
