#include <gtest/gtest.h>

#include <sqlite3.h>

#include <optional>

#include "server/DatabaseError.h"
#include "server/Schema.h"
#include "server/ServerDatabase.h"
#include "server/SqliteStatement.h"
#include "tests/support/TempDir.h"

namespace tallux::server {
namespace {

// Sessions as layouts 1 and 2 keep them: no last use, no login order.
constexpr const char* kOldSessions =
    "DROP TABLE sessions;"
    "CREATE TABLE sessions (session_number INTEGER PRIMARY KEY, site_id TEXT NOT NULL, account TEXT NOT NULL,"
    " customer_id INTEGER NOT NULL, created_at INTEGER NOT NULL);"
    "CREATE INDEX sessions_by_account ON sessions(site_id, account);"
    "DROP INDEX rec_pre_input_by_number;";

// A database of layout 2: a fresh one with the sessions of before.
void MakeVersionTwo(const std::string& path) {
    { ServerDatabase fresh(path); }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ExecSql(db, kOldSessions);
    ExecSql(db,
            "INSERT INTO sessions VALUES (111, '8001', 'demo', 1001, 1000), (222, '8001', 'demo', 1001, 5000);"
            "UPDATE schema_version SET version = 2;");
    sqlite3_close(db);
}

// A database of layout 1: pieces of direct records keyed by (irid, wpos),
// scans without signer and codes.
void MakeVersionOne(const std::string& path) {
    { ServerDatabase fresh(path); }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ExecSql(db, kOldSessions);
    ExecSql(
        db,
        "DROP TABLE client_rec_weight_detail;"
        "CREATE TABLE client_rec_weight_detail (irid INTEGER NOT NULL REFERENCES client_rec(irid) ON DELETE CASCADE,"
        " wpos INTEGER NOT NULL, ilong INTEGER NOT NULL DEFAULT 0, iwidth INTEGER NOT NULL DEFAULT 0,"
        " iheight INTEGER NOT NULL DEFAULT 0, iweight INTEGER NOT NULL DEFAULT 0,"
        " npercent INTEGER NOT NULL DEFAULT 0, cno TEXT NOT NULL DEFAULT '', famount REAL NOT NULL DEFAULT 0,"
        " fcost REAL NOT NULL DEFAULT 0, ibag INTEGER NOT NULL DEFAULT 0, cgoods TEXT NOT NULL DEFAULT '',"
        " iquantity INTEGER NOT NULL DEFAULT 0, iprice INTEGER NOT NULL DEFAULT 0,"
        " crno TEXT NOT NULL DEFAULT '', cnum TEXT NOT NULL DEFAULT '', cgoodsa TEXT NOT NULL DEFAULT '',"
        " cgcodea TEXT NOT NULL DEFAULT '', cgcodeb TEXT NOT NULL DEFAULT '', cgcodec TEXT NOT NULL DEFAULT '',"
        " fgcustom REAL NOT NULL DEFAULT 0, fgcrate REAL NOT NULL DEFAULT 0, PRIMARY KEY (irid, wpos));"
        "DROP TABLE cp_check_detail;"
        "CREATE TABLE cp_check_detail (iscan INTEGER PRIMARY KEY, icid INTEGER NOT NULL,"
        " account TEXT NOT NULL DEFAULT '', local_id INTEGER NOT NULL DEFAULT 0,"
        " nlanguage INTEGER NOT NULL DEFAULT 0, cnum TEXT NOT NULL, cstation TEXT NOT NULL DEFAULT '',"
        " cnext TEXT NOT NULL DEFAULT '', nstatus INTEGER NOT NULL DEFAULT 0, dsign TEXT NOT NULL DEFAULT '',"
        " devent TEXT NOT NULL DEFAULT '', cplace_zh TEXT NOT NULL DEFAULT '', cdetail_zh TEXT NOT NULL DEFAULT '',"
        " cplace_en TEXT NOT NULL DEFAULT '', cdetail_en TEXT NOT NULL DEFAULT '',"
        " dsysdate TEXT NOT NULL DEFAULT '');"
        "INSERT INTO client_rec(irid, icid, cnum) VALUES (9, 1002, 'R9');"
        "INSERT INTO client_rec_weight_detail(irid, wpos, iweight) VALUES (9, 1, 800), (9, 0, 700);"
        "INSERT INTO cp_check_detail(icid, cnum) VALUES (1001, 'N1');"
        "UPDATE schema_version SET version = 1;");
    sqlite3_close(db);
}

TEST(SchemaUpgrade, VersionOneKeepsItsRowsAndTakesTheNewOnes) {
    test::TempDir dir;
    const std::string path = dir.File("old.db");
    MakeVersionOne(path);
    ServerDatabase db(path);
    EXPECT_EQ(db.SchemaVersion(), kSchemaVersion);
    sqlite3* h = db.Handle();
    auto texts = [&](const char* sql) {
        std::string all;
        SqliteStatement query(h, sql);
        while (query.Step()) all += query.Text(0) + ";";
        return all;
    };
    EXPECT_EQ(texts("SELECT wpos || ':' || iweight FROM client_rec_weight_detail ORDER BY wpos, rowid"),
              "0:700;1:800;");
    // Pieces numbered alike, as direct members send them.
    ExecSql(h, "INSERT INTO client_rec_weight_detail(irid, wpos, iweight) VALUES (9, 0, 1), (9, 0, 2)");
    EXPECT_EQ(texts("SELECT count(*) FROM client_rec_weight_detail WHERE irid = 9"), "4;");
    EXPECT_EQ(texts("SELECT cnum || csigner || nposition || ncode FROM cp_check_detail"), "N100;");
    EXPECT_EQ(texts("SELECT count(*) FROM schema_version"), "1;");
    // Deleting the record still takes its pieces along.
    ExecSql(h, "DELETE FROM client_rec WHERE irid = 9");
    EXPECT_EQ(texts("SELECT count(*) FROM client_rec_weight_detail"), "0;");
}

TEST(SchemaUpgrade, VersionTwoSessionsCountAsUsedAtTheirLogin) {
    test::TempDir dir;
    const std::string path = dir.File("two.db");
    MakeVersionTwo(path);
    ServerDatabase db(path, SessionLimits{600, 16});
    EXPECT_EQ(db.SchemaVersion(), kSchemaVersion);
    EXPECT_EQ(db.UseSession(222, "8001", "demo", 5600), 1001);
    EXPECT_EQ(db.UseSession(111, "8001", "demo", 1601), std::nullopt);
    // The new rows take the new columns.
    Account demo;
    demo.siteId = "8001";
    demo.name = "demo";
    demo.customerId = 1001;
    std::int32_t fresh = db.CreateSession(demo, 5700);
    EXPECT_EQ(db.UseSession(fresh, "8001", "demo", 6300), 1001);
    SqliteStatement index(db.Handle(), "SELECT count(*) FROM sqlite_master WHERE name = 'rec_pre_input_by_number'");
    index.Step();
    EXPECT_EQ(index.Int(0), 1);
}

TEST(SchemaUpgrade, NewerDatabaseIsRefused) {
    test::TempDir dir;
    const std::string path = dir.File("new.db");
    { ServerDatabase fresh(path); }
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ExecSql(db, "UPDATE schema_version SET version = " + std::to_string(kSchemaVersion + 1));
        sqlite3_close(db);
    }
    EXPECT_THROW(ServerDatabase again(path), DatabaseError);
}

}  // namespace
}  // namespace tallux::server
