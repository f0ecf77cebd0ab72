#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "query/ReportSort.h"

namespace tallux {
namespace {

std::vector<std::u16string_view> Views(const std::vector<std::u16string>& texts) {
    return {texts.begin(), texts.end()};
}

std::vector<std::u16string> Sorted(const std::vector<std::u16string>& texts, SortKind kind, bool ascending) {
    std::vector<std::u16string> sorted;
    for (int index : SortedRowOrder(Views(texts), kind, ascending)) sorted.push_back(texts[index]);
    return sorted;
}

TEST(LeadingNumberTest, ReadsTheLeadingDecimalNumberOrZero) {
    struct Case {
        std::u16string text;
        double expected;
    };
    const Case cases[] = {
        {u"10", 10},
        {u"9.5", 9.5},
        {u"abc", 0},
        {u"", 0},
        {u"  -3.25kg", -3.25},
        {u"+7", 7},
        {u".5", 0.5},
        {u"2.", 2},
        {u"1e3", 1000},
        {u"1e", 1},
        {u"1E-2x", 0.01},
        {u"-", 0},
        {u".", 0},
        {u"12,345", 12},
        {u"公斤5", 0},
        {u"1e999", INFINITY},
        {u"1e-999", 0},
        {u"0.0001e-400", 0},
        {std::u16string(400, u'9'), INFINITY},
        {u"0." + std::u16string(400, u'0') + u"1", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LeadingNumber(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
}

TEST(CompareCellsTest, IsAStrictWeakOrderingForNumbersAndTexts) {
    EXPECT_EQ(CompareCells(u"10", u"10.0", SortKind::Number), 0);
    EXPECT_EQ(CompareCells(u"abc", u"", SortKind::Number), 0);
    EXPECT_LT(CompareCells(u"9.5", u"10", SortKind::Number), 0);
    EXPECT_GT(CompareCells(u"10", u"9.5", SortKind::Number), 0);
    EXPECT_EQ(CompareCells(u"Hello", u"hELLO", SortKind::Text), 0);
    EXPECT_LT(CompareCells(u"apple", u"Banana", SortKind::Text), 0);
    EXPECT_LT(CompareCells(u"ÄPFEL", u"äpfel0", SortKind::Text), 0);
    EXPECT_EQ(CompareCells(u"ÄPFEL", u"äpfel", SortKind::Text), 0);
    // Text columns compare texts, not numbers: "10" comes before "9".
    EXPECT_LT(CompareCells(u"10", u"9", SortKind::Text), 0);
}

TEST(SortedRowOrderTest, NumericColumnPutsNonNumbersFirstAscending) {
    EXPECT_EQ(Sorted({u"10", u"9.5", u"abc"}, SortKind::Number, true),
              (std::vector<std::u16string>{u"abc", u"9.5", u"10"}));
    EXPECT_EQ(Sorted({u"10", u"9.5", u"abc"}, SortKind::Number, false),
              (std::vector<std::u16string>{u"10", u"9.5", u"abc"}));
}

TEST(SortedRowOrderTest, EqualKeysKeepTheirOrderInBothDirections) {
    // Rows 0, 2 and 4 share the number 5, rows 1 and 3 the number 1.
    const std::vector<std::u16string> numbers = {u"5", u"1", u"5.0", u"1x", u"5kg"};
    EXPECT_EQ(SortedRowOrder(Views(numbers), SortKind::Number, true), (std::vector<int>{1, 3, 0, 2, 4}));
    EXPECT_EQ(SortedRowOrder(Views(numbers), SortKind::Number, false), (std::vector<int>{0, 2, 4, 1, 3}));

    const std::vector<std::u16string> texts = {u"b", u"A", u"B", u"a", u"c"};
    EXPECT_EQ(SortedRowOrder(Views(texts), SortKind::Text, true), (std::vector<int>{1, 3, 0, 2, 4}));
    EXPECT_EQ(SortedRowOrder(Views(texts), SortKind::Text, false), (std::vector<int>{4, 0, 2, 1, 3}));
}

TEST(SortedRowOrderTest, EmptyColumnGivesEmptyOrder) { EXPECT_TRUE(SortedRowOrder({}, SortKind::Text, true).empty()); }

}  // namespace
}  // namespace tallux
