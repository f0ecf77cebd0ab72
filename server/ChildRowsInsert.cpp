#include "server/ChildRowsInsert.h"

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "server/SqliteStatement.h"

namespace tallux::server {

namespace {

constexpr std::string_view kSchemaPrefix = "varno.dbo.";
// SQLite refuses compounds of more than 500 terms; a large shipment's rows
// are written in several statements of at most this many.
constexpr std::size_t kTermsPerStatement = 400;
constexpr int kStepsPerCall = 1000;
constexpr std::int64_t kMaxCalls = 20'000;  // 20 million instructions per statement

bool IsNameByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// The keyword at `at` as a whole word, case-insensitive.
bool WordAt(std::string_view text, std::size_t at, std::string_view word) {
    if (at + word.size() > text.size() || !SameName(text.substr(at, word.size()), word)) return false;
    if (at > 0 && IsNameByte(text[at - 1])) return false;
    std::size_t end = at + word.size();
    return end == text.size() || !IsNameByte(text[end]);
}

// The client's text with the placeholder replaced and the schema prefix
// dropped (outside quotes only), cut into the INSERT head and the select
// terms of its top-level "union all" compound.
struct Rewritten {
    std::string text;
    std::optional<std::size_t> firstSelect;
    // For each top-level "union all": where "union" starts and where the
    // next term starts.
    std::vector<std::pair<std::size_t, std::size_t>> unions;
};

std::optional<Rewritten> Rewrite(std::string_view sql, std::int64_t parentId) {
    Rewritten out;
    const std::string id = std::to_string(parentId);
    int depth = 0;
    std::size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            // Quoted text or name, copied as it is; a doubled closing
            // character stays inside.
            char close = c == '[' ? ']' : c;
            std::size_t end = i + 1;
            for (;;) {
                end = sql.find(close, end);
                if (end == std::string_view::npos) return std::nullopt;
                if (close != ']' && end + 1 < sql.size() && sql[end + 1] == close) {
                    end += 2;
                    continue;
                }
                break;
            }
            out.text.append(sql.substr(i, end + 1 - i));
            i = end + 1;
            continue;
        }
        // The client writes no comments; they would only hide text.
        if (sql.substr(i).starts_with("--") || sql.substr(i).starts_with("/*")) return std::nullopt;
        if (sql.substr(i).starts_with(kParentIdPlaceholder)) {
            out.text += id;
            i += kParentIdPlaceholder.size();
            continue;
        }
        if ((i == 0 || !IsNameByte(sql[i - 1])) && sql.size() - i >= kSchemaPrefix.size() &&
            SameName(sql.substr(i, kSchemaPrefix.size()), kSchemaPrefix)) {
            i += kSchemaPrefix.size();
            continue;
        }
        if (c == '(') ++depth;
        if (c == ')' && --depth < 0) return std::nullopt;
        if (depth == 0 && !out.firstSelect && WordAt(sql, i, "select")) out.firstSelect = out.text.size();
        if (depth == 0 && out.firstSelect && WordAt(sql, i, "union")) {
            std::size_t after = i + 5;
            while (after < sql.size() &&
                   (sql[after] == ' ' || sql[after] == '\t' || sql[after] == '\r' || sql[after] == '\n'))
                ++after;
            if (WordAt(sql, after, "all")) {
                std::size_t unionStart = out.text.size();
                out.text.append(sql.substr(i, after + 3 - i));
                out.unions.emplace_back(unionStart, out.text.size());
                i = after + 3;
                continue;
            }
        }
        out.text += c;
        ++i;
    }
    return out;
}

// The statements to run: the text as it is, or for a compound beyond
// SQLite's limit the head with successive groups of its terms.
std::vector<std::string> Statements(const Rewritten& rewritten) {
    if (!rewritten.firstSelect || rewritten.unions.size() < kTermsPerStatement) return {rewritten.text};
    const std::string& text = rewritten.text;
    std::string head = text.substr(0, *rewritten.firstSelect);
    std::vector<std::string> terms;
    std::size_t start = *rewritten.firstSelect;
    for (const auto& [unionStart, next] : rewritten.unions) {
        terms.push_back(text.substr(start, unionStart - start));
        start = next;
    }
    terms.push_back(text.substr(start));
    std::vector<std::string> statements;
    for (std::size_t first = 0; first < terms.size(); first += kTermsPerStatement) {
        std::string statement = head;
        for (std::size_t t = first; t < terms.size() && t < first + kTermsPerStatement; ++t) {
            if (t > first) statement += " union all ";
            statement += terms[t];
        }
        statements.push_back(std::move(statement));
    }
    return statements;
}

