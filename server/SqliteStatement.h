#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tallux::server {

// One prepared statement; every failure throws DatabaseError with SQLite's
// message. Parameters are numbered from 1, columns from 0.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, std::string_view text);
    SqliteStatement& BindBlob(int index, std::string_view bytes);
    SqliteStatement& BindNull(int index);
    // Named apart from Bind: an int argument would be ambiguous otherwise.
    SqliteStatement& BindReal(int index, double value);

    // True while a row is available.
    bool Step();
    void Reset();

    bool IsNull(int column) const;
    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    double Real(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// Runs SQL text without results (may hold several statements).
void ExecSql(sqlite3* db, std::string_view sql);

}  // namespace tallux::server
