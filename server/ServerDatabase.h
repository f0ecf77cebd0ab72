#pragma once

#include <cstdint>
#include <mutex>
#include <random>
#include <string>

#include "server/AccountDirectory.h"

struct sqlite3;

namespace tallux::server {

// The server's database file: opened in WAL mode and brought to the current
// schema on open. One connection shared by the request workers under a
// mutex; every request is a handful of short statements.
class ServerDatabase : public AccountDirectory {
public:
    // Creates the file when missing. Throws DatabaseError.
    explicit ServerDatabase(const std::string& path);
    ~ServerDatabase() override;
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    bool SiteExists(std::string_view siteId) override;
    std::optional<Account> FindAccount(std::string_view siteId, std::string_view account) override;
    std::int32_t CreateSession(const Account& account, std::int64_t now) override;

    // Runs work(sqlite3*) on the shared connection while holding the lock,
    // for request handlers with statements of their own.
    template <typename Work>
    auto Locked(Work&& work) {
        std::lock_guard lock(mutex_);
        return work(db_);
    }

    // For setup code (demo data) that runs before serving.
    sqlite3* Handle() { return db_; }
    int SchemaVersion();

private:
    void ApplySchema();

    std::mutex mutex_;
    sqlite3* db_ = nullptr;
    std::mt19937 random_;
};

}  // namespace tallux::server
