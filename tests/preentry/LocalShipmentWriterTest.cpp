#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <semaphore>
#include <thread>

#include "preentry/LocalShipmentWriter.h"
#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/ShipmentFixtures.h"

namespace tallux {
namespace {

class LocalShipmentWriterTest : public ::testing::Test, protected test::ShipmentStoresInTempDir {
protected:
    void SetUp() override { ASSERT_TRUE(opened); }

    ShipmentRecord NewShipment(std::string_view waybill) {
        ShipmentRecord record = test::Shipment(waybill);
        record.id = -1;
        return record;
    }
};

TEST_F(LocalShipmentWriterTest, NewShipmentIsStoredWithItsChildren) {
    const std::vector<GoodsLineRecord> lines = {test::Child<GoodsLineRecord>(99, "shoes"),
                                                test::Child<GoodsLineRecord>(99, "socks")};
    const std::vector<PieceWeightRecord> pieces = {test::Child<PieceWeightRecord>(99, "box 1"),
                                                   test::Child<PieceWeightRecord>(99, "box 2"),
                                                   test::Child<PieceWeightRecord>(99, "box 3")};
    SaveLocalShipment(stores, NewShipment("TL0000001"), {}, {}, false);
    const LocalSaveOutcome outcome = SaveLocalShipment(stores, NewShipment("TL0000002"), lines, pieces, false);
    ASSERT_EQ(outcome.result, LocalSaveResult::Saved);
    EXPECT_EQ(outcome.record.id, 2);  // the copy handed back carries the new id
    EXPECT_EQ(outcome.record.waybillNumber.view(), "TL0000002");
    ASSERT_EQ(goods.Count(), 2);
    ASSERT_EQ(weights.Count(), 3);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(goods.At(i)->parentId, 2);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(weights.At(i)->parentId, 2);
    EXPECT_EQ(goods.At(1)->description.view(), "socks");
    EXPECT_EQ(goods.At(1)->id, 2);  // child ids come from their own store
}

TEST_F(LocalShipmentWriterTest, WaybillNumbersStayUnique) {
    SaveLocalShipment(stores, NewShipment("TL0000001"), {}, {}, false);
    SaveLocalShipment(stores, NewShipment("TL0000002"), {}, {}, false);

    const LocalSaveOutcome copy = SaveLocalShipment(stores, NewShipment("TL0000001"), {}, {}, false);
    EXPECT_EQ(copy.result, LocalSaveResult::DuplicateWaybill);
    EXPECT_EQ(copy.message, "相同运单号的记录已经存在。");
    EXPECT_EQ(shipments.Count(), 2);

    // A stored shipment keeps its own number…
    ShipmentRecord first = *shipments.FindById(1);
    first.weight = 7.5;
    EXPECT_EQ(SaveLocalShipment(stores, first, {}, {}, false).result, LocalSaveResult::Saved);
    EXPECT_DOUBLE_EQ(shipments.FindById(1)->weight, 7.5);
    // …but cannot take another one's.
    first.waybillNumber = "TL0000002";
    EXPECT_EQ(SaveLocalShipment(stores, first, {}, {}, false).result, LocalSaveResult::DuplicateWaybill);
    EXPECT_EQ(shipments.FindById(1)->waybillNumber.view(), "TL0000001");
    // Letter case counts.
    EXPECT_EQ(SaveLocalShipment(stores, NewShipment("tl0000002"), {}, {}, false).result, LocalSaveResult::Saved);
}

TEST_F(LocalShipmentWriterTest, ShipmentDeletedMeanwhileIsNotWrittenAgain) {
    SaveLocalShipment(stores, NewShipment("TL0000001"), {}, {}, false);
    ShipmentRecord shown = *shipments.FindById(1);
    ASSERT_TRUE(DeleteLocalShipment(stores, 1));  // an upload took it

    shown.weight = 3;
    const std::vector<PieceWeightRecord> pieces = {test::Child<PieceWeightRecord>(1, "box")};
    const LocalSaveOutcome outcome = SaveLocalShipment(stores, shown, {}, pieces, true);
    EXPECT_EQ(outcome.result, LocalSaveResult::RecordVanished);
    EXPECT_FALSE(outcome.message.empty());
    EXPECT_EQ(shipments.Count(), 0);
    EXPECT_EQ(weights.Count(), 0);  // no orphan children either
}

TEST_F(LocalShipmentWriterTest, ChangedPiecesReplaceTheStoredOnes) {
    const std::vector<PieceWeightRecord> two = {test::Child<PieceWeightRecord>(0, "a"),
                                                test::Child<PieceWeightRecord>(0, "b")};
    SaveLocalShipment(stores, NewShipment("TL0000001"), {}, two, false);
    SaveLocalShipment(stores, NewShipment("TL0000002"), {}, two, false);
    ShipmentRecord first = *shipments.FindById(1);

    const std::vector<PieceWeightRecord> one = {test::Child<PieceWeightRecord>(0, "c")};
    ASSERT_EQ(SaveLocalShipment(stores, first, {}, one, false).result, LocalSaveResult::Saved);
    EXPECT_EQ(weights.Count(), 4);  // unchanged pieces are left alone
    ASSERT_EQ(SaveLocalShipment(stores, first, {}, one, true).result, LocalSaveResult::Saved);
    std::vector<PieceWeightRecord> stored;
    weights.CollectChildren(1, stored);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].description.view(), "c");
    weights.CollectChildren(2, stored);
    EXPECT_EQ(stored.size(), 2u);
}

TEST_F(LocalShipmentWriterTest, DeleteTakesTheChildrenAlong) {
    const std::vector<GoodsLineRecord> lines = {test::Child<GoodsLineRecord>(0, "x")};
    const std::vector<PieceWeightRecord> pieces = {test::Child<PieceWeightRecord>(0, "y")};
    SaveLocalShipment(stores, NewShipment("TL0000001"), lines, pieces, false);
    SaveLocalShipment(stores, NewShipment("TL0000002"), lines, pieces, false);
    EXPECT_TRUE(DeleteLocalShipment(stores, 1));
    EXPECT_FALSE(DeleteLocalShipment(stores, 1));
    EXPECT_EQ(shipments.Count(), 1);
    ASSERT_EQ(goods.Count(), 1);
    EXPECT_EQ(goods.At(0)->parentId, 2);
    ASSERT_EQ(weights.Count(), 1);
    EXPECT_EQ(weights.At(0)->parentId, 2);
}

TEST_F(LocalShipmentWriterTest, SaveWaitsWhileAnUploadHoldsTheStoreLock) {
    std::binary_semaphore formWaits{0};
    lock.SetWaitObserver([&] { formWaits.release(); });
    lock.Acquire();
    std::atomic<bool> saved{false};
    std::thread form([&] {
        SaveLocalShipment(stores, NewShipment("TL0000001"), {}, {}, false);
        saved = true;
    });
    // Only once the form is held up at the lock does "not saved yet" mean anything.
    EXPECT_TRUE(formWaits.try_acquire_for(std::chrono::seconds(10))) << "the save never waited for the lock";
    EXPECT_FALSE(saved.load());
    EXPECT_EQ(shipments.Count(), 0);
    lock.Release();
    form.join();
    EXPECT_TRUE(saved.load());
    EXPECT_EQ(shipments.Count(), 1);
}

}  // namespace
}  // namespace tallux
