#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <string>

#include "server/AccountDirectory.h"
#include "server/SessionLimits.h"

struct sqlite3;

namespace tallux::server {

// The server's database file: opened in WAL mode and brought to the current
// schema on open. One connection shared by the request workers under a
// mutex; every request is a handful of short statements. Everyday writes
// commit with synchronous=NORMAL (a power failure may lose the last ones);
// what a client hands over goes through WriteDurably, which waits for the
// disk before the client is told it is stored.
class ServerDatabase : public AccountDirectory {
public:
    // Creates the file when missing. Throws DatabaseError.
    explicit ServerDatabase(const std::string& path, SessionLimits sessions = {});
    ~ServerDatabase() override;
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    bool SiteExists(std::string_view siteId) override;
    std::optional<Account> FindAccount(std::string_view siteId, std::string_view account) override;
    // Also ends, within bounded work, sessions idle too long and the
    // account's least recently used ones beyond its limit.
    std::int32_t CreateSession(const Account& account, std::int64_t now) override;

    // The customer of a live session this account obtained, marking it used
    // at now; nullopt for a session never issued, ended or idle too long.
    std::optional<std::int32_t> UseSession(std::int32_t number, std::string_view siteId, std::string_view account,
                                           std::int64_t now);

    // What a write transaction gives back: the answer, and whether what it
    // wrote is kept (false rolls it back).
    struct WriteResult {
        std::string answer;
        bool keep = true;
    };
    // Runs work(sqlite3*) under the lock in one BEGIN IMMEDIATE transaction
    // that commits with synchronous=FULL, so that what it kept is on the disk
    // when the answer is returned. Throws DatabaseError (nothing kept then).
    std::string WriteDurably(const std::function<WriteResult(sqlite3*)>& work);

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
    SessionLimits sessions_;
    std::mt19937 random_;
};

}  // namespace tallux::server
