#include <gtest/gtest.h>

#include "store/CheckScanStore.h"
#include "store/ShipmentStore.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

class ShipmentStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(store.Open(dir.File("recinput.dat")), 0) << store.ErrorText(); }

    int Add(std::string_view waybill, std::string_view reference = {}, std::string_view transfer = {}) {
        auto r = test::Shipment(waybill, reference, transfer);
        store.Append(r);
        return r.id;
    }

    test::TempDir dir;
    ShipmentStore store;
};

TEST_F(ShipmentStoreTest, EmptyStoreFindsNothing) {
    EXPECT_EQ(store.IndexOfId(1), -1);
    EXPECT_EQ(store.IndexOfId(0), -1);
    EXPECT_EQ(store.FindById(1), nullptr);
    EXPECT_FALSE(store.RemoveById(1));
    EXPECT_EQ(store.FindByWaybill(""), nullptr);
    EXPECT_EQ(store.FindByWaybill("TL0000001"), nullptr);
    EXPECT_EQ(store.FindByReference("REF123456"), nullptr);
}

TEST_F(ShipmentStoreTest, BinarySearchFindsEveryIdAfterDeletes) {
    for (int i = 1; i <= 20; ++i) Add("TL" + std::to_string(1000000 + i));
    for (int id : {1, 7, 8, 20}) ASSERT_TRUE(store.RemoveById(id));
    for (int id = 0; id <= 22; ++id) {
        bool present = id >= 1 && id <= 20 && id != 1 && id != 7 && id != 8 && id != 20;
        int index = store.IndexOfId(id);
        if (present) {
            ASSERT_GE(index, 0) << id;
            EXPECT_EQ(store.At(index)->id, id);
            EXPECT_EQ(store.FindById(id)->id, id);
        } else {
            EXPECT_EQ(index, -1) << id;
            EXPECT_EQ(store.FindById(id), nullptr) << id;
        }
    }
}

TEST_F(ShipmentStoreTest, TextFindsAreExactAndTheNewestWins) {
    int older = Add("TL1234567", "REF-000001", "TR0000001");
    Add("TL7654321");
    int newer = Add("TL1234567", "REF-000001", "TR0000001");
    EXPECT_EQ(store.FindByWaybill("TL1234567")->id, newer);
    EXPECT_EQ(store.FindByWaybill("tl1234567"), nullptr) << "case-sensitive";
    EXPECT_EQ(store.FindByWaybill("TL123456"), nullptr) << "no prefix match";
    EXPECT_EQ(store.FindByReference("REF-000001")->id, newer);
    EXPECT_EQ(store.FindByTransferNumber("TR0000001")->id, newer);
    store.RemoveById(newer);
    EXPECT_EQ(store.FindByWaybill("TL1234567")->id, older);
}

TEST_F(ShipmentStoreTest, ReferenceAndTransferFindsIgnoreShortTexts) {
    Add("TL0000001", "12345", "ABCDE");
    Add("TL0000002", "123456", "ABCDEF");
    EXPECT_EQ(store.FindByReference("12345"), nullptr);
    EXPECT_EQ(store.FindByTransferNumber("ABCDE"), nullptr);
    EXPECT_EQ(store.FindByReference(""), nullptr);
    ASSERT_NE(store.FindByReference("123456"), nullptr);
    EXPECT_EQ(store.FindByTransferNumber("ABCDEF")->waybillNumber.view(), "TL0000002");
}

TEST(CheckScanStoreTest, FindsByNumberAndRemovesById) {
    test::TempDir dir;
    CheckScanStore store;
    ASSERT_EQ(store.Open(dir.File("reccheck.dat")), 0);
    for (const char* number : {"TL0000001", "TL0000002", "TL0000003"}) {
        auto r = test::Cleared<CheckScanRecord>();
        r.waybillNumber = number;
        store.Append(r);
    }
    EXPECT_EQ(store.FindByNumber("TL0000002")->id, 2);
    EXPECT_EQ(store.FindByNumber("TL000000"), nullptr);
    EXPECT_TRUE(store.RemoveById(2));
    EXPECT_FALSE(store.RemoveById(2));
    EXPECT_EQ(store.FindByNumber("TL0000002"), nullptr);
    EXPECT_EQ(store.Count(), 2);
}

}  // namespace
}  // namespace tallux
