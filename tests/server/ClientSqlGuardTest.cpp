#include "server/ClientSqlGuard.h"

#include <gtest/gtest.h>

#include "server/ServerDatabase.h"
#include "server/SqliteStatement.h"
#include "tests/support/TempDir.h"

namespace tallux::server {
namespace {

constexpr std::int64_t kOwn = 1001;
constexpr std::int64_t kOther = 1002;
constexpr int kOwnRows = 40;

class ClientSqlGuardTest : public ::testing::Test {
protected:
    ClientSqlGuardTest() {
        ServerDatabase db(path);
        sqlite3* h = db.Handle();
        ExecSql(
            h,
            "INSERT INTO sites VALUES('8001', 'x');"
            "INSERT INTO accounts(site_id, account, password, customer_id) VALUES('8001', 'demo', 'secret', 1001);");
        SqliteStatement pre(h, "INSERT INTO rec_pre_input(icid, cnum, ddate) VALUES(?, ?, '2024.05.01')");
        for (int i = 0; i < kOwnRows; ++i) {
            pre.Reset();
            pre.Bind(1, kOwn).Bind(2, "OWN" + std::to_string(i)).Step();
        }
        for (int i = 0; i < 3; ++i) {
            pre.Reset();
            pre.Bind(1, kOther).Bind(2, "OTHER" + std::to_string(i)).Step();
        }
        ExecSql(h,
                "INSERT INTO rec_pre_input_goods(iid, wpos, cgoods) SELECT iid, 0, 'books' FROM rec_pre_input;"
                "INSERT INTO client_rec(icid, cnum, ddate) VALUES(1001, 'R1', '2024.05.02 10:00:00'),"
                " (1002, 'R2', '2024.05.02 10:00:00');");
    }

    GuardedQueryResult Run(const std::string& condition) {
        return guard.RunCustomerQuery(kOwn, "SELECT cnum FROM rec_pre_input WHERE " + condition);
    }

    std::int64_t Count(const char* sql) {
        ServerDatabase db(path);
        SqliteStatement q(db.Handle(), sql);
        q.Step();
        return q.Int(0);
    }

