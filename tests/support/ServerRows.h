#pragma once

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>
#include <vector>

namespace tallux::test {

// A tallux-server's database, read-only, also while the server writes it;
// texts come back as UTF-8.
class ServerRows {
public:
    explicit ServerRows(const std::string& path) {
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_busy_timeout(db_, 10000);
    }
    ~ServerRows() { sqlite3_close(db_); }
    ServerRows(const ServerRows&) = delete;
    ServerRows& operator=(const ServerRows&) = delete;

    std::vector<std::vector<std::string>> Query(const std::string& sql) {
        std::vector<std::vector<std::string>> rows;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db_) << ": " << sql;
            return rows;
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const unsigned char* text = sqlite3_column_text(statement, c);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(statement);
        return rows;
    }

    // The one number a query such as SELECT count(*) answers; -1 without one.
    long long Number(const std::string& sql) {
        const auto rows = Query(sql);
        return rows.size() == 1 && rows[0].size() == 1 ? std::stoll(rows[0][0]) : -1;
    }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace tallux::test
