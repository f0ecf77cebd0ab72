#include <gtest/gtest.h>

#include <string>

#include "net/EmsKindSettings.h"
#include "tests/support/GbkText.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using test::G;

TEST(EmsKindSettingsTest, ReadsEverySection) {
    EmsKindSettings s = ParseEmsKindSettings(
        G("说明文字\r\n"
          "<快递类别顺序定义开始>\r\n国内特快=1=小单\r\n\r\n国际小包=2\r\n没有等号\r\n<快递类别顺序定义结束>\r\n"
          "<取单号快递类别定义开始>\n国内特快专递标准快件类别=3\n国内经济=x\n<取单号快递类别定义结束>\n"
          "<取转单号快递类别定义开始>\r国际小包=5\r<取转单号快递类别定义结束>\r\n"
          "<取单号管理扩展定义开始>\r\n取单号类别=2\r\n 取单号模式=9\r\n取单号模式=4\r\n"
          "<一对多取单号定义开始>\r\n甲=A|BB||0123456789ABCDEFG\r\n<一对多取单号定义结束>\r\n"
          "<虚拟取单ID定义开始>\r\nV1=17\r\nV2=-3\r\n<虚拟取单ID定义结束>\r\n"
          "<字段填写定义开始>\r\n甲=丢弃|标题|一|二|三|四|最后\r\n乙=1|2|3|4|5|6\r\n<字段填写定义结束>\r\n"
          "<取单号管理扩展定义结束>\r\n"
          "禁用本地单号生成=1\r\n"  // before the entry settings: not read
          "<录单相关定义开始>\r\n强制自动选择标签模板=1\r\n下载模板时不删除旧模板=1\r\n"
          "打印收件人信息组合不过滤字段=1\r\n默认产地=HK\r\n默认币种=EURO\r\n"));
    ASSERT_EQ(s.kindOrder.size(), 2u);
    EXPECT_EQ(s.kindOrder[0].name, G("国内特快"));
    EXPECT_EQ(s.kindOrder[0].number, 1);
    EXPECT_EQ(s.kindOrder[0].templateName, G("小单"));
    EXPECT_EQ(s.kindOrder[1].number, 2);
    EXPECT_EQ(s.kindOrder[1].templateName, "");
    ASSERT_EQ(s.numberKinds.size(), 2u);
    EXPECT_EQ(s.numberKinds[0].name, G("国内特快专递标"));  // 15 bytes: no half character
    EXPECT_EQ(s.numberKinds[0].number, 3);
    EXPECT_EQ(s.numberKinds[1].number, 0);
    ASSERT_EQ(s.transferKinds.size(), 1u);
    EXPECT_EQ(s.transferKinds[0].number, 5);
    EXPECT_TRUE(s.TransferNumbersEnabled());
    EXPECT_EQ(s.numberKindSelector, 2);
    EXPECT_EQ(s.numberMode, 4);  // keys count only at the start of a line
    ASSERT_EQ(s.oneToMany.size(), 1u);
    EXPECT_EQ(s.oneToMany[0].values, (std::vector<std::string>{"A", "BB", "", "0123456789ABCDE"}));
    ASSERT_EQ(s.virtualIds.size(), 2u);
    EXPECT_EQ(s.virtualIds[0].number, 17);
    EXPECT_EQ(s.virtualIds[1].number, -3);
    ASSERT_EQ(s.fieldFills.size(), 1u);  // 乙 has six values only
    EXPECT_EQ(s.fieldFills[0].name, G("甲"));
    EXPECT_EQ(s.fieldFills[0].title, G("标题"));
    EXPECT_EQ(s.fieldFills[0].texts[3], G("四"));
    EXPECT_EQ(s.fieldFills[0].last, G("最后"));
    EXPECT_FALSE(s.disableLocalNumbers);
    EXPECT_TRUE(s.forceAutoLabelTemplate);
    EXPECT_TRUE(s.keepOldTemplates);
    EXPECT_FALSE(s.filterRecipientFields);
    EXPECT_EQ(s.defaultOrigin, "HK");
    EXPECT_EQ(s.defaultCurrency, "USD");  // not exactly three bytes
}

TEST(EmsKindSettingsTest, FieldFillValuesAreCutToTheirWidths) {
    const std::string longText =
        G(std::string(20, 'a') + "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十");
    EmsKindSettings s = ParseEmsKindSettings(
        G("<取单号管理扩展定义开始>\n<字段填写定义开始>\n") + G("名字名字名字名字名字") + "=x|" + longText + "|" +
        longText + "|b|c|d|" + std::string(300, 'z') + G("\n<字段填写定义结束>\n<取单号管理扩展定义结束>\n"));
    ASSERT_EQ(s.fieldFills.size(), 1u);
    const auto& fill = s.fieldFills[0];
    EXPECT_EQ(fill.name, G("名字名字名字名"));
    EXPECT_EQ(fill.title, longText.substr(0, 30));
    EXPECT_EQ(fill.texts[0], longText.substr(0, 62));  // 63 would split a character
    EXPECT_EQ(fill.texts[1], "b");
    EXPECT_EQ(fill.last, std::string(254, 'z'));
}

TEST(EmsKindSettingsTest, DefaultsWithoutUsableSettings) {
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"unclosed sections", G("<快递类别顺序定义开始>\n甲=1\n<取单号快递类别定义开始>\n乙=2\n")},
        {"keys outside their sections", G("取单号类别=3\n默认产地=HK\n")},
        {"a bad origin", G("<录单相关定义>\n默认产地=H\n默认币种=EU\n")},
    };
    for (const Case& c : cases) {
        EmsKindSettings s = ParseEmsKindSettings(c.text);
        EXPECT_TRUE(s.kindOrder.empty()) << c.what;
        EXPECT_TRUE(s.numberKinds.empty()) << c.what;
        EXPECT_EQ(s.numberKindSelector, 0) << c.what;
        EXPECT_EQ(s.defaultOrigin, "CN") << c.what;
        EXPECT_EQ(s.defaultCurrency, "USD") << c.what;
        EXPECT_TRUE(s.filterRecipientFields) << c.what;
        EXPECT_FALSE(s.keepOldTemplates) << c.what;
    }
}

TEST(EmsKindSettingsTest, TheFileIsIgnoredWhenMissingOrTooLong) {
    test::TempDir dir;
    const std::string entry = G("<取转单号快递类别定义开始>\r\n国际小包=5\r\n<取转单号快递类别定义结束>\r\n");
    EXPECT_TRUE(LoadEmsKindSettings(dir.File("missing.txt")).transferKinds.empty());
    std::string fits = entry + std::string(kEmsKindFileLimit - entry.size(), ' ');
    test::WriteWholeFile(dir.File("fits.txt"), fits);
    EXPECT_EQ(LoadEmsKindSettings(dir.File("fits.txt")).transferKinds.size(), 1u);
    test::WriteWholeFile(dir.File("long.txt"), fits + " ");
    EXPECT_TRUE(LoadEmsKindSettings(dir.File("long.txt")).transferKinds.empty());
}

}  // namespace
}  // namespace tallux
