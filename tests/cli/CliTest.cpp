#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "store/GoodsLineStore.h"
#include "store/LittleEndian.h"
#include "store/ShipmentStore.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    CliResult Run(const std::string& arguments, bool withHome = true) {
        std::string outFile = dir.File("stdout.txt"), errFile = dir.File("stderr.txt");
        std::string command = std::string(TALLUX_CLI) + (withHome ? " --home '" + Home() + "' " : " ") + arguments +
                              " >'" + outFile + "' 2>'" + errFile + "'";
        int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::ReadWholeFile(outFile), test::ReadWholeFile(errFile)};
    }

    std::string Home() const { return (dir.Path() / "home").string(); }
    std::string StorePath(const char* relative) const { return (dir.Path() / "home" / relative).string(); }

    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    test::TempDir dir;
};

TEST_F(CliTest, DemoRecordsAreDumpedAsJsonAndPassTheCheck) {
    ASSERT_EQ(Run("demo").status, 0);
    CliResult shipments = Run("dump shipments");
    ASSERT_EQ(shipments.status, 0) << shipments.err;
    auto lines = Lines(shipments.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("{\"id\":1,", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("\"waybillNumber\":\"TL2026120900001\""), std::string::npos);
    EXPECT_NE(lines[0].find("\"senderName\":\"张伟\""), std::string::npos) << "texts are decoded from GBK";
    EXPECT_NE(lines[0].find("\"weight\":1.2,"), std::string::npos);

    for (const char* store : {"goods", "weights", "scans", "contacts", "goodsnames"}) {
        CliResult dump = Run(std::string("dump ") + store);
        EXPECT_EQ(dump.status, 0) << store << ": " << dump.err;
        EXPECT_FALSE(dump.out.empty()) << store;
    }
    CliResult check = Run("check");
    EXPECT_EQ(check.status, 0) << check.out;

    EXPECT_EQ(Run("demo").status, 0);
    EXPECT_EQ(Lines(Run("dump shipments").out).size(), 3u) << "a second demo run adds nothing";
}

TEST_F(CliTest, RecordsWrittenByTheStoreAreDumpedFieldForField) {
    std::filesystem::create_directories(dir.Path() / "home" / "DATA");
    {
        ShipmentStore store;
        ASSERT_EQ(store.Open(StorePath("DATA/recinput.dat")), 0);
        auto r = test::Shipment("TL0000001");
        r.receiverName = Utf8ToGbk("Müller \"Hans\"");
        r.receiverCity = "&#1605;&#1581;&#1605;&#1583; &amp; co";    // references
        r.receiverCompany = "\x06w5xuw69jw7hkw6kg5qCq5byP5Lya56S+";  // marked Base64 form
        r.senderCity = "&#1605;";                                    // plain GBK: kept as written
        r.pieces = 2;
        r.fee = 0.1;
        r.mark = 1;
        store.Append(r);
    }
    CliResult dump = Run("dump shipments");
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_NE(dump.out.find("\"receiverName\":\"Müller \\\"Hans\\\"\""), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("\"receiverCity\":\"محمد & co\""), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("\"receiverCompany\":\"Ünïcødé 株式会社\""), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("\"senderCity\":\"&#1605;\""), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("\"pieces\":2,"), std::string::npos);
    EXPECT_NE(dump.out.find("\"fee\":0.1,"), std::string::npos);
    EXPECT_NE(dump.out.find("\"mark\":1}"), std::string::npos);
}

TEST_F(CliTest, CheckListsOrphansBadIdsAndTornTexts) {
    std::filesystem::create_directories(dir.Path() / "home" / "DATA");
    {
        ShipmentStore shipments;
        GoodsLineStore goods;
        ASSERT_EQ(shipments.Open(StorePath("DATA/recinput.dat")), 0);
        ASSERT_EQ(goods.Open(StorePath("DATA/recgoods.dat")), 0);
        auto s = test::Shipment("TL0000001");
        shipments.Append(s);
        auto s2 = test::Shipment("TL0000002");
        shipments.Append(s2);
        auto owned = test::Child<GoodsLineRecord>(s.id, "ok");
        goods.Append(owned);
        auto orphan = test::Child<GoodsLineRecord>(99, "lost");
        goods.Append(orphan);
        // A record whose text runs through its field, as an interrupted
        // write can leave it, and an id out of order.
        std::memset(shipments.FindById(1)->receiverName.bytes, 'x', 64);
        shipments.Touch();
        ShipmentRecord copy = *shipments.FindById(2);
        copy.id = 1;
        shipments.Update(1, copy);
    }
    CliResult check = Run("check");
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find("DATA/recgoods.dat: record 1 (id 2): parentId 99 names no shipment"), std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("DATA/recinput.dat: record 0 (id 1): field receiverName has no terminator"),
              std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("DATA/recinput.dat: record 1 (id 1): id does not ascend"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("3 problem(s) found"), std::string::npos) << check.out;
}

TEST_F(CliTest, DamagedHeaderIsReportedNotRepaired) {
    std::filesystem::create_directories(dir.Path() / "home" / "DATA");
    std::string bytes(256, '\0');
    le::StoreInt32(bytes.data(), 7);  // seven records in a file that has none
    le::StoreInt32(bytes.data() + 4, 7);
    test::WriteWholeFile(StorePath("DATA/recinput.dat"), bytes);

    CliResult dump = Run("dump shipments");
    EXPECT_EQ(dump.status, 1);
    EXPECT_NE(dump.err.find("header invalid"), std::string::npos) << dump.err;
    CliResult check = Run("check");
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find("recinput.dat: header invalid"), std::string::npos) << check.out;
    EXPECT_EQ(test::ReadWholeFile(StorePath("DATA/recinput.dat")), bytes);
}

