#pragma once

#include <cstdint>
#include <string_view>

struct sqlite3;

namespace tallux::server {

// A table whose rows belong to an uploaded record through parentColumn,
// which refers to parentKey of parentTable.
struct ChildTable {
    std::string_view name;
    std::string_view parentColumn;
    std::string_view parentTable;
    std::string_view parentKey;
};

inline constexpr std::string_view kParentIdPlaceholder = "#1234567#";

// Runs the child rows of an upload as the client writes them (UTF-8):
// "INSERT INTO varno.dbo.<table>(columns) select … [union all select …]"
// with kParentIdPlaceholder where the new record's id goes. It runs inside
// the caller's transaction on the caller's connection under an authorizer
// that admits an INSERT into table.name fed by literal values and nothing
// else: no other table read or written, no functions, no ATTACH, PRAGMA or
// transaction control. Every row written must carry parentId. The
// connection must enforce foreign keys (ServerDatabase turns them on): the
// one read of the parent's key that check makes is the only read admitted.
// A blank text inserts nothing. Returns false when the text is refused or
// fails; the caller then rolls the whole upload back.
bool InsertChildRows(sqlite3* db, std::string_view sql, const ChildTable& table, std::int64_t parentId);

}  // namespace tallux::server
