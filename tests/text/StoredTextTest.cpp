#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "text/GbkCodec.h"
#include "text/StoredText.h"

namespace tallux {
namespace {

using namespace std::string_literals;

// Failure output that shows every unit, lone surrogates included.
std::string Show(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[10];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

std::string Base64Form(char marker, const std::string& base64) { return std::string(1, marker) + base64; }

constexpr std::size_t kForeignCapacity = 4000;

TEST(ToGbkWithNumericRefs, KeepsGbkAndWritesTheRestAsReferences) {
    struct Case {
        std::u16string in;
        std::string out;
    } cases[] = {
        {u"Müller", "M\xA8\xB9ller"},  // ü has a GBK code
        {u"MÜLLER", "M&#220;LLER"},    // Ü has none
        // Russian letters are in GBK; Serbian Ђ ђ are not.
        {u"Ђорђе", "&#1026;\xA7\xE0\xA7\xE2&#1106;\xA7\xD6"},
        {u"中文", "\xD6\xD0\xCE\xC4"},
        {u"\U0001F600", "&#55357;&#56832;"},  // each surrogate half on its own
        {u"€5", "&#8364;5"},                  // no double-byte code, only the single byte 0x80
        {u"\u00A3\u00A4", "&#163;\xA1\xE8"},  // double-byte codes count from U+00A4 on
        {u"\uFFE5\uFFE6", "\xA3\xA4&#65510;"},
        {u"\u0085\u00A0", "&#133;&#160;"},
        {u"A&B &#65;", "A&B &#65;"},  // "&" is written as it is
        {u"\u0006abc",
         "\x06"
         "abc"},                               // and so is a leading control unit
        {std::u16string(u"ab\0cd", 5), "ab"},  // a NUL unit ends the text
        {u"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ToGbkWithNumericRefs(c.in, kForeignCapacity), c.out) << Show(c.in);
}

TEST(ToGbkWithNumericRefs, StopsBeforeTheFirstUnitThatDoesNotFit) {
    struct Case {
        std::u16string in;
        std::size_t capacity;
        std::string out;
    } cases[] = {
        {u"a\U0001F600", 10, "a&#55357;"},  // letter and first reference, not the second
        {u"a\U0001F600", 17, "a&#55357;"},
        {u"a\U0001F600", 18, "a&#55357;&#56832;"},
        {u"abc", 0, ""},
        {u"abc", 1, ""},
        {u"abc", 3, "ab"},
        {u"abc", 4, "abc"},
        {u"中文", 4, "\xD6\xD0"},  // never half a double-byte character
        {u"中文", 5, "\xD6\xD0\xCE\xC4"},
        {u"Ђa", 8, ""},  // "&#1026;" has 7 bytes but a reference needs 8 of room; the
                         // conversion stops there rather than skip to the "a" that would fit
        {u"Ђa", 9, "&#1026;a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToGbkWithNumericRefs(c.in, c.capacity), c.out) << Show(c.in) << " capacity " << c.capacity;
}

TEST(ToGbkWithNumericRefs, AnyCapacityLeavesRoomForTheTerminator) {
    const std::u16string text = u"Zoë 张三 \U0001F4E6 Ђорђе € Ünal";
    const std::string full = ToGbkWithNumericRefs(text, kForeignCapacity);
    for (std::size_t capacity = 0; capacity <= full.size() + 2; ++capacity) {
        std::string cut = ToGbkWithNumericRefs(text, capacity);
        EXPECT_LE(cut.size(), capacity == 0 ? 0 : capacity - 1) << capacity;
        EXPECT_EQ(full.substr(0, cut.size()), cut) << capacity;
        // What was cut off reads back as the start of the text; a pair cut
        // in half leaves a replacement character.
        std::u16string back = DecodeStoredText(cut, kForeignCapacity);
        if (!back.empty() && back.back() == u'\uFFFD') back.back() = text[back.size() - 1];
        EXPECT_EQ(text.substr(0, back.size()), back) << capacity;
    }
}

TEST(ToGbkWithNumericRefs, ConvertsALongFieldQuickly) {
    std::u16string text;
    while (text.size() < 4000) text += u"张三 Müller Ђорђе \U0001F4E6 ";
    text.resize(4000);
    ToGbkWithNumericRefs(text, 10);  // the code table is built on first use
    auto start = std::chrono::steady_clock::now();
    std::string out = ToGbkWithNumericRefs(text, 16000);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GT(out.size(), 4000u);
    // Generous so that sanitizer builds pass; a plain build takes microseconds.
    EXPECT_LT(elapsed, std::chrono::milliseconds(50));
}

TEST(ToGbkFolded, FoldsAccentsAndReplacesWhatGbkCannotHold) {
    struct Case {
        std::u16string in;
        std::string out;
    } cases[] = {
        {u"Müller", "Muller"},  // folded even though GBK has ü
        {u"Straße", "StraBe"},
        {u"€5",
         "\x80"
         "5"},  // code page 936's single-byte euro
        {u"Ђорђе", "?\xA7\xE0\xA7\xE2?\xA7\xD6"},
        {u"a\U0001F600b", "a?b"},
        {u"a\xD83D"
         "b",
         "a?b"},  // a lone surrogate
        {u"中文 A&B", "\xD6\xD0\xCE\xC4 A&B"},
        {std::u16string(u"ab\0cd", 5), "ab"},
        {u"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ToGbkFolded(c.in), c.out) << Show(c.in);
}

TEST(DecodeNumericRefs, ReplacesDecimalReferencesFrom10To65535) {
    struct Case {
        std::string in;
        std::u16string out;
    } cases[] = {
        {"&#65;", u"A"},
        {"&#065;", u"A"},  // leading zeros
        {"&#00000000000000000000065;", u"A"},
        {"&#65B", u"AB"},  // the ";" is optional
        {"&#65;;", u"A;"},
        {"&#10;&#65535;", u"\n\uFFFF"},
        {"&#9;", u"&#9;"},  // below 10 stays as written
        {"&#0;", u"&#0;"},
        {"&#65536;", u"&#65536;"},
        {"&#12345678901234567890;", u"&#12345678901234567890;"},
        {"&#99999999999999999999999999999999999999;x", u"&#99999999999999999999999999999999999999;x"},
        {"&#x41;", u"&#x41;"},  // no hexadecimal references
        {"&#;&#", u"&#;&#"},
        {"&#5&#65;", u"&#5A"},
        {"&#38;#65;", u"&#65;"},  // a result is not read again as a reference
        {"&#38;lt;", u"<"},       // but named references are replaced afterwards
        {"&#1026;\xA7\xE0\xA7\xE2&#1106;\xA7\xD6", u"Ђорђе"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeNumericRefs(c.in, kForeignCapacity), c.out) << c.in;
}

TEST(DecodeNumericRefs, NeverYieldsHalfASurrogatePair) {
    struct Case {
        std::string in;
        std::size_t capacity;
        std::u16string out;
    } cases[] = {
        {"&#55357;&#56832;", 100, u"\U0001F600"},
        {"&#55357&#56832", 100, u"\U0001F600"},
        {"a&#55357;", 100, u"a\uFFFD"},  // the second half did not fit when it was stored
        {"&#56832;&#55357;", 100, u"\uFFFD\uFFFD"},
        {"&#55357;x&#56832;", 100, u"\uFFFDx\uFFFD"},
        {"&#55357;&#55357;&#56832;", 100, u"\uFFFD\U0001F600"},
        {"x&#55357;&#56832;", 2, u"x"},
        {"x&#55357;&#56832;", 3, u"x"},  // room for one unit only: the pair goes whole
        {"x&#55357;&#56832;", 4, u"x\U0001F600"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeNumericRefs(c.in, c.capacity), c.out) << c.in << " " << c.capacity;
}

TEST(DecodeStoredText, ReadsGbkUpToItsTerminator) {
    struct Case {
        std::string in;
        std::u16string out;
    } cases[] = {
        {"M\xA8\xB9ller", u"Müller"},
        {"\xD6\xD0\xCE\xC4", u"中文"},
        {"\x80", u"€"},
        {"ab\xD6", u"ab\uFFFD"},          // a lead byte at the end stands alone
        {"ab\xD6\0\xD0x"s, u"ab\uFFFD"},  // and is not paired across the terminator
        {"ab\0&#65;"s, u"ab"},
        {"\0abc"s, u""},
        {"", u""},
        {"\xD6 x", u"\uFFFD x"},  // an invalid trail byte is kept as a character
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeStoredText(c.in, kForeignCapacity), c.out) << c.in;
}

TEST(DecodeStoredText, CutsTheDecodedTextToTheCapacity) {
    struct Case {
        std::string in;
        std::size_t capacity;
        std::u16string out;
    } cases[] = {
        {"abcdef", 0, u""},
        {"abcdef", 1, u""},
        {"abcdef", 4, u"abc"},
        {"abc", 4, u"abc"},
        {"&#1046;&#1046;", 3, u"ЖЖ"},  // references are read before the cut, never cut in half
        {"\xD6\xD0\xCE\xC4", 2, u"中"},
        {"&amp;&amp;", 2, u"&"},
        {Base64Form(6, "TcO8bGxlciDkuK0="), 4, u"Mül"},
        {Base64Form(6, "8J+YgPCfmIA="), 2, u""},  // two emoji; one unit of room
        {Base64Form(6, "8J+YgPCfmIA="), 4, u"\U0001F600"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeStoredText(c.in, c.capacity), c.out) << c.in << " " << c.capacity;
}

TEST(DecodeStoredText, ReadsTheBase64Form) {
    struct Case {
        std::string in;
        std::u16string out;
    } cases[] = {
        {Base64Form(6, "TcO8bGxlciDkuK0="), u"Müller 中"},
        {Base64Form(7, "TcO8bGxlciDkuK0="), u"Müller 中"},
        {Base64Form(6, "+ TcO8bGxl\r\nciDkuK0="), u"Müller 中"},
        {Base64Form(6, "JmFtcDsmIzY1Ow=="), u"&amp;&#65;"},  // no references in this form
        {Base64Form(6, "TWFu!TWFu"), u"Man"},                // broken: what was decoded so far
        {Base64Form(6, "TWFuTQ"), u"Man"},
        {Base64Form(6, ""), u""},
        {Base64Form(7, "+ "), u""},
        {Base64Form(6, "YWIAY2Q="), u"ab"},              // decoded bytes end at a NUL
        {Base64Form(6, "YcOAYv9j"), u"aÀb\uFFFDc"},      // invalid UTF-8
        {Base64Form(6, "7aC9"), u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate is not UTF-8
        {"\x05TWFu", u"\x05TWFu"},                       // only 6 and 7 mark the form
        {"\x08TWFu", u"\x08TWFu"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeStoredText(c.in, kForeignCapacity), c.out) << c.in;
}

TEST(DecodeStoredText, UsesAtMost1023BytesOfTheBase64Form) {
    // 1022 letters and a three-byte character: the limit falls inside it.
    std::string utf8 = std::string(1022, 'a') + "中b";
    std::string base64;
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i + 3 <= utf8.size(); i += 3) {
        unsigned bits = (unsigned char)utf8[i] << 16 | (unsigned char)utf8[i + 1] << 8 | (unsigned char)utf8[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6) base64 += alphabet[(bits >> shift) & 63];
    }
    ASSERT_EQ(utf8.size() % 3, 0u);
    EXPECT_EQ(DecodeStoredText(Base64Form(7, base64), kForeignCapacity), std::u16string(1022, u'a'));
    EXPECT_EQ(DecodeStoredText(Base64Form(7, base64.substr(4)), kForeignCapacity), std::u16string(1019, u'a') + u"中b");
}

TEST(StoredText, DecodesWhatWasEncoded) {
    const std::u16string texts[] = {
        u"",
        u"Müller",
        u"MÜLLER",
        u"Ђорђе Јовановић",
        u"Иванов Пётр",
        u"张三 深圳市南山区",
        u"김민준 Nguyễn Văn",
        u"Emoji \U0001F600\U0001F4E6 end",
        u"€100 ¤£¥￥",
        u"\u0001\u0009Tab\r\n",
        u"\u0085\u00A0\uE000\uF8F5\uFFFE\uFFFF",  // C1 control, private use, non-characters
        u"#65; &#",                               // without "&" the encoder writes no reference of its own
    };
    for (const std::u16string& text : texts) {
        if (text.find(u'&') != std::u16string::npos) continue;
        std::string stored = ToGbkWithNumericRefs(text, kForeignCapacity);
        EXPECT_EQ(DecodeStoredText(stored, kForeignCapacity), text) << Show(text);
        EXPECT_EQ(DecodeNumericRefs(stored, kForeignCapacity), text) << Show(text);
    }
}

}  // namespace
}  // namespace tallux
