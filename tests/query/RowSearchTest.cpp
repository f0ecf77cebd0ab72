#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "query/RowSearch.h"

namespace tallux {
namespace {

TEST(CellMatchesTest, ModesAreCaseSensitive) {
    struct Case {
        std::u16string cell;
        std::u16string text;
        int mode;
        bool expected;
    };
    const Case cases[] = {
        {u"EMS123CN", u"123", kSearchContains, true},
        {u"EMS123CN", u"ems", kSearchContains, false},
        {u"EMS123CN", u"EMS", kSearchBeginsWith, true},
        {u"EMS123CN", u"123", kSearchBeginsWith, false},
        {u"EMS123CN", u"CN", kSearchEndsWith, true},
        {u"EMS123CN", u"cn", kSearchEndsWith, false},
        {u"EMS123CN", u"EMS123CN", 3, true},
        {u"EMS123CN", u"EMS123", 3, false},
        {u"EMS123CN", u"EMS123CN", -1, true},
        {u"", u"", kSearchContains, true},
    };
    for (const Case& c : cases) EXPECT_EQ(CellMatches(c.cell, c.text, c.mode), c.expected);
}

TEST(FindMatchingRowTest, SearchesFromStartRowAndChecksBounds) {
    const std::vector<std::u16string> cells = {u"a1", u"b2", u"a3"};
    auto cellOf = [&](int row) { return std::u16string_view(cells[row]); };
    EXPECT_EQ(FindMatchingRow(3, 2, 0, 0, u"a", kSearchBeginsWith, cellOf), 0);
    EXPECT_EQ(FindMatchingRow(3, 2, 0, 1, u"a", kSearchBeginsWith, cellOf), 2);
    EXPECT_EQ(FindMatchingRow(3, 2, 0, 0, u"z", kSearchContains, cellOf), -1);
    EXPECT_EQ(FindMatchingRow(3, 2, 2, 0, u"a", kSearchContains, cellOf), -1);  // column out of range
    EXPECT_EQ(FindMatchingRow(3, 2, -1, 0, u"a", kSearchContains, cellOf), -1);
    EXPECT_EQ(FindMatchingRow(3, 2, 0, 3, u"a", kSearchContains, cellOf), -1);  // start past the end
    EXPECT_EQ(FindMatchingRow(3, 2, 0, -1, u"a", kSearchContains, cellOf), -1);
}

}  // namespace
}  // namespace tallux
