#include <gtest/gtest.h>

#include <string>

#include "text/GbkBytes.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

TEST(GbkCodec, RoundTripsTextGbkCanHold) {
    struct Case {
        const char* utf8;
        const char* gbk;
    } cases[] = {
        {"", ""},
        {"ABC 123", "ABC 123"},
        {"中文", "\xD6\xD0\xCE\xC4"},
        {"深圳市", "\xC9\xEE\xDB\xDA\xCA\xD0"},
        {"€", "\x80"},  // code page 936 keeps the euro sign in one byte
        {"快递A1",
         "\xBF\xEC\xB5\xDD"
         "A1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << c.utf8;
    }
}

TEST(GbkCodec, ReplacesWhatCannotBeConverted) {
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b");  // emoji is outside GBK
    EXPECT_EQ(Utf8ToGbk("a\xFF"
                        "b"),
              "a?b");  // broken UTF-8
    std::string decoded = GbkToUtf8(
        "a\xFF"
        "b");
    EXPECT_EQ(decoded.front(), 'a');
    EXPECT_EQ(decoded.back(), 'b');
    EXPECT_EQ(decoded.find('\xFF'), std::string::npos);  // never passed through as raw bytes
}

TEST(GbkCodec, ConvertsBetweenUtf8AndUtf16) {
    EXPECT_EQ(Utf8ToUtf16("Mü中\xF0\x9F\x98\x80"), std::u16string(u"Mü中\U0001F600"));
    EXPECT_EQ(Utf16ToUtf8(u"Mü中\U0001F600"), "Mü中\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16(""), u"");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD") << "a lone surrogate";
}

TEST(GbkBytes, CutsOnlyAtCharacterBoundaries) {
    const std::string text =
        "a\xD6\xD0\xCE\xC4"
        "b";  // a中文b
    struct Case {
        std::size_t max;
        std::size_t expected;
    } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 3}, {5, 5}, {6, 6}, {100, 6}};
    for (const Case& c : cases) EXPECT_EQ(CutAtCharBoundary(text, c.max).size(), c.expected) << c.max;
    // A lead byte at the very end has no partner and stands alone.
    EXPECT_EQ(CutAtCharBoundary("ab\xD6", 3).size(), 3u);
}

TEST(GbkBytes, FoldsOnlySingleByteLetters) {
    EXPECT_EQ(CompareNoCase("Shoes", "sHOES"), 0);
    EXPECT_LT(CompareNoCase("abc", "abd"), 0);
    EXPECT_GT(CompareNoCase("abcd", "abc"), 0);
    EXPECT_EQ(CompareNoCase("abcd", "ABCx", 3), 0);
    // 0x81 0x41 and 0x81 0x61 are two different characters; their trail
    // bytes only look like 'A' and 'a'.
    EXPECT_NE(CompareNoCase("\x81\x41", "\x81\x61"), 0);
    EXPECT_TRUE(StartsWithNoCase("CLOTHES", "clo"));
    EXPECT_FALSE(StartsWithNoCase("\x81\x41x", "\x81\x61"));
}

TEST(GbkBytes, FindsOnlyAtCharacterBoundaries) {
    // "中文" is D6 D0 CE C4; the bytes D0 CE in the middle are not a character of it.
    EXPECT_EQ(FindAtCharBoundary("\xD6\xD0\xCE\xC4", "\xD0\xCE", false), std::string_view::npos);
    EXPECT_EQ(FindAtCharBoundary("\xD6\xD0\xCE\xC4", "\xCE\xC4", false), 2u);
    EXPECT_EQ(FindAtCharBoundary("Leather SHOES", "shoes", true), 8u);
    EXPECT_EQ(FindAtCharBoundary("Leather SHOES", "shoes", false), std::string_view::npos);
    EXPECT_EQ(FindAtCharBoundary("abc", "", false), 0u);
}

}  // namespace
}  // namespace tallux
