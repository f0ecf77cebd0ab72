#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "text/GbkCodec.h"
#include "text/StoredText.h"
#include "text/TextCheck.h"

namespace tallux {
namespace {

struct Field {
    char bytes[32];
    Field() { std::memset(bytes, 'z', sizeof bytes); }
    std::string Text() const { return std::string(bytes, strnlen(bytes, sizeof bytes)); }
    bool Untouched() const {
        for (char c : bytes)
            if (c != 'z') return false;
        return true;
    }
};

TEST(TextCheck, LimitsCountGbkBytesAndNameTheField) {
    struct Case {
        std::u16string text;
        int minimum, maximum;
        bool foreign;
        const char* message;  // nullptr: stored
        std::u16string trimmed;
    } cases[] = {
        {u"  " + std::u16string(31, u'a') + u"\t", 0, 30, false, "[发件人]长度不得超过 30 字符。",
         std::u16string(31, u'a')},
        {u" ", 1, 62, true, "[发件人]不得短于 1 字符。", u""},
        {u"张三丰" + std::u16string(24, u'x'), 0, 30, false, nullptr, u"张三丰" + std::u16string(24, u'x')},
        {u"张三丰" + std::u16string(25, u'x'), 0, 30, false, "[发件人]长度不得超过 30 字符。",
         u"张三丰" + std::u16string(25, u'x')},
        {u"\u3000李娜\u3000", 1, 30, false, nullptr, u"李娜"},
    };
    for (Case& c : cases) {
        Field field;
        std::u16string text = c.text;
        auto message = CheckAndStoreText(text, field.bytes, c.minimum, c.maximum, "发件人", c.foreign);
        EXPECT_EQ(text, c.trimmed) << Utf16ToUtf8(c.text) << ": the form shows the trimmed text";
        if (c.message) {
            ASSERT_TRUE(message.has_value()) << Utf16ToUtf8(c.text);
            EXPECT_EQ(*message, c.message);
            EXPECT_TRUE(field.Untouched()) << Utf16ToUtf8(c.text);
        } else {
            EXPECT_FALSE(message.has_value()) << *message;
            EXPECT_EQ(field.Text(), Utf8ToGbk(Utf16ToUtf8(c.trimmed)));
            EXPECT_EQ(field.bytes[31], '\0');
        }
    }
}

TEST(TextCheck, FoldsPlainTextAndKeepsForeignText) {
    Field plain, foreign, outside;
    std::u16string name = u"Müller";
    EXPECT_FALSE(CheckAndStoreText(name, plain.bytes, 1, 30, "收件人", false));
    EXPECT_EQ(plain.Text(), "Muller");
    name = u"Müller";
    EXPECT_FALSE(CheckAndStoreForeignText(name, foreign.bytes, 1, 30, "收件人"));
    EXPECT_EQ(foreign.Text(), Utf8ToGbk("Müller"));
    EXPECT_EQ(DecodeStoredText(foreign.Text(), 64), u"Müller");

    // Arabic letters have no GBK code (Cyrillic ones do).
    std::u16string arabic = u"محمد";
    EXPECT_FALSE(CheckAndStoreForeignText(arabic, outside.bytes, 1, 30, "收件人"));
    EXPECT_EQ(outside.Text(), "&#1605;&#1581;&#1605;&#1583;");
    EXPECT_EQ(DecodeStoredText(outside.Text(), 64), u"محمد");
}

TEST(TextCheck, ImportRowsCollectMessagesInsteadOfShowingThem) {
    std::vector<std::string> errors;
    Field field;
    std::u16string empty = u"";
    std::u16string longText(40, u'x');
    std::u16string fine = u"Tokyo";
    EXPECT_FALSE(CheckRowText(empty, field.bytes, 1, 30, "城市", errors, 7));
    EXPECT_FALSE(CheckRowForeignText(longText, field.bytes, 0, 30, "城市", errors, 1234));
    EXPECT_TRUE(field.Untouched());
    EXPECT_TRUE(CheckRowText(fine, field.bytes, 1, 30, "城市", errors, 8));
    EXPECT_EQ(field.Text(), "Tokyo");
    EXPECT_EQ(errors, (std::vector<std::string>{"第    7 行,[城市]短于 1 字符。", "第  1234 行,[城市]超过 30 字符。"}));
}

TEST(TextCheck, NeverOverrunsTheField) {
    // A maximum that forgets the terminator still leaves one.
    Field field;
    std::u16string text(40, u'a');
    EXPECT_FALSE(CheckAndStoreText(text, field.bytes, 0, 100, "备注", false));
    EXPECT_EQ(field.Text(), std::string(31, 'a'));
    EXPECT_EQ(field.bytes[31], '\0');
}

}  // namespace
}  // namespace tallux
