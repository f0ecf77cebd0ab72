#include "server/ServerDatabase.h"

#include <sqlite3.h>

#include <algorithm>

#include "server/DatabaseError.h"
#include "server/Schema.h"
#include "server/SqliteStatement.h"

namespace tallux::server {

namespace {

// The level everyday writes commit at; WriteDurably raises it for its own.
constexpr char kEverydaySync[] = "PRAGMA synchronous=NORMAL";

// Expired sessions one login removes: more than it adds, so they drain,
// but never the whole backlog in one request.
constexpr int kPruneBatch = 64;

// Limits as the statements can take them: a live session's number of seconds
// stays far from overflow, and an account keeps at least the new one.
SessionLimits Sane(SessionLimits limits) {
    constexpr std::int64_t kCentury = std::int64_t{100} * 366 * 24 * 60 * 60;
    limits.idleSeconds = std::clamp<std::int64_t>(limits.idleSeconds, 0, kCentury);
    limits.perAccount = std::max(limits.perAccount, 1);
    return limits;
}

}  // namespace

ServerDatabase::ServerDatabase(const std::string& path, SessionLimits sessions)
    : sessions_(Sane(sessions)), random_(std::random_device{}()) {
    int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw DatabaseError("cannot open " + path + ": " + message);
    }
    try {
        sqlite3_busy_timeout(db_, 5000);
        ExecSql(db_, "PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON;");
        ExecSql(db_, kEverydaySync);
        ApplySchema();
    } catch (const DatabaseError& e) {
        sqlite3_close(db_);
        throw DatabaseError(path + ": " + e.what());
    }
}

ServerDatabase::~ServerDatabase() { sqlite3_close(db_); }

