#include <gtest/gtest.h>

#include <string>

#include "net/ExpressKinds.h"
#include "tests/support/GbkText.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using test::G;

class ExpressKindsTest : public ::testing::Test {
protected:
    ExpressKindsTest() {
        kinds.Append("K1", G("标准"));
        kinds.Append("K2", G("特快"));
        kinds.Append("K3", G("标准"));  // same name: the first wins
        kinds.FindKindByCode("K1")->destinations = G("上海\t北京\t北京市\t市中心区\t") +
                                                   "\xB1\xB1"
                                                   "A\t";
    }
    KindList kinds;
};

TEST_F(ExpressKindsTest, LookupsAreExactAndTakeTheFirstMatch) {
    EXPECT_EQ(kinds.FindKindByName(G("标准")), kinds.KindAt(0));
    EXPECT_EQ(kinds.FindKindByCode("K3"), kinds.KindAt(2));
    EXPECT_EQ(kinds.FindKindByCode("k1"), nullptr);
    EXPECT_EQ(kinds.FindKindByName(G("标")), nullptr);
    EXPECT_EQ(kinds.KindAt(3), nullptr);
}

TEST_F(ExpressKindsTest, AcceptsListedDestinationsAndShortenedAddresses) {
    struct Case {
        std::string kind, destination;
        bool accepted;
    } cases[] = {
        {G("标准"), G("北京"), true},
        {G("标准"), G("上海"), true},
        {G("标准"), G("北"), false},
        {G("标准"), G("京"), true},                  // a listed name's tail: the match is by substring
        {G("标准"), G("北京市海淀区中关村"), true},  // cut after 市
        {G("标准"), G("上海市浦东新区"), false},     // 上海市 is not listed
        {G("标准"), G("市中心区广场"), true},        // 市 at byte 0 does not count; cut after 区
        {G("标准"), G("北京朝阳"), false},           // 8 bytes: not shortened
        {G("标准"),
         "\xB1"
         "A",
         false},                        // would match from the trail byte of the listed 盇
        {G("特快"), G("北京"), false},  // no destination text
        {G("标准"), "", false},         // names no destination, though every entry ends in a tab
        {G("没有"), G("北京"), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kinds.KindAcceptsDestination(c.kind, c.destination), c.accepted) << GbkToUtf8(c.destination);
}

TEST_F(ExpressKindsTest, KindNumberPrefersTheOrderNumber) {
    ASSERT_TRUE(kinds.ApplyOrder({{G("特快"), 4, ""}, {G("标准"), 0, ""}}));
    struct Case {
        std::string kind;
        int defaultNumber, expected;
    } cases[] = {
        {G("特快"), 1, 4}, {G("特快"), 13, 3}, {G("特快"), 10, 4},
        {G("标准"), 2, 2}, {G("没有"), 5, 5},  {G("没有"), 27, 7},
    };
    for (const Case& c : cases) EXPECT_EQ(kinds.KindNumber(c.kind, c.defaultNumber), c.expected) << c.defaultNumber;
    // The order keeps each kind once: the second 标准 (K3) is gone.
    EXPECT_EQ(kinds.Size(), 2);
    EXPECT_EQ(kinds.KindAt(1)->code.view(), "K1");
}

}  // namespace
}  // namespace tallux