TEST_F(CliTest, CheckReportsCountsTheChildrenDoNotBearOut) {
    std::filesystem::create_directories(dir.Path() / "home" / "DATA");
    {
        ShipmentStore shipments;
        GoodsLineStore goods;
        ASSERT_EQ(shipments.Open(StorePath("DATA/recinput.dat")), 0);
        ASSERT_EQ(goods.Open(StorePath("DATA/recgoods.dat")), 0);
        auto s = test::Shipment("TL0000001");
        s.goodsLineCount = 2147483647;
        s.pieceWeightCount = -5;
        shipments.Append(s);
        auto line = test::Child<GoodsLineRecord>(s.id, "books");
        goods.Append(line);
    }
    CliResult check = Run("check");
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find("DATA/recinput.dat: record 0 (id 1): goodsLineCount is 2147483647 but DATA/recgoods.dat "
                             "holds 1 for it"),
              std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find(
                  "DATA/recinput.dat: record 0 (id 1): pieceWeightCount is -5 but DATA/recweight.dat holds 0 for it"),
              std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("2 problem(s) found"), std::string::npos) << check.out;
}

TEST_F(CliTest, AStoreThatCannotBeOpenedIsAnError) {
    ASSERT_EQ(Run("demo").status, 0);
    std::filesystem::remove(StorePath("DATA/recinput.dat"));
    std::filesystem::create_directories(StorePath("DATA/recinput.dat"));
    const std::string message = StorePath("DATA/recinput.dat") + ": is a directory";

    CliResult dump = Run("dump shipments");
    EXPECT_EQ(dump.status, 1);
    EXPECT_EQ(dump.out, "");
    EXPECT_EQ(dump.err, "tallux-cli: " + message + "\n");
    CliResult check = Run("check");
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find(message + "\n"), std::string::npos) << check.out;
    EXPECT_EQ(Run("dump goods").status, 0) << "the other stores still read";
}

TEST_F(CliTest, CheckReportsOrphansWhenTheShipmentFileIsMissing) {
    ASSERT_EQ(Run("demo").status, 0);
    std::filesystem::remove(StorePath("DATA/recinput.dat"));
    CliResult check = Run("check");
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find("DATA/recgoods.dat: record 0 (id 1): parentId 1 names no shipment"), std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("DATA/recweight.dat: record 0 (id 1): parentId 1 names no shipment"), std::string::npos)
        << check.out;
}

TEST_F(CliTest, EmptyProgramDirectoryIsClean) {
    CliResult check = Run("check");
    EXPECT_EQ(check.status, 0) << check.out;
    CliResult dump = Run("dump scans");
    EXPECT_EQ(dump.status, 0);
    EXPECT_EQ(dump.out, "");
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    const char* cases[] = {"",          "frobnicate", "dump",           "dump parcels", "dump shipments goods",
                           "check now", "--home",     "--verbose check"};
    for (const char* arguments : cases) {
        CliResult result = Run(arguments, false);
        EXPECT_EQ(result.status, 2) << "'" << arguments << "'";
        EXPECT_NE(result.err.find("usage:"), std::string::npos) << "'" << arguments << "'";
    }
}

}  // namespace
}  // namespace tallux