struct Permit {
    const ChildTable* table;
    bool insertSeen = false;
    int parentKeyReads = 0;
};

int Authorize(void* data, int action, const char* arg1, const char* arg2, const char* database, const char*) {
    auto* permit = static_cast<Permit*>(data);
    const ChildTable& table = *permit->table;
    switch (action) {
    case SQLITE_SELECT: return SQLITE_OK;
    case SQLITE_INSERT:
        if (arg1 && database && SameName(database, "main") && SameName(arg1, table.name)) {
            permit->insertSeen = true;
            return SQLITE_OK;
        }
        return SQLITE_DENY;
    case SQLITE_READ:
        // The foreign key check reads the parent's key once (and
        // ignoring that read would fail every row). Any other read,
        // that key included, shows up as a second one.
        if (arg1 && arg2 && database && SameName(database, "main") && SameName(arg1, table.parentTable) &&
            SameName(arg2, table.parentKey)) {
            ++permit->parentKeyReads;
            return SQLITE_OK;
        }
        return SQLITE_DENY;
    default: return SQLITE_DENY;
    }
}

int CountWork(void* data) {
    auto* callsLeft = static_cast<std::int64_t*>(data);
    return --*callsLeft < 0 ? 1 : 0;
}

// Installs the authorizer and the work limit for one statement and removes
// them whatever happens.
class Guard {
public:
    Guard(sqlite3* db, Permit& permit) : db_(db) {
        sqlite3_set_authorizer(db_, Authorize, &permit);
        sqlite3_progress_handler(db_, kStepsPerCall, CountWork, &callsLeft_);
    }
    ~Guard() {
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
        sqlite3_set_authorizer(db_, nullptr, nullptr);
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    sqlite3* db_;
    std::int64_t callsLeft_ = kMaxCalls;
};

// Runs one statement; the number of rows it inserted, or nullopt.
std::optional<std::int64_t> RunGuarded(sqlite3* db, const std::string& sql, const ChildTable& table) {
    Permit permit{&table};
    Guard guard(db, permit);
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    if (rc != SQLITE_OK || !statement) return std::nullopt;
    std::string_view rest(tail, static_cast<std::size_t>(sql.c_str() + sql.size() - tail));
    if (rest.find_first_not_of(" \t\r\n;") != std::string_view::npos) return std::nullopt;
    // RETURNING would hand rows back; a read-only statement inserts nothing.
    if (!permit.insertSeen || permit.parentKeyReads != 1 || sqlite3_stmt_readonly(statement.get()) ||
        sqlite3_column_count(statement.get()) != 0)
        return std::nullopt;
    if (sqlite3_step(statement.get()) != SQLITE_DONE) return std::nullopt;
    return sqlite3_changes64(db);
}

}  // namespace

bool InsertChildRows(sqlite3* db, std::string_view sql, const ChildTable& table, std::int64_t parentId) {
    if (sql.find_first_not_of(" \t\r\n") == std::string_view::npos) return true;
    std::optional<Rewritten> rewritten = Rewrite(sql, parentId);
    if (!rewritten) return false;
    std::int64_t inserted = 0;
    for (const std::string& statement : Statements(*rewritten)) {
        std::optional<std::int64_t> rows = RunGuarded(db, statement, table);
        if (!rows) return false;
        inserted += *rows;
    }
    // The record is new: every row of it came from this text, and every row
    // this text wrote must be one of them.
    SqliteStatement count(db, "SELECT count(*) FROM main." + std::string(table.name) + " WHERE " +
                                  std::string(table.parentColumn) + " = ?");
    count.Bind(1, parentId).Step();
    return count.Int(0) == inserted;
}

}  // namespace tallux::server
