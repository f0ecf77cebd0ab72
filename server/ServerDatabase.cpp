#include "server/ServerDatabase.h"

#include <sqlite3.h>

#include "server/DatabaseError.h"
#include "server/Schema.h"
#include "server/SqliteStatement.h"

namespace tallux::server {

ServerDatabase::ServerDatabase(const std::string& path) : random_(std::random_device{}()) {
    int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw DatabaseError("cannot open " + path + ": " + message);
    }
    try {
        sqlite3_busy_timeout(db_, 5000);
        ExecSql(db_, "PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON; PRAGMA synchronous=NORMAL;");
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
    std::uniform_int_distribution<std::int32_t> numbers(1, INT32_MAX);
    SqliteStatement insert(db_,
                           "INSERT OR IGNORE INTO sessions(session_number, site_id, account, customer_id, created_at)"
                           " VALUES(?, ?, ?, ?, ?)");
    // A collision among 2^31 numbers is rare; a few draws settle it.
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::int32_t number = numbers(random_);
        insert.Reset();
        insert.Bind(1, number).Bind(2, account.siteId).Bind(3, account.name).Bind(4, account.customerId).Bind(5, now);
        insert.Step();
        if (sqlite3_changes(db_) == 1) return number;
    }
    throw DatabaseError("no free session number");
}

}  // namespace tallux::server
