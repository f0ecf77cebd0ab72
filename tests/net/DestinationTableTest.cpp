#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/DestinationTable.h"
#include "tests/support/GbkText.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using test::G;

// "a b<TAB>code<TAB>third<TAB>fourth<TAB>Chinese<TAB>English" lines.
std::string Line(std::string_view code, std::string_view zh, std::string_view en, std::string_view fourth = "10",
                 std::string_view numbers = "0 0") {
    return std::string(numbers) + "\t" + std::string(code) + "\tCN\t" + std::string(fourth) + "\t" + G(zh) + "\t" +
           std::string(en) + "\n";
}

std::string Names(const DestinationTable::Suggestions& found) {
    std::string out;
    for (const DestinationRecord* r : found) out += r ? GbkToUtf8(r->nameZh.view()) + "," : "-,";
    return out;
}

std::string Zh(const DestinationRecord* r) { return r ? GbkToUtf8(r->nameZh.view()) : "none"; }

TEST(DestinationTableTest, ParsesLinesUntilOneHasTooFewFields) {
    DestinationTable table;
    std::string text = Line("BJ", "北京", "Beijing", "100000", "3 7") + "12 5\tSH\tCN\t20\t" + G("上海") +
                       "\tShang\thai\r\n" + "0 0\tXX\tonly\tthree\n" + Line("GZ", "广州", "Guangzhou");
    ASSERT_TRUE(table.Parse(text));
    ASSERT_EQ(table.Size(), 2);
    const DestinationRecord* bj = table.RecordAt(0);
    EXPECT_EQ(bj->sequence, 1);
    EXPECT_EQ(bj->firstNumber, 3);
    EXPECT_EQ(bj->secondNumber, 7);
    EXPECT_EQ(bj->code.view(), "BJ");
    EXPECT_EQ(bj->third.view(), "CN");
    EXPECT_EQ(bj->fourth.view(), "100000");
    EXPECT_EQ(bj->nameZh.view(), G("北京"));
    EXPECT_EQ(bj->nameEn.view(), "Beijing");
    const DestinationRecord* sh = table.RecordAt(1);
    EXPECT_EQ(sh->sequence, 2);
    EXPECT_EQ(sh->firstNumber, 12);
    EXPECT_EQ(sh->secondNumber, 5);
    EXPECT_EQ(sh->nameEn.view(), "Shang\thai");  // version 0: the rest of the line
    EXPECT_EQ(table.Version(), 0);
    EXPECT_FALSE(table.Parse("nothing here"));
    EXPECT_EQ(table.Size(), 0);
}

TEST(DestinationTableTest, VersionLinesCarryTwoExtraFields) {
    DestinationTable table;
    ASSERT_TRUE(table.Parse("VERSION:2\n1 2\tUS\tINTL\t1\t" + G("美国") + "\tUnited States\tAB\tXYZ12345\n" +
                            "1 2\tCA\tINTL\t1\t" + G("加拿大") + "\tCanada\n"));
    ASSERT_EQ(table.Size(), 1);
    EXPECT_EQ(table.Version(), 2);
    EXPECT_EQ(table.RecordAt(0)->nameEn.view(), "United States");
    EXPECT_EQ(table.RecordAt(0)->extra1.view(), "AB");
    EXPECT_EQ(table.RecordAt(0)->extra2.view(), "XYZ12");
}

TEST(DestinationTableTest, FieldsAreCutToTheirWidthsAtCharacterBoundaries) {
    struct Case {
        std::string code, third, fourth, zh, en;
        std::string code2, third2, fourth2, zh2;
        std::size_t enBytes;
    } cases[] = {
        {"ABCDEFGHIJ", "0123456789ABCDEFG", "0123456789ABC", G("一二三四五六七八九十一二三四五六七"),
         std::string(80, 'e'), "ABCDEFG", "0123456789ABCDE", "0123456789A", G("一二三四五六七八九十一二三四五"), 63},
        {"AB" + G("东西南"), "a" + G("一二三四五六七八"), G("一二三四五六"),
         "a" + G("一二三四五六七八九十一二三四五六"),
         "x" + G("一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二"), "AB" + G("东西"),
         "a" + G("一二三四五六七"), G("一二三四五"), "a" + G("一二三四五六七八九十一二三四五"), 63},
    };
    for (const Case& c : cases) {
        DestinationTable table;
        ASSERT_TRUE(
            table.Parse("0 0\t" + c.code + "\t" + c.third + "\t" + c.fourth + "\t" + c.zh + "\t" + c.en + "\n"));
        const DestinationRecord* r = table.RecordAt(0);
        EXPECT_EQ(r->code.view(), c.code2);
        EXPECT_EQ(r->third.view(), c.third2);
        EXPECT_EQ(r->fourth.view(), c.fourth2);
        EXPECT_EQ(r->nameZh.view(), c.zh2);
        EXPECT_EQ(r->nameEn.view().size(), c.enBytes);
        EXPECT_EQ(c.en.substr(0, c.enBytes), r->nameEn.view());
    }
}

