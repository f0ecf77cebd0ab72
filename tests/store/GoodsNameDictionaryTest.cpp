#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "store/GoodsNameDictionary.h"
#include "tests/support/GbkText.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using test::G;

class GoodsNameDictionaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        struct Entry {
            const char* code;
            std::string chinese;
            const char* english;
        } entries[] = {
            {"1001", G("衣服"), "CLOTHES"},
            {"1002", G("鞋子"), "SHOES"},
            {"1003", G("电子配件"), "ELECTRONIC ACCESSORIES"},
            // Two characters whose trail bytes only look like 'A' and 'a'.
            {"2001", "\x81\x41", "FIRST"},
            {"2002", "\x81\x61", "SECOND"},
            {"1004", G("运动鞋"), "SPORTS SHOES"},
        };
        std::string bytes(8, '\x01');  // header, ignored
        int sequence = 1;
        for (const Entry& e : entries) {
            GoodsNameRecord r;
            std::memset(&r, 0, sizeof r);
            r.sequence = sequence++;
            r.code = e.code;
            r.chineseName = e.chinese;
            r.englishName = e.english;
            bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
        }
        bytes.append(100, 'z');  // a partial last record is dropped
        test::WriteWholeFile(dir.File("varno7_0.dat"), bytes);
        ASSERT_TRUE(dictionary.Load(dir.File("varno7_0.dat")));
    }

    test::TempDir dir;
    GoodsNameDictionary dictionary;
};

TEST_F(GoodsNameDictionaryTest, LoadsWholeRecordsOnly) {
    EXPECT_EQ(dictionary.Records().size(), 6u);
    EXPECT_EQ(dictionary.Records()[5].englishName.view(), "SPORTS SHOES");
    GoodsNameDictionary missing;
    EXPECT_TRUE(missing.Load(dir.File("absent.dat")));
    EXPECT_TRUE(missing.Records().empty());
    EXPECT_FALSE(missing.EnglishForChinese(G("衣服")));
}

TEST_F(GoodsNameDictionaryTest, ExactLookupsIgnoreCaseOfLettersOnly) {
    EXPECT_EQ(dictionary.ChineseForEnglish("clothes"), G("衣服"));
    EXPECT_EQ(dictionary.EnglishForChinese(G("鞋子")), "SHOES");
    EXPECT_FALSE(dictionary.ChineseForEnglish(""));
    EXPECT_FALSE(dictionary.ChineseForEnglish("CLOTHE"));
    EXPECT_EQ(dictionary.EnglishForChinese("\x81\x41"), "FIRST");
    EXPECT_EQ(dictionary.EnglishForChinese("\x81\x61"), "SECOND");
    EXPECT_EQ(dictionary.CodeForName(G("鞋子")), "1002");
    EXPECT_EQ(dictionary.CodeForName("sports shoes"), "1004");
    EXPECT_FALSE(dictionary.CodeForName("BOOKS"));
}

TEST_F(GoodsNameDictionaryTest, TranslatesCompositeNames) {
    struct Case {
        std::string text;
        std::string english;
    } toEnglish[] = {
        {G("衣服, 鞋子"), "CLOTHES,SHOES"},
        {G("衣服,杂物"), "CLOTHES," + G("杂物")},
        {G("衣服 鞋子"), "CLOTHES SHOES"},
        {G("衣服  鞋子"), "CLOTHES SHOES"},
        {G("衣服(红色)"), "CLOTHES"},
        {G("杂物"), G("杂物")},
        {"", ""},
    };
    for (const Case& c : toEnglish) EXPECT_EQ(dictionary.TranslateToEnglish(c.text), c.english) << GbkToUtf8(c.text);

    EXPECT_EQ(dictionary.TranslateToChinese("sports shoes"), G("运动鞋")) << "the whole name wins over its parts";
    EXPECT_EQ(dictionary.TranslateToChinese("shoes, clothes"), G("鞋子,衣服"));

    dictionary.SetMode(1);
    EXPECT_EQ(dictionary.TranslateToEnglish(G("衣服(红色)")), G("衣服(红色)"));
}

TEST_F(GoodsNameDictionaryTest, SuggestsByCodeChineseOrEnglish) {
    auto codes = [](const GoodsNameDictionary::Suggestions& slots) {
        std::vector<std::string> out;
        for (const GoodsNameRecord* r : slots) out.push_back(r ? std::string(r->code.view()) : "-");
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(codes(dictionary.Suggest("100")), (V{"1001", "1002", "1003", "1004"}));
    EXPECT_EQ(codes(dictionary.Suggest("electronic")), (V{"1003", "2001", "2002", "1002"}));
    EXPECT_EQ(codes(dictionary.Suggest(G("鞋")))[0], "1002");
    // No prefix hit: substring of the English names (ignoring case) or of the Chinese names.
    EXPECT_EQ(codes(dictionary.Suggest("shoe")), (V{"1002", "1004", "-", "-"}));
    EXPECT_EQ(codes(dictionary.Suggest(G("配件"))), (V{"1003", "-", "-", "-"}));
}

}  // namespace
}  // namespace tallux
