#include <gtest/gtest.h>

#include <string>

#include "text/TextBudget.h"

namespace tallux {
namespace {

TEST(LimitTextBytes, CutsFiveCharactersBeforeTheOverflowAndAddsDots) {
    struct Case {
        std::u16string text;
        std::size_t budget;
        std::u16string expected;
    } cases[] = {
        {u"ABCDEFGHIJKL", 10, u"ABCDE..."},  // the eleventh letter (j = 10) overflows
        {u"ABCDEFGHIJ", 10, u"ABCDEFGHIJ"},  // exactly the budget
        {u"", 0, u""},
        {u"ABC", 2, u"..."},                  // overflow before the fifth character
        {u"北京市朝阳区建国路", 10, u"..."},  // two bytes each: the sixth (j = 5) overflows
        {u"北京市朝阳区建国路", 12, u"北..."},
        {u"ab\U0001F600\U0001F600cd", 6, u"..."},
        {u"abcdef\U0001F600xyz", 10, u"abc..."},  // each half of the pair counts 2
        {u"a\U0001F600bcdefg", 9, u"a..."},       // the cut would split the pair
    };
    for (Case c : cases) {
        LimitTextBytes(c.text, c.budget);
        EXPECT_EQ(c.text, c.expected) << c.budget;
    }
}

TEST(TextBudget, TrimsBlanksAndQuotesSqlValues) {
    EXPECT_EQ(TrimBlanks("  TL123 \t "), "TL123 \t");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks("a b"), "a b");
    EXPECT_EQ(QuoteSqlText(" O'Neil's \r\n"), "O''Neil''s");
    EXPECT_EQ(QuoteSqlText("' OR '1'='1"), "'' OR ''1''=''1");
    EXPECT_EQ(QuoteSqlText("\t"), "");
}

}  // namespace
}  // namespace tallux
