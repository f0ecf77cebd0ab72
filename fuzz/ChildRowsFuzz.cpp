// The child-row guard of the upload on a database in memory: the input is
// the client's SQL for the goods lines or pieces of a shipment being
// stored. When the guard takes the text, the only rows that differ are new
// rows of the one child table that name the new shipment; every other row
// of every table, and the schema, are as they were. Either way the caller
// rolls back to where it was (here always), and the connection still
// enforces foreign keys.

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "server/ChildRowsInsert.h"
#include "server/ServerDatabase.h"
#include "server/SqliteStatement.h"

namespace {

using namespace tallux;
using namespace tallux::server;
using fuzz::Check;

constexpr std::int64_t kNewParent = 2;

const ChildTable kTables[] = {
    {"rec_pre_input_goods", "iid", "rec_pre_input", "iid"},
    {"rec_pre_input_item", "iid", "rec_pre_input", "iid"},
    {"client_rec_goods", "irid", "client_rec", "irid"},
    {"client_rec_weight_detail", "irid", "client_rec", "irid"},
};

// Every table's rows (with rowids) and the schema as one text; for the
// child table, only the rows of other shipments.
std::string Contents(sqlite3* db, const ChildTable* child) {
    std::string out;
    SqliteStatement tables(db, "SELECT name, sql FROM sqlite_master ORDER BY type, name");
    std::vector<std::string> names;
    while (tables.Step()) {
        out += tables.Text(0) + "\n" + (tables.IsNull(1) ? std::string() : tables.Text(1)) + "\n";
        if (tables.Text(1).starts_with("CREATE TABLE")) names.push_back(tables.Text(0));
    }
    for (const std::string& name : names) {
        std::string sql = "SELECT rowid, * FROM main.\"" + name + "\"";
        if (child && name == child->name)
            sql += " WHERE " + std::string(child->parentColumn) + " IS NOT " + std::to_string(kNewParent);
        sqlite3_stmt* rows = nullptr;
        Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &rows, nullptr) == SQLITE_OK, "a table cannot be read");
        out += "table " + name + "\n";
        while (sqlite3_step(rows) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(rows); ++c) {
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(rows, c));
                out += std::to_string(sqlite3_column_type(rows, c)) + ":" +
                       std::string(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(rows, c))) + "|";
            }
            out += "\n";
        }
        sqlite3_finalize(rows);
    }
    return out;
}

// One database for the whole run: two shipments of each kind, rows of the
// first in every child table, the second being stored now. Each input runs
// in a savepoint that is rolled back.
struct Database {
    ServerDatabase database{":memory:"};
    sqlite3* db = database.Handle();
    std::string before;

    Database() {
        ExecSql(db,
                "INSERT INTO rec_pre_input(iid, icid, cnum, ddate) VALUES(1, 1001, 'A1', '2024.05.01'),"
                " (2, 1001, 'A2', '2024.05.01');"
                "INSERT INTO client_rec(irid, icid, cnum, ddate) VALUES(1, 1001, 'R1', '2024.05.02 10:00:00'),"
                " (2, 1001, 'R2', '2024.05.02 10:00:00');"
                "INSERT INTO rec_pre_input_goods(rowid, iid, wpos, cgoods) VALUES(1, 1, 0, 'books'), (2, 1, 1, 'pens');"
                "INSERT INTO rec_pre_input_item(rowid, iid, wpos, iweight) VALUES(1, 1, 0, 500);"
                "INSERT INTO client_rec_goods(rowid, irid, wpos, cgoods) VALUES(1, 1, 0, 'tea');"
                "INSERT INTO client_rec_weight_detail(rowid, irid, iweight) VALUES(1, 1, 700), (2, 1, 800);");
        before = Contents(db, nullptr);
    }
};

Database& Shared() {
    static Database database;
    return database;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view sql = fuzz::AsText(data, size);
    Database& shared = Shared();
    sqlite3* db = shared.db;
    for (const ChildTable& table : kTables) {
        ExecSql(db, "SAVEPOINT fuzz");
        const bool taken = InsertChildRows(db, sql, table, kNewParent);
        Check(sqlite3_get_autocommit(db) == 0, "the guard ended the caller's transaction");
        if (taken) Check(Contents(db, &table) == shared.before, "rows outside the new shipment's children changed");
        ExecSql(db, "ROLLBACK TO fuzz; RELEASE fuzz");
        Check(sqlite3_get_autocommit(db) != 0, "a transaction left open");
        SqliteStatement foreignKeys(db, "PRAGMA foreign_keys");
        Check(foreignKeys.Step() && foreignKeys.Int(0) == 1, "foreign keys turned off");
        if (taken) Check(Contents(db, nullptr) == shared.before, "changes left after the rollback");
    }
    return 0;
}
