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

// A database of layout 1: pieces of direct records keyed by (irid, wpos),
// scans without signer and codes.
void MakeVersionOne(const std::string& path) {
    { ServerDatabase fresh(path); }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
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
