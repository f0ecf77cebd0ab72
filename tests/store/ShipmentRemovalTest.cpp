#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentRemoval.h"
#include "store/ShipmentStore.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

// Shipments 1..3; goods lines of 1, 2 and of 9, which was never stored here;
// piece weights of 2 and 3. Each case on files of its own.
struct ThreeFiles {
    ThreeFiles() {
        opened = shipments.Open(dir.File("recinput.dat")) == 0 && goods.Open(dir.File("recgoods.dat")) == 0 &&
                 weights.Open(dir.File("recweight.dat")) == 0;
        for (int id = 1; id <= 3; ++id) {
            auto shipment = test::Shipment("TL000000" + std::to_string(id));
            shipments.Append(shipment);
        }
        for (int parent : {1, 1, 2, 9}) {
            auto line = test::Child<GoodsLineRecord>(parent, "line");
            goods.Append(line);
        }
        for (int parent : {2, 3, 3}) {
            auto piece = test::Child<PieceWeightRecord>(parent, "piece");
            weights.Append(piece);
        }
    }

    std::vector<int> ShipmentIds() const {
        std::vector<int> ids;
        for (int i = 0; i < shipments.Count(); ++i) ids.push_back(shipments.At(i)->id);
        return ids;
    }
    // The parents of the children left, in file order.
    template <typename Store>
    static std::vector<int> Parents(const Store& store) {
        std::vector<int> parents;
        for (int i = 0; i < store.Count(); ++i) parents.push_back(store.At(i)->parentId);
        return parents;
    }

    test::TempDir dir;
    ShipmentStore shipments;
    GoodsLineStore goods;
    PieceWeightStore weights;
    bool opened = false;
    ShipmentRemoval removal{shipments, goods, weights};
};

TEST(ShipmentRemoval, RemovesTheShipmentWithItsChildrenAndLeavesNoNote) {
    for (bool deferred : {false, true}) {
        SCOPED_TRACE(deferred ? "deferred" : "at once");
        ThreeFiles f;
        ASSERT_TRUE(f.opened);
        for (int id : {1, 2}) {
            EXPECT_TRUE(f.removal.Remove(id, deferred));
            EXPECT_EQ(f.shipments.RemovalNote(), 0);
        }
        EXPECT_FALSE(f.removal.Remove(1, deferred)) << "no longer stored";
        f.removal.FinishPending();
        EXPECT_EQ(f.ShipmentIds(), std::vector<int>{3});
        EXPECT_EQ(f.Parents(f.goods), std::vector<int>{9});
        EXPECT_EQ(f.Parents(f.weights), (std::vector<int>{3, 3}));
    }
}

// A removal killed after its note: what the next open finds.
TEST(ShipmentRemoval, TheNextOpenFinishesTheNotedRemovalAndNothingElse) {
    struct Case {
        const char* what;
        int noted;                                   // 0: no note
        bool shipmentRemoved;                        // how far the removal of shipment 2 had got
        std::vector<int> shipments, goods, weights;  // what is left after the open
    } cases[] = {
        {"killed after the shipment's removal", 2, true, {1, 3}, {1, 1, 9}, {3, 3}},
        {"killed before the shipment's removal", 2, false, {1, 3}, {1, 1, 9}, {3, 3}},
        {"no note: orphans stay for a check to report", 0, true, {1, 3}, {1, 1, 2, 9}, {2, 3, 3}},
        {"no note and nothing under way", 0, false, {1, 2, 3}, {1, 1, 2, 9}, {2, 3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ThreeFiles f;
        ASSERT_TRUE(f.opened);
        if (c.noted) {
            ASSERT_TRUE(f.shipments.WriteRemovalNote(c.noted));
        }
        if (c.shipmentRemoved) {
            ASSERT_TRUE(f.shipments.RemoveById(2));
        }
        ASSERT_TRUE(f.shipments.Reopen() && f.goods.Reopen() && f.weights.Reopen());

        EXPECT_TRUE(f.removal.FinishInterrupted());
        EXPECT_EQ(f.shipments.RemovalNote(), 0);
        EXPECT_EQ(f.ShipmentIds(), c.shipments);
        EXPECT_EQ(f.Parents(f.goods), c.goods);
        EXPECT_EQ(f.Parents(f.weights), c.weights);
    }
}

TEST(ShipmentRemoval, ANewRemovalFinishesTheInterruptedOneFirst) {
    ThreeFiles f;
    ASSERT_TRUE(f.opened);
    ASSERT_TRUE(f.shipments.WriteRemovalNote(1));
    EXPECT_TRUE(f.removal.Remove(3));
    EXPECT_EQ(f.shipments.RemovalNote(), 0);
    EXPECT_EQ(f.ShipmentIds(), std::vector<int>{2});
    EXPECT_EQ(f.Parents(f.goods), (std::vector<int>{2, 9}));
    EXPECT_EQ(f.Parents(f.weights), std::vector<int>{2});
}

TEST(ShipmentRemoval, ChildrenOfAnIdNeverIssuedGoWithoutANote) {
    ThreeFiles f;
    ASSERT_TRUE(f.opened);
    EXPECT_FALSE(f.removal.Remove(9));
    EXPECT_EQ(f.Parents(f.goods), (std::vector<int>{1, 1, 2}));
    EXPECT_EQ(f.shipments.RemovalNote(), 0);
    // The file still opens: a note names only ids it has issued.
    EXPECT_TRUE(f.shipments.Reopen());
}

}  // namespace
}  // namespace tallux
