// Uploads locally stored shipments to a real tallux-server with tallux-cli
// and looks at both ends afterwards.

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "preentry/LocalShipmentWriter.h"
#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"
#include "tests/integration/DemoServerSuite.h"
#include "tests/support/GbkText.h"
#include "tests/support/ServerRows.h"
#include "tests/support/ShipmentFixtures.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using test::G;

ShipmentRecord Shipment(const char* waybill, const char* receiver) {
    ShipmentRecord s = test::ReadyShipment(waybill);
    s.weight = 1.5;
    s.actualWeight = 1.5;
    s.expressKind = G("国内标准快递");
    s.receiverName = G(receiver);
    s.goodsUnitPrice = 100;
    return s;
}

using test::ServerRows;

class CliUploadIntegrationTest : public test::DemoServerSuite<CliUploadIntegrationTest> {
protected:
    // Stores shipments in the program directory the way the form does; the
    // first one gets the goods lines and pieces.
    void Store(const std::vector<ShipmentRecord>& shipments, const std::vector<GoodsLineRecord>& goods = {},
               const std::vector<PieceWeightRecord>& pieces = {}) {
        ShipmentStore shipmentStore;
        GoodsLineStore goodsStore;
        PieceWeightStore weightStore;
        StoreLock lock;
        ASSERT_TRUE(test::OpenShipmentStores(home.Path() / "DATA", shipmentStore, goodsStore, weightStore, lock));
        LocalShipmentStores stores{shipmentStore, goodsStore, weightStore, lock};
        bool first = true;
        for (const ShipmentRecord& shipment : shipments) {
            const LocalSaveOutcome saved =
                SaveLocalShipment(stores, shipment, first ? goods : std::vector<GoodsLineRecord>{},
                                  first ? pieces : std::vector<PieceWeightRecord>{}, false);
            ASSERT_EQ(saved.result, LocalSaveResult::Saved) << saved.message;
            first = false;
        }
    }

    int Cli(const std::string& arguments, std::string& out, std::string& err) {
        const std::string outFile = home.File("cli.out"), errFile = home.File("cli.err");
        const std::string command = std::string(TALLUX_CLI) + " --home '" + home.Path().string() +
                                    "' --server 127.0.0.1:" + std::to_string(server->Port()) + " " + arguments + " >'" +
                                    outFile + "' 2>'" + errFile + "'";
        const int status = std::system(command.c_str());
        out = test::ReadWholeFile(outFile);
        err = test::ReadWholeFile(errFile);
        return WEXITSTATUS(status);
    }

    test::TempDir home;
};

TEST_F(CliUploadIntegrationTest, AcceptedShipmentsArriveWithTheirChildrenAndLeaveTheStores) {
    GoodsLineRecord line{};
    line.description = "Kid's shoes";
    line.quantity = 2;
    line.unitPrice = 10;
    std::vector<GoodsLineRecord> goods = {line, line};
    goods[1].description = "socks";
    PieceWeightRecord piece{};
    piece.length = 10;
    piece.width = 20;
    piece.height = 30;
    piece.weightGrams = 500;
    piece.volumetricPercent = 100;
    const std::vector<PieceWeightRecord> pieces = {piece, piece, piece};
    ShipmentRecord notReady = Shipment("TLUP000004", "赵六");
    notReady.destination = "";
    ShipmentRecord unknownPlace = Shipment("TLUP000005", "钱七");
    unknownPlace.destination = G("火星");
    Store({Shipment("TLUP000001", "李娜"), Shipment("TLUP000002", "O'Brien"), Shipment("TLUP000003", "王芳"), notReady,
           unknownPlace},
          goods, pieces);

    std::string out, err;
    ASSERT_EQ(Cli("--account demo --password demo123 upload", out, err), 0) << out << err;
    EXPECT_NE(out.find("\"waybill\":\"TLUP000001\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"waybill\":\"TLUP000002\""), std::string::npos) << out;
    EXPECT_EQ(out.find("TLUP000004"), std::string::npos) << "a shipment without destination is not sent";
    EXPECT_EQ(out.find("TLUP000005"), std::string::npos) << "nor one to a destination its kind does not take";
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3) << out;

    // Locally only the shipments that were not ready are left, and no children.
    ASSERT_EQ(Cli("dump shipments", out, err), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    EXPECT_NE(out.find("TLUP000004"), std::string::npos);
    EXPECT_NE(out.find("TLUP000005"), std::string::npos);
    ASSERT_EQ(Cli("dump goods", out, err), 0);
    EXPECT_EQ(out, "");
    ASSERT_EQ(Cli("dump weights", out, err), 0);
    EXPECT_EQ(out, "");

    ServerRows rows(server->Database());
    const auto shipments = rows.Query(
        "SELECT iid, icid, cnum, creceiver FROM rec_pre_input"
        " WHERE cnum LIKE 'TLUP%' ORDER BY cnum");
    ASSERT_EQ(shipments.size(), 3u);
    EXPECT_EQ(shipments[0][1], "1001");  // the caller's customer
    EXPECT_EQ(shipments[1][3], "O'Brien");
    const std::string first = shipments[0][0];
    const auto lines =
        rows.Query("SELECT cgoods, iquantity FROM rec_pre_input_goods WHERE iid = " + first + " ORDER BY wpos");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0][0], "Kid`s shoes");
    EXPECT_EQ(lines[1][0], "socks");
    EXPECT_EQ(rows.Query("SELECT iweight FROM rec_pre_input_item WHERE iid = " + first).size(), 3u);
    EXPECT_TRUE(rows.Query("SELECT * FROM rec_pre_input_goods WHERE iid = " + shipments[1][0]).empty());

    // The same number again is refused and stays here with the reason.
    Store({Shipment("TLUP000001", "李娜")});
    EXPECT_EQ(Cli("--account demo --password demo123 upload", out, err), 1);
    EXPECT_NE(out.find("\"result\":-2"), std::string::npos) << out;
    EXPECT_NE(out.find("单号重复"), std::string::npos) << out;
    ASSERT_EQ(Cli("dump shipments", out, err), 0);
    EXPECT_NE(out.find("TLUP000001"), std::string::npos);
}

TEST_F(CliUploadIntegrationTest, DirectRecordMembersCreateRecords) {
    Store({Shipment("TLDR000001", "陈晨")});
    std::string out, err;
    ASSERT_EQ(Cli("--account direct --password direct123 upload", out, err), 0) << out << err;
    ServerRows rows(server->Database());
    EXPECT_EQ(rows.Query("SELECT * FROM client_rec WHERE cnum = 'TLDR000001'").size(), 1u);
    EXPECT_TRUE(rows.Query("SELECT * FROM rec_pre_input WHERE cnum = 'TLDR000001'").empty());
}

}  // namespace
}  // namespace tallux
