#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <random>
#include <string>
#include <string_view>

#include "tests/support/GbkText.h"
#include "text/CountryMatch.h"
#include "text/CountryTable.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using test::G;

// The code of the matched row, or "none"; keeps failure messages readable.
std::string Matched(std::string_view gbk) {
    const CountryRow* row = MatchCountry(gbk);
    return row ? row->code : "none";
}

std::ptrdiff_t IndexOf(const CountryRow* row) { return row ? row - CountryTable().data() : -1; }

struct Case {
    const char* utf8;
    const char* expected;  // code, or "none"
};

void ExpectMatches(const Case* begin, const Case* end) {
    for (const Case* c = begin; c != end; ++c) EXPECT_EQ(Matched(G(c->utf8)), c->expected) << "text: " << c->utf8;
}

template <std::size_t N>
void ExpectMatches(const Case (&cases)[N]) {
    ExpectMatches(cases, cases + N);
}

TEST(CountryTable, HoldsTheRowsInTheirFixedOrder) {
    const auto table = CountryTable();
    ASSERT_EQ(table.size(), 240u);
    struct Row {
        std::size_t index;
        const char* code;
        const char* chinese;
        const char* english;
    } rows[] = {
        {0, "AF", "阿富汗", "Afghanistan"},
        {37, "CN", "中国", "China"},
        {49, "DO", "多米尼加共和国", "Dominica Rep."},
        {52, "SV", "萨尔瓦多", "EI Salvador"},  // the capital I is how the records spell it
        {139, "AN", "荷属安的列斯", "Netheriands Antilles"},
        {92, "CI", "科特迪瓦", "Cote d'Ivoire"},
        {226, "CD", "刚果民主共和国", "Congo, Democratic Republic of"},
        {186, "GS", "南乔治亚岛与南桑威奇群岛", "South Georgia and the South Sandwich Islands"},
        {239, "JE", "泽西岛", "Jersey"},
    };
    for (const Row& r : rows) {
        const CountryRow& row = table[r.index];
        EXPECT_STREQ(row.code, r.code) << r.index;
        EXPECT_EQ(row.chinese, G(r.chinese)) << r.index;
        EXPECT_STREQ(row.english, r.english) << r.index;
    }
    EXPECT_EQ(CountryTable().data(), table.data()) << "built once, never moved";
}

TEST(CountryTable, ChineseNamesAreWholeGbkCharacters) {
    for (const CountryRow& row : CountryTable()) {
        ASSERT_FALSE(row.chinese.empty()) << row.code;
        EXPECT_EQ(row.chinese.size() % 2, 0u) << row.code;
        for (std::size_t i = 0; i < row.chinese.size(); i += 2)
            EXPECT_GE(static_cast<unsigned char>(row.chinese[i]), 0xB0) << row.code << " is not all hanzi";
        EXPECT_EQ(G(GbkToUtf8(row.chinese)), row.chinese) << row.code << " did not survive conversion";
    }
}

TEST(CountryTable, DuplicateCodesAreFoundAtTheirFirstRow) {
    std::map<std::string, int> counts;
    for (const CountryRow& row : CountryTable()) ++counts[row.code];
    std::map<std::string, int> duplicates;
    for (const auto& [code, count] : counts)
        if (count > 1) duplicates[code] = count;
    EXPECT_EQ(duplicates, (std::map<std::string, int>{{"BW", 2}, {"KG", 2}, {"MH", 2}, {"MS", 2}, {"RS", 2}}));

    struct Lookup {
        const char* code;
        std::ptrdiff_t index;
        const char* chinese;
    } lookups[] = {
        {"BW", 24, "博茨瓦纳"},
        {"KG", 103, "吉尔吉斯坦"},
        {"MH", 121, "马里亚那群岛"},
        {"MS", 132, "蒙特塞拉特岛"},
        {"RS", 177, "塞尔维亚"},
        {"US", 213, "美国"},
        {"us", 213, "美国"},
        {"XX", -1, ""},
        {"", -1, ""},
        {"USA", -1, ""},
        {"U", -1, ""},
    };
    for (const Lookup& l : lookups) {
        const CountryRow* row = FindCountryByCode(l.code);
        EXPECT_EQ(IndexOf(row), l.index) << l.code;
        if (row) {
            EXPECT_EQ(row->chinese, G(l.chinese)) << l.code;
        }
    }
}

