#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreChecker.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

class StoreCheckerTest : public ::testing::Test {
protected:
    StoreCheckerTest() { std::filesystem::create_directories(dir.Path() / "DATA"); }

    std::string Path(const char* relative) const { return (dir.Path() / relative).string(); }

    // One shipment with the counts it claims and the children it has.
    void WriteShipment(int goodsLineCount, int goodsLines, int pieceWeightCount, int pieceWeights) {
        ShipmentStore shipments;
        GoodsLineStore goods;
        PieceWeightStore weights;
        ASSERT_GE(shipments.Open(Path("DATA/recinput.dat")), 0);
        ASSERT_GE(goods.Open(Path("DATA/recgoods.dat")), 0);
        ASSERT_GE(weights.Open(Path("DATA/recweight.dat")), 0);
        auto shipment = test::Shipment("TL0000001");
        shipment.goodsLineCount = goodsLineCount;
        shipment.pieceWeightCount = pieceWeightCount;
        shipments.Append(shipment);
        for (int i = 0; i < goodsLines; ++i) {
            auto line = test::Child<GoodsLineRecord>(shipment.id, "goods");
            goods.Append(line);
        }
        for (int i = 0; i < pieceWeights; ++i) {
            auto piece = test::Child<PieceWeightRecord>(shipment.id, "piece");
            weights.Append(piece);
        }
    }

    test::TempDir dir;
};

TEST_F(StoreCheckerTest, ShipmentCountsMustMatchTheChildrenItHas) {
    const std::string goods = "DATA/recinput.dat: record 0 (id 1): goodsLineCount is ";
    const std::string pieces = "DATA/recinput.dat: record 0 (id 1): pieceWeightCount is ";
    struct Case {
        int goodsLineCount, goodsLines, pieceWeightCount, pieceWeights;
        std::vector<std::string> problems;
    } cases[] = {
        {2, 2, 3, 3, {}},
        {0, 0, 0, 0, {}},
        {INT_MAX, 1, 1, 1, {goods + "2147483647 but DATA/recgoods.dat holds 1 for it"}},
        {1, 1, -5, 0, {pieces + "-5 but DATA/recweight.dat holds 0 for it"}},
        {0, 2, 1, 1, {goods + "0 but DATA/recgoods.dat holds 2 for it"}},
        {3,
         2,
         1,
         4,
         {goods + "3 but DATA/recgoods.dat holds 2 for it", pieces + "1 but DATA/recweight.dat holds 4 for it"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.goodsLineCount) + "/" + std::to_string(c.goodsLines) + " " +
                     std::to_string(c.pieceWeightCount) + "/" + std::to_string(c.pieceWeights));
        std::filesystem::remove_all(dir.Path() / "DATA");
        std::filesystem::create_directories(dir.Path() / "DATA");
        WriteShipment(c.goodsLineCount, c.goodsLines, c.pieceWeightCount, c.pieceWeights);
        EXPECT_EQ(CheckStores(dir.Path().string()), c.problems);
    }
}

TEST_F(StoreCheckerTest, AnInterruptedRemovalIsReportedOnceWithItsNote) {
    WriteShipment(1, 1, 2, 2);
    {
        // Killed after the shipment's removal, before its children's.
        ShipmentStore shipments;
        ASSERT_GE(shipments.Open(Path("DATA/recinput.dat")), 0);
        ASSERT_TRUE(shipments.WriteRemovalNote(1));
        ASSERT_TRUE(shipments.RemoveById(1));
    }
    EXPECT_EQ(
        CheckStores(dir.Path().string()),
        std::vector<std::string>{"DATA/recinput.dat: the removal of shipment 1 with its goods lines and piece"
                                 " weights is not finished; the client finishes it when it next opens the files"});
}

TEST_F(StoreCheckerTest, AMissingChildFileHoldsNoChildren) {
    WriteShipment(1, 1, 2, 2);
    std::filesystem::remove(Path("DATA/recweight.dat"));
    EXPECT_EQ(CheckStores(dir.Path().string()),
              std::vector<std::string>{
                  "DATA/recinput.dat: record 0 (id 1): pieceWeightCount is 2 but DATA/recweight.dat holds 0 for it"});
}

TEST_F(StoreCheckerTest, ADirectoryInAStoresPlaceCannotBeRead) {
    WriteShipment(1, 1, 0, 0);
    std::filesystem::remove(Path("DATA/recinput.dat"));
    std::filesystem::create_directories(Path("DATA/recinput.dat"));
    std::vector<std::string> problems = CheckStores(dir.Path().string());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], Path("DATA/recinput.dat") + ": is a directory");

    RecordFileSnapshot snapshot;
    EXPECT_EQ(LoadStoreSnapshot(Path("DATA/recinput.dat"), sizeof(ShipmentRecord), snapshot),
              Path("DATA/recinput.dat") + ": is a directory");
    EXPECT_EQ(LoadStoreSnapshot(Path("DATA/missing.dat"), sizeof(ShipmentRecord), snapshot), std::nullopt);
    EXPECT_EQ(LoadStoreSnapshot(Path("DATA/recgoods.dat"), sizeof(GoodsLineRecord), snapshot), std::nullopt);
    EXPECT_EQ(snapshot.Count(), 1);
}

}  // namespace
}  // namespace tallux
