#pragma once

#include <sqlite3.h>

#include <string>

#include "server/DatabaseError.h"

namespace tallux::server {

// A separate read-only connection for one answer: downloads are rare and the
// shared connection belongs to the login and transaction paths.
class ReadOnlyConnection {
public:
    explicit ReadOnlyConnection(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
            std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw DatabaseError("cannot open the database: " + message);
        }
        sqlite3_busy_timeout(db_, 5000);
    }
    ~ReadOnlyConnection() { sqlite3_close(db_); }
    ReadOnlyConnection(const ReadOnlyConnection&) = delete;
    ReadOnlyConnection& operator=(const ReadOnlyConnection&) = delete;
    sqlite3* Handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace tallux::server