    test::TempDir dir;
    std::string path = dir.File("guard.db");
    ClientSqlGuard guard{path, ClientSqlGuard::Limits{1'000'000, 64 * 1024, 2'000'000, 100'000}};
};

TEST_F(ClientSqlGuardTest, ConditionsSeeOnlyTheCustomersRows) {
    const struct {
        const char* name;
        std::string sql;
        std::size_t rows;
    } cases[] = {
        {"everything", "SELECT cnum FROM rec_pre_input WHERE 1=1", kOwnRows},
        {"asking for the other customer", "SELECT cnum FROM rec_pre_input WHERE icid = 1002", 0},
        {"or-ing the filter away", "SELECT cnum FROM rec_pre_input WHERE icid = 1002 OR 1=1", kOwnRows},
        {"other customer's number", "SELECT cnum FROM rec_pre_input WHERE cnum LIKE 'OTHER%'", 0},
        {"subquery on a child view",
         "SELECT cnum FROM rec_pre_input WHERE iid IN (SELECT iid FROM rec_pre_input_goods WHERE cgoods = 'books')",
         kOwnRows},
        {"child view alone", "SELECT iid FROM rec_pre_input_goods", kOwnRows},
        {"client style record condition",
         "SELECT a.cnum FROM client_rec a WHERE a.icid=1001 AND a.ddate BETWEEN '2024.05.01 0:0:0.0'"
         " AND '2024.05.31 23:59:59.998' AND a.cnum LIKE '%R%'",
         1},
        {"record of the other customer", "SELECT cnum FROM client_rec WHERE icid=1002", 0},
        {"temp schema named", "SELECT cnum FROM temp.rec_pre_input WHERE upper(cnum) = 'OWN1'", 1},
        {"harmless functions and a trailing semicolon",
         "SELECT cnum FROM rec_pre_input WHERE length(trim(cnum)) > 4 AND substr(cnum, 1, 3) = 'OWN' "
         "AND coalesce(NULL, 1) = 1;",
         kOwnRows - 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuardedQueryResult result = guard.RunCustomerQuery(kOwn, c.sql);
        ASSERT_FALSE(result.error) << *result.error;
        EXPECT_EQ(result.rows.size(), c.rows);
        for (const auto& row : result.rows) EXPECT_EQ(row[0]->find("OTHER"), std::string::npos);
    }
}

TEST_F(ClientSqlGuardTest, RefusesEverythingButReadingOwnViews) {
    const struct {
        const char* name;
        std::string condition;
    } cases[] = {
        {"table outside the list", "iid IN (SELECT customer_id FROM accounts)"},
        {"password column", "cnum = (SELECT password FROM accounts)"},
        {"main table behind the view", "iid IN (SELECT iid FROM main.rec_pre_input)"},
        {"main table by union", "1=1 UNION SELECT cnum FROM main.rec_pre_input"},
        {"schema table", "1=1 UNION SELECT sql FROM sqlite_master"},
        {"temp schema table", "1=1 UNION SELECT sql FROM sqlite_temp_master"},
        {"second statement drop", "1=1; DROP TABLE rec_pre_input"},
        {"second statement attach", "1=1; ATTACH DATABASE 'x.db' AS x"},
        {"second statement pragma", "1=1; PRAGMA writable_schema = 1"},
        {"second statement insert", "1=1; INSERT INTO rec_pre_input(icid, cnum) VALUES(1001, 'NEW')"},
        {"second statement update", "1=1; UPDATE rec_pre_input SET icid = 1001"},
        {"delete in a CTE statement", "1=1; WITH d AS (SELECT 1) DELETE FROM rec_pre_input"},
        {"second statement temp table", "1=1; CREATE TEMP TABLE t(x)"},
        {"trailing comment", "1=1; -- anything"},
        {"pragma function", "1 IN (SELECT 1 FROM pragma_table_info('accounts'))"},
        {"load_extension", "load_extension('/tmp/libevil.so') IS NULL"},
        {"randomblob", "length(randomblob(1e9)) > 0"},
        {"zeroblob", "length(zeroblob(1000000000)) > 0"},
        {"printf width", "length(printf('%.*c', 1000000000, 'x')) > 0"},
        {"sqlite_version", "sqlite_version() <> ''"},
        {"recursive counter",
         "iid IN (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c)"},
        {"text growth past the length limit",
         "length(replace(replace(replace(replace(replace(replace(replace('xxxxxxxxxx', 'x', 'xxxxxxxxxx'), 'x',"
         " 'xxxxxxxxxx'), 'x', 'xxxxxxxxxx'), 'x', 'xxxxxxxxxx'), 'x', 'xxxxxxxxxx'), 'x', 'xxxxxxxxxx'), 'x',"
         " 'xxxxxxxxxx')) > 0"},
        {"cross join explosion",
         "(SELECT count(*) FROM rec_pre_input a, rec_pre_input b, rec_pre_input c, rec_pre_input d,"
         " rec_pre_input e) > 0"},
        {"syntax error", "cnum = 'unterminated"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuardedQueryResult result = Run(c.condition);
        ASSERT_TRUE(result.error);
        EXPECT_TRUE(result.rows.empty());
    }
    // Nothing of it ran.
    EXPECT_EQ(Count("SELECT count(*) FROM rec_pre_input"), kOwnRows + 3);
    EXPECT_EQ(Count("SELECT count(*) FROM rec_pre_input WHERE icid = 1001"), kOwnRows);
    EXPECT_EQ(Count("SELECT count(*) FROM sqlite_master WHERE name = 't'"), 0);
}

TEST_F(ClientSqlGuardTest, RefusesStatementsOtherThanSelect) {
    // Whole statements, in case a caller ever passes more than a condition.
    const std::string statements[] = {
        "WITH d AS (SELECT 1) DELETE FROM rec_pre_input",
        "INSERT INTO rec_pre_input(icid, cnum) VALUES(1001, 'NEW')",
        "UPDATE rec_pre_input SET cnum = 'X'",
        "ATTACH DATABASE ':memory:' AS x",
        "PRAGMA query_only = 0",
        "CREATE TEMP TABLE t AS SELECT * FROM rec_pre_input",
        "DROP VIEW rec_pre_input",
        "VACUUM INTO '" + dir.File("copy.db") + "'",
        "",
    };
    for (const std::string& sql : statements) {
        SCOPED_TRACE(sql);
        GuardedQueryResult result = guard.RunCustomerQuery(kOwn, sql);
        EXPECT_TRUE(result.error);
    }
    EXPECT_EQ(Count("SELECT count(*) FROM rec_pre_input WHERE cnum IN ('NEW', 'X')"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("copy.db")));
}

TEST_F(ClientSqlGuardTest, ErrorsSayWhy) {
    const struct {
        std::string condition;
        const char* mentions;
    } cases[] = {
        {"1=1; DROP TABLE rec_pre_input", "one statement"},
        {"iid IN (SELECT iid FROM main.rec_pre_input)", "prohibited"},
        {"(SELECT count(*) FROM rec_pre_input a, rec_pre_input b, rec_pre_input c, rec_pre_input d,"
         " rec_pre_input e) > 0",
         "too much work"},
    };
    for (const auto& c : cases) {
        GuardedQueryResult result = Run(c.condition);
        ASSERT_TRUE(result.error) << c.condition;
        EXPECT_NE(result.error->find(c.mentions), std::string::npos) << *result.error;
    }
}

TEST_F(ClientSqlGuardTest, RowCapAndMissingDatabase) {
    ClientSqlGuard capped(path, ClientSqlGuard::Limits{1'000'000, 64 * 1024, 2'000'000, 5});
    GuardedQueryResult many = capped.RunCustomerQuery(kOwn, "SELECT cnum FROM rec_pre_input WHERE 1=1");
    ASSERT_TRUE(many.error);
    EXPECT_TRUE(many.rows.empty());

    ClientSqlGuard missing(dir.File("absent.db"));
    GuardedQueryResult none = missing.RunCustomerQuery(kOwn, "SELECT cnum FROM rec_pre_input WHERE 1=1");
    ASSERT_TRUE(none.error);
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent.db")));
}

TEST_F(ClientSqlGuardTest, ColumnsAndNullsComeBack) {
    GuardedQueryResult result =
        guard.RunCustomerQuery(kOwn, "SELECT cnum, NULL AS empty, iid FROM rec_pre_input WHERE cnum = 'OWN3'");
    ASSERT_FALSE(result.error) << *result.error;
    ASSERT_EQ(result.columns, (std::vector<std::string>{"cnum", "empty", "iid"}));
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.rows[0][0], "OWN3");
    EXPECT_EQ(result.rows[0][1], std::nullopt);
    EXPECT_EQ(result.rows[0][2], "4");
}

}  // namespace
}  // namespace tallux::server