TEST(DestinationTableTest, IndexesSortIgnoringCaseWithTheEarlierRecordFirst) {
    DestinationTable table;
    table.Parse(Line("ab", "乙", "beta") + Line("AB", "甲", "Alpha") + Line("aa", "丙", "alpha") +
                Line("B", "丁", "Gamma"));
    std::vector<std::string> codes;
    for (const DestinationRecord* r : table.InIndexOrder(DestinationTable::ByCode))
        codes.push_back(std::string(r->code.view()));
    EXPECT_EQ(codes, (std::vector<std::string>{"aa", "ab", "AB", "B"}));
    std::vector<std::string> english;
    for (const DestinationRecord* r : table.InIndexOrder(DestinationTable::ByEnglishName))
        english.push_back(std::string(r->nameEn.view()));
    EXPECT_EQ(english, (std::vector<std::string>{"Alpha", "alpha", "beta", "Gamma"}));

    // Exact lookups find the exact spelling even behind an equal-ignoring-case key.
    EXPECT_EQ(Zh(table.FindDestinationByCode("AB")), "甲");
    EXPECT_EQ(Zh(table.FindDestinationByCode("ab")), "乙");
    EXPECT_EQ(Zh(table.FindDestinationByCode("Ab")), "none");
    EXPECT_EQ(Zh(table.FindDestinationByCode("A")), "none");
    EXPECT_EQ(Zh(table.FindDestinationByEnglishName("ALPHA")), "甲");
    EXPECT_EQ(Zh(table.FindDestinationByEnglishName("alph")), "none");
    EXPECT_EQ(Zh(table.FindDestinationByChineseName(G("丁"))), "丁");
}

class DestinationLookupTest : public ::testing::Test {
protected:
    DestinationLookupTest() {
        table.Parse(Line("US", "美国", "United States", "1") + Line("GB", "英国", "United Kingdom", "44") +
                    Line("AE", "阿联酋", "United Arab Emirates", "971") + Line("SZ", "广东深圳", "Shenzhen", "518000") +
                    Line("SZX", "深圳", "Shenzhen City", "5180") + Line("JL", "吉林鞍山", "Jilin Anshan", "114") +
                    Line("LN", "辽宁鞍山", "Liaoning Anshan", "114001") + Line("XA", "陕西西安", "Xian", "710") +
                    Line("GDZS", "中山市", "Zhongshan", "528") + Line("HKG", "中国香港特区", "Hong Kong", "852") +
                    Line("KH", "香港九龙", "Kowloon", "8520") + Line("HEB", "哈尔滨南", "Harbin South", "150") +
                    Line("HLJ", "黑龙江哈尔滨", "Harbin", "1500"));
    }
    DestinationTable table;
};

TEST_F(DestinationLookupTest, SuggestionsSearchTheIndexTheTextPointsTo) {
    struct Case {
        std::string text, expected;
    } cases[] = {
        // GBK order: the Chinese index from the hit on, five entries
        {G("美"), "美国,陕西西安,深圳,香港九龙,英国,"},
        {G("香港"), "香港九龙,英国,中国香港特区,中山市,-,"},
        {"united k", "英国,美国,陕西西安,中山市,-,"},             // blank: English index
        {"5180", "深圳,广东深圳,中山市,陕西西安,中国香港特区,"},  // digits: fourth field
        {"518", "-,-,-,-,-,"},                                    // three digits: code index, no hit, no name
        {"sz", "广东深圳,深圳,美国,陕西西安,-,"},                 // code index, ignoring case
        {"", "-,-,-,-,-,"},
    };
    for (const Case& c : cases) EXPECT_EQ(Names(table.SuggestDestinations(c.text)), c.expected) << c.text;
}

TEST_F(DestinationLookupTest, WithoutAPrefixHitNamesContainingTheTextComeFirst) {
    struct Case {
        std::string text, expected;
    } cases[] = {
        // Both end in it after two characters: the earlier is added when
        // the later one is found, which is held back to the end.
        {G("鞍山"), "吉林鞍山,辽宁鞍山,-,-,-,"},
        {G("山"), "吉林鞍山,中山市,辽宁鞍山,-,-,"},  // ends in it after three characters: held back
        {G("特区"), "中国香港特区,-,-,-,-,"},
        {G("江哈尔滨"), "黑龙江哈尔滨,-,-,-,-,"},
        {"kingdom", "英国,-,-,-,-,"},
        {G("九龙"), "香港九龙,-,-,-,-,"},
        {"zzz", "-,-,-,-,-,"},
    };
    for (const Case& c : cases) EXPECT_EQ(Names(table.SuggestDestinations(c.text)), c.expected) << GbkToUtf8(c.text);
}

TEST_F(DestinationLookupTest, FindAnyTriesEnglishChineseCodeThenEnglishParts) {
    struct Case {
        std::string text, expected;
    } cases[] = {
        {"united states", "美国"},
        {G("英国"), "英国"},
        {"SZX", "深圳"},
        {"arab", "阿联酋"},
        {"sz", "none"},  // codes are exact
        {"", "none"},
        {"nowhere", "none"},
    };
    for (const Case& c : cases) EXPECT_EQ(Zh(table.FindDestinationAny(c.text)), c.expected) << c.text;
}

TEST_F(DestinationLookupTest, ResolveChoosesTheLikeliestPlace) {
    struct Case {
        std::string text, expected;
    } cases[] = {
        {G("深圳"), "深圳"},            // exact
        {G("鞍山"), "辽宁鞍山"},        // the ambiguous short name
        {G("西安"), "陕西西安"},        // the only one containing it
        {G("香港"), "中国香港特区"},    // several, none ends in it after two characters: the first
        {G("九龙"), "香港九龙"},        // ends in it after two characters
        {G("哈尔滨"), "黑龙江哈尔滨"},  // ends in it after three characters: taken at once
        {G("中山"), "中山市"},         {G("北京"), "none"}, {"", "none"},
    };
    for (const Case& c : cases) EXPECT_EQ(Zh(table.ResolveDestination(c.text)), c.expected) << GbkToUtf8(c.text);

    DestinationTable withoutFull;
    withoutFull.Parse(Line("JL", "吉林鞍山", "Jilin Anshan") + Line("XX", "某地鞍山", "Other"));
    EXPECT_EQ(Zh(withoutFull.ResolveDestination(G("鞍山"))), "吉林鞍山");
}

}  // namespace
}  // namespace tallux
