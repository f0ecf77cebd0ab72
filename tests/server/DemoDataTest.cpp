#include "server/DemoData.h"

#include <gtest/gtest.h>

#include <set>

#include "server/Schema.h"
#include "server/ServerDatabase.h"
#include "server/SqliteStatement.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux::server {
namespace {

std::int64_t CountOf(ServerDatabase& db, const char* sql) {
    SqliteStatement query(db.Handle(), sql);
    EXPECT_TRUE(query.Step());
    return query.Int(0);
}

TEST(DemoData, AccountsAsTheClientTestsNeedThem) {
    test::TempDir dir;
    ASSERT_FALSE(CreateDemoDatabase(dir.File("demo.db"), false, 1700000000));
    ServerDatabase db(dir.File("demo.db"));
    EXPECT_EQ(db.SchemaVersion(), kSchemaVersion);
    EXPECT_TRUE(db.SiteExists("8001"));
    EXPECT_FALSE(db.SiteExists("8002"));

    auto demo = db.FindAccount("8001", "demo");
    ASSERT_TRUE(demo);
    EXPECT_EQ(demo->password, "demo123");
    EXPECT_EQ(demo->customerId, 1001);
    EXPECT_EQ(demo->memberMode, 0);
    EXPECT_TRUE(demo->pictureFlag && demo->numberServiceFlag && demo->permission);
    EXPECT_EQ(demo->shortCode, "SZ");
    ASSERT_TRUE(demo->checkpoint);
    EXPECT_EQ(demo->checkpoint->stationCode, "SZX");
    EXPECT_EQ(demo->checkpoint->secondCode, "SZ1");

    auto direct = db.FindAccount("8001", "direct");
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->password, "direct123");
    EXPECT_EQ(direct->customerId, 1002);
    EXPECT_EQ(direct->memberMode, 1);
    EXPECT_FALSE(direct->checkpoint);

    auto blocked = db.FindAccount("8001", "nopermission");
    ASSERT_TRUE(blocked);
    EXPECT_EQ(blocked->password, "nope123");
    EXPECT_FALSE(blocked->permission);
    EXPECT_FALSE(db.FindAccount("8001", "Demo"));  // names are exact
}

TEST(DemoData, ReferenceDataIsComplete) {
    test::TempDir dir;
    ASSERT_FALSE(CreateDemoDatabase(dir.File("demo.db"), false, 1700000000));
    ServerDatabase db(dir.File("demo.db"));
    EXPECT_GE(CountOf(db, "SELECT count(*) FROM express_kinds"), 12);
    EXPECT_EQ(CountOf(db, "SELECT count(*) FROM destinations WHERE is_country = 0"), 34);
    EXPECT_GE(CountOf(db, "SELECT count(*) FROM destinations WHERE is_country = 1"), 30);
    // Every kind accepts something; no acceptance names a missing place.
    EXPECT_EQ(CountOf(db,
                      "SELECT count(*) FROM express_kinds k WHERE NOT EXISTS"
                      " (SELECT 1 FROM kind_destinations a WHERE a.kind_code = k.code)"),
              0);
    EXPECT_EQ(CountOf(db,
                      "SELECT count(*) FROM kind_destinations a LEFT JOIN destinations d"
                      " ON d.code = a.destination_code WHERE d.code IS NULL"),
              0);

    SqliteStatement file(db.Handle(), "SELECT content FROM shared_files WHERE title = 'emskind.txt'");
    ASSERT_TRUE(file.Step());
    std::string gbk = file.Text(0);
    EXPECT_LT(gbk.size(), 8191u);
    std::string text = GbkToUtf8(gbk);
    EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos);  // all of it is valid GBK
    for (const char* marker :
         {"<快递类别顺序定义开始>", "<快递类别顺序定义结束>", "<取单号快递类别定义开始>", "<取单号快递类别定义结束>",
          "<取转单号快递类别定义开始>", "<一对多取单号定义开始>", "<虚拟取单ID定义开始>", "<字段填写定义开始>"})
        EXPECT_NE(text.find(marker), std::string::npos) << marker;
    // Every kind the file names exists.
    SqliteStatement kinds(db.Handle(), "SELECT name FROM express_kinds");
    std::set<std::string> names;
    while (kinds.Step()) names.insert(kinds.Text(0));
    for (const char* listed : {"国内特快专递", "国内标准快递", "国际经济快递", "国际小包"})
        EXPECT_TRUE(names.count(listed)) << listed;
}

TEST(DemoData, RefusesToReplaceUnlessForced) {
    test::TempDir dir;
    std::string path = dir.File("demo.db");
    test::WriteWholeFile(path, "precious");
    auto error = CreateDemoDatabase(path, false, 1);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("--force"), std::string::npos);
    EXPECT_EQ(test::ReadWholeFile(path), "precious");

    ASSERT_FALSE(CreateDemoDatabase(path, true, 1));
    ServerDatabase db(path);
    EXPECT_TRUE(db.FindAccount("8001", "demo"));

    // An empty file is not worth keeping.
    std::string empty = dir.File("empty.db");
    test::WriteWholeFile(empty, "");
    EXPECT_FALSE(CreateDemoDatabase(empty, false, 1));
}

TEST(ServerDatabase, SessionsArePositiveAndDistinct) {
    test::TempDir dir;
    ASSERT_FALSE(CreateDemoDatabase(dir.File("demo.db"), false, 1));
    ServerDatabase db(dir.File("demo.db"), SessionLimits{.perAccount = 200});
    auto demo = db.FindAccount("8001", "demo");
    ASSERT_TRUE(demo);
    std::set<std::int32_t> seen;
    for (int i = 0; i < 200; ++i) {
        std::int32_t number = db.CreateSession(*demo, 1);
        EXPECT_GT(number, 0);
        seen.insert(number);
    }
    EXPECT_EQ(seen.size(), 200u);
    EXPECT_EQ(CountOf(db, "SELECT count(*) FROM sessions WHERE customer_id = 1001"), 200);
}

TEST(ServerDatabase, NewFileGetsTheSchemaAndReopens) {
    test::TempDir dir;
    {
        ServerDatabase db(dir.File("new.db"));
        EXPECT_EQ(db.SchemaVersion(), kSchemaVersion);
        EXPECT_FALSE(db.SiteExists("8001"));
    }
    ServerDatabase again(dir.File("new.db"));
    EXPECT_EQ(CountOf(again, "SELECT count(*) FROM schema_version"), 1);
    EXPECT_EQ(CountOf(again, "SELECT count(*) FROM pragma_journal_mode WHERE journal_mode = 'wal'"), 1);
}

TEST(ServerDatabase, NotADatabaseIsAClearError) {
    test::TempDir dir;
    test::WriteWholeFile(dir.File("junk.db"), std::string(4096, 'x'));
    try {
        ServerDatabase db(dir.File("junk.db"));
        FAIL() << "opened junk";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("junk.db"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace tallux::server