TEST(MatchCountry, RecognisesTrickyNames) {
    ExpectMatches({
        {"Cayman Is.", "KY"},
        {"Cayman Islands", "KY"},
        {"Republic of Korea", "KR"},  // partial pass on Korea
        {"中国", "CN"},
        {"内蒙古", "none"},
        {"中国内蒙古呼和浩特", "none"},
        {"内蒙古 Mongolia", "none"},
        {"South America", "US"},  // the tail rule is blind to what precedes America
    });
}

TEST(MatchCountry, FindsUsGbDeAuByCodeStartOrEnding) {
    ExpectMatches({
        {"US", "US"},
        {"USA", "US"},
        {"usa", "US"},
        {"美国", "US"},
        {"美国纽约州", "US"},
        {"United States", "US"},
        {"THE UNITED STATES", "US"},
        {"united states of america", "US"},
        {"North America", "US"},
        {"GB", "GB"},
        {"GBR", "GB"},
        {"英国", "GB"},
        {"英国伦敦", "GB"},
        {"United Kingdom", "GB"},
        {"Great Britain", "GB"},
        {"ENGLAND", "GB"},
        {"London, England", "GB"},
        {"DE", "DE"},
        {"DEU", "DE"},
        {"德国", "DE"},
        {"德国柏林", "DE"},
        {"Berlin Germany", "DE"},
        {"Deutschland", "DE"},
        {"AU", "AU"},
        {"AUS", "AU"},
        {"澳洲", "AU"},
        {"澳洲悉尼", "AU"},
        {"澳大利亚墨尔本", "AU"},
        {"Sydney Australia", "AU"},
        // Only the end of the text is looked at: here America is too far
        // from it and no table name fits either.
        {"America, South", "none"},
        {"America (unknown city)", "none"},
        // The name may start exactly where the last 13, 14 or 11 bytes start.
        {"America Texas", "US"},
        {"America, Texas", "none"},
        {"England London", "GB"},
        {"England, London", "none"},
        {"Deutschland", "DE"},
        {"Deutschland.", "none"},
        // A code inside a longer text is not the code.
        {"USAF", "none"},
    });
}

TEST(MatchCountry, RewritesShortFormsBeforeSearchingTheTable) {
    ExpectMatches({
        {"印尼", "ID"},
        {"印尼雅加达", "ID"},
        {"沙特", "SA"},
        {"沙特吉达", "SA"},  // neither contains nor is contained in 沙特阿拉伯
        {"阿联酋", "AE"},
        {"阿联酋迪拜", "AE"},
        {"Cayman Is", "KY"},
        {"CAYMAN IS.", "KY"},
        {"Cook Is.", "CK"},
        {"Norfolk Is", "NF"},
        {"Faroe Is. Denmark", "FO"},
        {"Norfolk Is岛", "NF"},  // a Chinese character is not a letter
        {"Norfolk Isl", "NF"},   // " Is" inside a word stays, so the name still contains the text
        {"Turks and Caicos Is.", "TC"},
    });
}

TEST(MatchCountry, ExactThenPrefixThenPartialInTableOrder) {
    ExpectMatches({
        {"Japan", "JP"},
        {"jApAn", "JP"},
        {"日本", "JP"},
        {"Japan Tokyo", "JP"},
        {"日本东京都", "JP"},
        {"Tokyo, Japan", "JP"},
        {"东京日本", "JP"},
        {"Hong", "HK"},          // the name contains the text
        {"Nigeria", "NG"},       // the exact pass runs over all rows before Niger can prefix-match
        {"Ｊａｐａｎ", "none"},  // full-width letters are not folded
    });
    // The exact pass returns the row, not the code's first row.
    EXPECT_EQ(IndexOf(MatchCountry(G("马绍尔群岛"))), 235);
    EXPECT_EQ(IndexOf(MatchCountry(G("Montserrado"))), 236);
}

TEST(MatchCountry, ChinaOnlyByItsExactName) {
    ExpectMatches({
        {"中国", "CN"},
        {"China", "CN"},
        {"CHINA", "CN"},
        {"中国北京", "none"},
        {"中国上海市浦东新区", "none"},
        {"China Beijing", "none"},
        {"Made in China", "none"},
        {"中", "none"},
        {"中国香港", "HK"},
        {"中国台湾省", "TW"},
    });
}

