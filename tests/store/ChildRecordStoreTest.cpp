#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

// Both child stores behave the same; run every case on each.
template <typename Store>
class ChildRecordStoreTest : public ::testing::Test {
protected:
    using Record = std::remove_reference_t<decltype(*std::declval<Store>().At(0))>;

    void SetUp() override {
        ASSERT_EQ(store.Open(dir.File("children.dat")), 0);
        // Shipment 1 has two children, shipment 2 none, shipment 3 three.
        for (auto [parent, text] :
             std::vector<std::pair<int, const char*>>{{1, "a"}, {1, "b"}, {3, "c"}, {3, "d"}, {3, "e"}}) {
            auto r = test::Child<Record>(parent, text);
            store.Append(r);
        }
    }

    test::TempDir dir;
    Store store;
};

using ChildStores = ::testing::Types<GoodsLineStore, PieceWeightStore>;
TYPED_TEST_SUITE(ChildRecordStoreTest, ChildStores);

TYPED_TEST(ChildRecordStoreTest, FindsTheRunOfAParent) {
    EXPECT_EQ(this->store.FirstIndexOfParent(1), 0);
    EXPECT_EQ(this->store.FirstIndexOfParent(3), 2);
    EXPECT_EQ(this->store.FirstIndexOfParent(2), -1);

    std::vector<typename TestFixture::Record> list;
    EXPECT_EQ(this->store.CollectChildren(3, list), 2);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].description.view(), "c");
    EXPECT_EQ(list[2].description.view(), "e");
    EXPECT_EQ(list[2].id, 5);
}

TYPED_TEST(ChildRecordStoreTest, CollectingForAChildlessShipmentEmptiesTheList) {
    std::vector<typename TestFixture::Record> list(4);
    EXPECT_EQ(this->store.CollectChildren(2, list), -1);
    EXPECT_TRUE(list.empty());
}

TYPED_TEST(ChildRecordStoreTest, RemovesOnlyTheChildrenOfOneParent) {
    EXPECT_EQ(this->store.RemoveChildren(3), 3);
    EXPECT_EQ(this->store.RemoveChildren(2), 0);
    ASSERT_EQ(this->store.Count(), 2);
    EXPECT_EQ(this->store.At(1)->description.view(), "b");
    EXPECT_EQ(this->store.FirstIndexOfParent(3), -1);
}

TYPED_TEST(ChildRecordStoreTest, AStoreThatCouldNotBeReopenedHasNoRecordsToShow) {
    // A failed write reopens the file; when that fails too, the store is
    // closed and its old count must not send readers to unmapped records.
    const std::string path = this->dir.File("children.dat");
    std::filesystem::rename(path, this->dir.File("moved.dat"));
    std::filesystem::create_directory(path);
    EXPECT_FALSE(this->store.Reopen());
    EXPECT_EQ(this->store.Count(), 0);
    EXPECT_EQ(this->store.FirstIndexOfParent(1), -1);
    EXPECT_FALSE(this->store.RemoveAllChildren(1)) << "nothing is known to be removed from a closed file";
    EXPECT_EQ(this->store.RemoveChildren(1), 0);
}

}  // namespace
}  // namespace tallux
