#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "print/Code128.h"

namespace tallux {
namespace {

std::vector<int> Values(const Code128Symbols& symbols) {
    std::vector<int> values;
    for (const Code128Symbol& s : symbols.symbols) values.push_back(s.value);
    return values;
}

// The code sets a text's symbols use, as a script would name them ("A",
// "B3C6").
std::string SetsUsed(const Code128Symbols& symbols) {
    std::string sets;
    int count = 0;
    char set = 0;
    auto flush = [&] {
        if (set) sets += set + std::to_string(count);
    };
    for (const Code128Symbol& s : symbols.symbols) {
        char next = 0;
        if (s.value == kCode128StartA || s.value == kCode128ToA) next = 'A';
        if (s.value == kCode128StartB || s.value == kCode128ToB) next = 'B';
        if (s.value == kCode128StartC || s.value == kCode128ToC) next = 'C';
        if (next && s.shown.empty()) {
            flush();
            set = next;
            count = 0;
        } else {
            count += static_cast<int>(s.shown.size());
        }
    }
    flush();
    return sets;
}

TEST(Code128, ChoosesTheCodeSets) {
    struct Case {
        const char* text;
        bool noText;
        const char* sets;
    } cases[] = {
        {"ABCDEFGHIJKLM", false, "A13"},        // 13 characters: all code set A
        {"ABCDEFGHIJKLMN", false, "B14"},       // 14: automatic, no digit run
        {"AB12345678901", false, "A13"},        // short enough for A despite the digits
        {"AB123456789012", false, "B2C12"},     // 14 with a run of 12
        {"abc", false, "B3"},                   // lower case always goes automatic
        {"12345678", true, "C8"},               // 8 digits without text
        {"1234567", true, "A7"},                // 7 characters stay in A even without text
        {"AB1234567", true, "B3C6"},            // odd run: its first digit stays in B
        {"AB1234567", false, "A9"},             // the same with text: short, so A
        {"X12345Y12345Z12345W", false, "B19"},  // runs of 5 never make a C segment
        {"A123456B1234567C", false, "B9C6B1"},  // the longer run wins
        {"A123456B654321C", false, "B8C6B1"},   // of equal runs the last wins
        {"123456abcdefgh", false, "C6B8"},      // a run at the start has no B before it
    };
    for (const Case& c : cases) {
        auto symbols = EncodeCode128(c.text, c.noText);
        ASSERT_TRUE(symbols) << c.text;
        EXPECT_EQ(SetsUsed(*symbols), c.sets) << c.text;
        EXPECT_EQ(symbols->plainSetA, c.sets[0] == 'A') << c.text;
    }
}

TEST(Code128, AutomaticScriptNamesCounts) {
    EXPECT_EQ(Code128AutomaticScript("ab"), "B");
    EXPECT_EQ(Code128AutomaticScript("12345678"), "C8");
    EXPECT_EQ(Code128AutomaticScript("AB1234567"), "B3C6");
    EXPECT_EQ(Code128AutomaticScript("SV123456789012CN"), "B2C12B2");
}

TEST(Code128, ScriptsThatFail) {
    struct Case {
        const char* text;
        const char* script;
    } cases[] = {
        {"ABCD", "B2B2"},  // the same code set twice in a row
        {"123", "C3"},     // odd code-set-C count
        {"123", "C"},      // odd rest
        {"12A4", "C4"},    // a letter inside the C span
        {"abc", "A"},      // lower case is not in code set A
        {"ABCD", "B2"},    // leaves characters out
        {"ABCD", "B9"},    // counts past the end
        {"ABCD", "D"},     // no such code set
        {"ABCD", "B123"},  // counts have at most two digits
        {"AB\x01", "B"},   // control characters are in no code set here
    };
    for (const Case& c : cases) EXPECT_FALSE(EncodeCode128Script(c.text, c.script)) << c.text << " " << c.script;

    auto lower = EncodeCode128Script("ab12", "b2c");  // letters in either case
    ASSERT_TRUE(lower);
    EXPECT_EQ(SetsUsed(*lower), "B2C2");
    auto open = EncodeCode128Script("ABCD", "BA3");  // an item without a count ends the script
    ASSERT_TRUE(open);
    EXPECT_EQ(SetsUsed(*open), "B4");
}

TEST(Code128, RefusesTextsNoBarcodeHolds) {
    EXPECT_FALSE(EncodeCode128("", false));
    EXPECT_FALSE(EncodeCode128(std::string(61, 'A'), false));
    EXPECT_TRUE(EncodeCode128(std::string(60, 'A'), false));
    EXPECT_FALSE(EncodeCode128("SV\xB5\xA5", false));  // GBK bytes
    EXPECT_FALSE(EncodeCode128("AB\x7F", false));      // DEL goes to code set B, which lacks it
}

TEST(Code128, CheckSymbolWeighsEveryPositionAfterStart) {
    // Start A 103, "A" 33, "B" 34: 103 + 33 + 2 × 34 = 204 ≡ 101.
    auto plain = EncodeCode128("AB", false);
    ASSERT_TRUE(plain);
    EXPECT_EQ(Values(*plain), (std::vector<int>{103, 33, 34}));
    EXPECT_EQ(plain->check, 101);

    // The code change counts as a position: 104, A 33, B 34, 1 17, →C 99, 23, 45, 67.
    auto mixed = EncodeCode128("AB1234567", true);
    ASSERT_TRUE(mixed);
    EXPECT_EQ(Values(*mixed), (std::vector<int>{104, 33, 34, 17, 99, 23, 45, 67}));
    EXPECT_EQ(mixed->check, (104 + 33 + 2 * 34 + 3 * 17 + 4 * 99 + 5 * 23 + 6 * 45 + 7 * 67) % 103);
    EXPECT_EQ(mixed->check, 64);
}

TEST(Code128, PatternsHaveElevenModulesAndStopThirteen) {
    for (int value = 0; value <= kCode128Stop; ++value) {
        std::string_view pattern = Code128Pattern(value);
        int modules = std::accumulate(pattern.begin(), pattern.end(), 0, [](int sum, char c) { return sum + c - '0'; });
        EXPECT_EQ(modules, value == kCode128Stop ? 13 : 11) << value;
    }
    EXPECT_EQ(Code128Pattern(107), "");
}

}  // namespace
}  // namespace tallux