TEST(MatchCountry, NeverMatchesAcrossACharacterBoundary) {
    struct ByteCase {
        std::string text;
        std::string hiddenName;  // what a plain byte search would find in (or around) the text
        const char* expected;
    };
    const std::string innerMongolia = G("内蒙古");
    const ByteCase cases[] = {
        // 比毡尽: its bytes hold 日本 shifted by one.
        {G("比毡尽"), G("日本"), "none"},
        // 敲滥 is a byte run from the middle of 亚美尼亚.
        {G("敲滥"), G("亚美尼亚"), "none"},
        // The first letter is the trail byte of a double-byte character.
        {"\x81"
         "Angola",
         "Angola", "none"},
        {"\x81"
         "America",
         "America", "none"},
        {"\x81United States", "United States", "none"},
        {"\x81"
         "Australia",
         "Australia", "none"},
        {"\x81"
         "Germany",
         "Germany", "none"},
        // 内蒙古 shifted by one byte is not Inner Mongolia; the aligned 蒙古 after it counts.
        {"\xB0" + innerMongolia + "\xA1" + G("蒙古"), innerMongolia, "MN"},
    };
    for (const ByteCase& c : cases) {
        bool hiddenInText = c.text.find(c.hiddenName) != std::string::npos;
        bool hiddenInName = c.hiddenName.find(c.text) != std::string::npos;
        ASSERT_TRUE(hiddenInText || hiddenInName) << "case does not test what it claims: " << GbkToUtf8(c.text);
        EXPECT_EQ(G(GbkToUtf8(c.text)), c.text) << "case is not valid GBK";
        EXPECT_EQ(Matched(c.text), c.expected) << GbkToUtf8(c.text);
    }
}

TEST(MatchCountry, RejectsTextsTooShortOrTooBareToNameACountry) {
    // Each of these is contained in some name ("-" in Guinea-Bissau, 岛 in
    // many islands), so without the guard the partial pass would pick a row.
    const char* bare[] = {"A", "美", "岛", "-", ".", ",", " ", "  ", "-/.", " , ", "12", "1-2", "'"};
    for (const char* text : bare) EXPECT_EQ(Matched(G(text)), "none") << "'" << text << "'";
    for (std::string_view lone : {"\x81", "\x80", "\xFE", "\x7F"}) EXPECT_EQ(Matched(lone), "none");
    // Two characters with a letter or a hanzi are enough to try.
    ExpectMatches({{"US", "US"}, {"日本", "JP"}, {"中非", "CF"}});
}

TEST(MatchCountry, HandlesLengthLimitsAndTerminators) {
    EXPECT_EQ(Matched(""), "none");
    std::string longest(255 - 13, ' ');
    EXPECT_EQ(Matched(longest + "United States"), "US");
    EXPECT_EQ(Matched(" " + longest + "United States"), "none") << "256 bytes";
    // A stored field ends at its zero byte.
    EXPECT_EQ(Matched(std::string_view("Japan\0Korea", 11)), "JP");
    EXPECT_EQ(Matched(std::string_view("\0Japan", 6)), "none");
    EXPECT_EQ(Matched(std::string_view("Japan\x81\0", 7)), "JP") << "lone lead byte before the terminator";
}

TEST(MatchCountry, SurvivesArbitraryBytes) {
    const auto table = CountryTable();
    auto check = [&](std::string_view text) {
        const CountryRow* row = MatchCountry(text);
        if (row) {
            ASSERT_TRUE(row >= table.data() && row < table.data() + table.size());
        }
    };
    // Every first byte against the bytes that change how a text is split.
    const unsigned char seconds[] = {0x00, 0x20, 0x2E, 0x40, 0x41, 0x61, 0x7F, 0x80, 0x81, 0xA1, 0xB0, 0xFE, 0xFF};
    std::string text(2, '\0');
    for (int a = 0; a < 256; ++a)
        for (unsigned char b : seconds) {
            text[0] = static_cast<char>(a);
            text[1] = static_cast<char>(b);
            check(text);
            check(text + "Is");
        }
    std::mt19937 random(20240506);
    for (int i = 0; i < 400; ++i) {
        std::string bytes(random() % 300, '\0');
        for (char& ch : bytes) ch = static_cast<char>(random() % 256);
        check(bytes);
        bytes.insert(0, random() % 2 ? "\x81" : " Is");
        check(bytes);
    }
}

}  // namespace
}  // namespace tallux