void ServerDatabase::ApplySchema() {
    ExecSql(db_, "BEGIN IMMEDIATE");
    try {
        std::int64_t stored = 0;  // 0: a new database
        {
            // Finished before the upgrade runs: open statements would stop a DROP TABLE.
            SqliteStatement known(db_, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'");
            if (known.Step()) {
                SqliteStatement version(db_, "SELECT max(version) FROM schema_version");
                version.Step();
                if (!version.IsNull(0)) stored = version.Int(0);
            }
        }
        if (stored > kSchemaVersion) {
            throw DatabaseError("database schema version " + std::to_string(stored) + " is newer than this server (" +
                                std::to_string(kSchemaVersion) + ")");
        }
        for (std::int64_t from = stored; from >= 1 && from < kSchemaVersion; ++from)
            ExecSql(db_, SchemaUpgradeSql(static_cast<int>(from)));
        ExecSql(db_, SchemaSql());
        if (stored == 0) {
            SqliteStatement insert(db_, "INSERT INTO schema_version(version) VALUES(?)");
            insert.Bind(1, kSchemaVersion).Step();
        } else if (stored < kSchemaVersion) {
            SqliteStatement update(db_, "UPDATE schema_version SET version = ?");
            update.Bind(1, kSchemaVersion).Step();
        }
        ExecSql(db_, "COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

int ServerDatabase::SchemaVersion() {
    std::lock_guard lock(mutex_);
    SqliteStatement version(db_, "SELECT max(version) FROM schema_version");
    version.Step();
    return static_cast<int>(version.Int(0));
}

bool ServerDatabase::SiteExists(std::string_view siteId) {
    std::lock_guard lock(mutex_);
    SqliteStatement query(db_, "SELECT 1 FROM sites WHERE site_id = ?");
    query.Bind(1, siteId);
    return query.Step();
}

std::optional<Account> ServerDatabase::FindAccount(std::string_view siteId, std::string_view account) {
    std::lock_guard lock(mutex_);
    SqliteStatement query(db_,
                          "SELECT password, customer_id, member_mode, option_number, picture_flag,"
                          " number_service_flag, short_code, permission_flag, station_code, second_code,"
                          " place_zh, detail_zh, place_en, detail_en"
                          " FROM accounts WHERE site_id = ? AND account = ?");
    query.Bind(1, siteId).Bind(2, account);
    if (!query.Step()) return std::nullopt;
    Account found;
    found.siteId = siteId;
    found.name = account;
    found.password = query.Text(0);
    found.customerId = static_cast<std::int32_t>(query.Int(1));
    found.memberMode = static_cast<std::int32_t>(query.Int(2));
    found.optionNumber = static_cast<std::int32_t>(query.Int(3));
    found.pictureFlag = query.Int(4) != 0;
    found.numberServiceFlag = query.Int(5) != 0;
    found.shortCode = query.Text(6);
    found.permission = query.Int(7) != 0;
    if (!query.IsNull(8)) {
        found.checkpoint = CheckpointLines{query.Text(8),  query.Text(9),  query.Text(10),
                                           query.Text(11), query.Text(12), query.Text(13)};
    }
    return found;
}

std::int32_t ServerDatabase::CreateSession(const Account& account, std::int64_t now) {
    std::lock_guard lock(mutex_);
    ExecSql(db_, "BEGIN IMMEDIATE");
    try {
        SqliteStatement prune(db_,
                              "DELETE FROM sessions WHERE session_number IN"
                              " (SELECT session_number FROM sessions WHERE last_used_at < ? LIMIT ?)");
        prune.Bind(1, now - sessions_.idleSeconds).Bind(2, kPruneBatch).Step();
        // Room for the new one: the account keeps its most recently used others.
        SqliteStatement trim(db_,
                             "DELETE FROM sessions WHERE site_id = ?1 AND account = ?2 AND session_number NOT IN"
                             " (SELECT session_number FROM sessions WHERE site_id = ?1 AND account = ?2"
                             "  ORDER BY last_used_at DESC, login_serial DESC LIMIT ?3)");
        trim.Bind(1, account.siteId).Bind(2, account.name).Bind(3, std::int64_t{sessions_.perAccount} - 1).Step();

        std::uniform_int_distribution<std::int32_t> numbers(1, INT32_MAX);
        SqliteStatement insert(db_,
                               "INSERT OR IGNORE INTO sessions(session_number, site_id, account, customer_id,"
                               " created_at, last_used_at, login_serial)"
                               " SELECT ?1, ?2, ?3, ?4, ?5, ?5, coalesce(max(login_serial), 0) + 1"
                               " FROM sessions WHERE site_id = ?2 AND account = ?3");
        // A collision among 2^31 numbers is rare; a few draws settle it.
        for (int attempt = 0; attempt < 16; ++attempt) {
            std::int32_t number = numbers(random_);
            insert.Reset();
            insert.Bind(1, number).Bind(2, account.siteId).Bind(3, account.name).Bind(4, account.customerId);
            insert.Bind(5, now).Step();
            if (sqlite3_changes(db_) == 1) {
                ExecSql(db_, "COMMIT");
                return number;
            }
        }
        throw DatabaseError("no free session number");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::optional<std::int32_t> ServerDatabase::UseSession(std::int32_t number, std::string_view siteId,
                                                       std::string_view account, std::int64_t now) {
    std::lock_guard lock(mutex_);
    SqliteStatement find(db_,
                         "SELECT customer_id, last_used_at FROM sessions"
                         " WHERE session_number = ? AND site_id = ? AND account = ?");
    find.Bind(1, number).Bind(2, siteId).Bind(3, account);
    if (!find.Step()) return std::nullopt;
    const auto customer = static_cast<std::int32_t>(find.Int(0));
    const std::int64_t lastUsed = find.Int(1);
    if (lastUsed < now - sessions_.idleSeconds) {
        // Ended for good, even if the clock is set back later.
        SqliteStatement end(db_, "DELETE FROM sessions WHERE session_number = ?");
        end.Bind(1, number).Step();
        return std::nullopt;
    }
    // At most one write a second per session; a clock set back moves nothing.
    if (now > lastUsed) {
        SqliteStatement touch(db_, "UPDATE sessions SET last_used_at = ? WHERE session_number = ?");
        touch.Bind(1, now).Bind(2, number).Step();
    }
    return customer;
}

std::string ServerDatabase::WriteDurably(const std::function<WriteResult(sqlite3*)>& work) {
    std::lock_guard lock(mutex_);
    ExecSql(db_, "PRAGMA synchronous=FULL");
    // Back to the everyday level however the transaction ends.
    struct EverydaySync {
        sqlite3* db;
        ~EverydaySync() { sqlite3_exec(db, kEverydaySync, nullptr, nullptr, nullptr); }
    } restore{db_};
    ExecSql(db_, "BEGIN IMMEDIATE");
    try {
        WriteResult result = work(db_);
        if (result.keep)
            ExecSql(db_, "COMMIT");
        else if (!sqlite3_get_autocommit(db_))  // a statement stopped midway may have ended it already
            ExecSql(db_, "ROLLBACK");
        return std::move(result.answer);
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace tallux::server
