#include "server/SqliteStatement.h"

#include <sqlite3.h>

#include "server/DatabaseError.h"

namespace tallux::server {

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
        std::string message = sqlite3_errmsg(db);
        sqlite3_finalize(stmt_);
        throw DatabaseError(message);
    }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) throw DatabaseError(sqlite3_errmsg(db_));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
    if (sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) != SQLITE_OK)
        throw DatabaseError(sqlite3_errmsg(db_));
    return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, std::string_view bytes) {
    if (sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT) != SQLITE_OK)
        throw DatabaseError(sqlite3_errmsg(db_));
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) throw DatabaseError(sqlite3_errmsg(db_));
    return *this;
}

SqliteStatement& SqliteStatement::BindReal(int index, double value) {
    if (sqlite3_bind_double(stmt_, index, value) != SQLITE_OK) throw DatabaseError(sqlite3_errmsg(db_));
    return *this;
}

bool SqliteStatement::Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw DatabaseError(sqlite3_errmsg(db_));
}

void SqliteStatement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

bool SqliteStatement::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

std::int64_t SqliteStatement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

double SqliteStatement::Real(int column) const { return sqlite3_column_double(stmt_, column); }

std::string SqliteStatement::Text(int column) const {
    const void* bytes = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return bytes ? std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size)) : std::string();
}

void ExecSql(sqlite3* db, std::string_view sql) {
    std::string text(sql);
    char* error = nullptr;
    if (sqlite3_exec(db, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        throw DatabaseError(message);
    }
}

}  // namespace tallux::server
