#include <gtest/gtest.h>

#include <random>
#include <string>

#include "net/BaseData.h"
#include "net/BaseDataDownload.h"
#include "tests/support/GbkText.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using test::G;

std::string Xored(std::string text) {
    for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) ^ kBaseDataCacheKey);
    return text;
}

// A complete base data text as the server sends it after its "C": a line
// feed, the volumetric letter, the sections.
std::string Sample(char letter = 'T') {
    return "\n" + std::string(1, letter) + "\nEMB\n" + G("K1\t国内特快\nK2\t国际小包\nK3\t同城") + "\nEME\n\nGPB\n" +
           G("0 0\tBJ\tCN\t10\t北京\tBeijing\n1 0\tTR\tINTL\t90\t土耳其\tTurkey\n1 0\tUS\tINTL\t1\t美国\tUnited "
             "States") +
           "\nGPE\n\nEPB\n" + G("K1\n北京\nK9\n美国\n\nK2\n土耳其\t美国") + "\nEPE\n\x07";
}

TEST(BaseDataTest, LoadsKindsDestinationsAndAcceptedPlaces) {
    BaseData data;
    ASSERT_EQ(ParseBaseData(DecodeBaseDataCache(Xored(Sample())), {}, data), BaseDataLoad::Complete);
    EXPECT_EQ(data.volumetricLetter, 'T');
    ASSERT_EQ(data.kinds.Size(), 3);
    EXPECT_EQ(data.kinds.KindAt(1)->code.view(), "K2");
    EXPECT_EQ(data.kinds.KindAt(1)->name.view(), G("国际小包"));
    EXPECT_EQ(data.kinds.Names()[2], u"同城");
    EXPECT_EQ(data.kinds.Numbers(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(data.kinds.FindKindByCode("K1")->destinations, G("北京\t"));
    EXPECT_EQ(data.kinds.FindKindByCode("K2")->destinations, G("土耳其\t美国\t"));
    EXPECT_EQ(data.kinds.FindKindByCode("K3")->destinations, "");  // listed nowhere; K9 is unknown
    ASSERT_EQ(data.destinations.Size(), 3);
    EXPECT_EQ(data.destinations.FindDestinationByCode("US")->nameEn.view(), "United States");
}

TEST(BaseDataTest, VolumetricLetterComesFromTheSecondByteOnlyWhenItIsOne) {
    struct Case {
        std::string head;  // the bytes before the kind section's "\nEMB\n"
        char expected;
    } cases[] = {
        {"\nT", 'T'}, {"\nD", 'D'}, {"xT", 'T'},   {"TD", 'D'},  // whatever the first byte
        {"T", 'E'},                                              // a line feed second: unchanged
        {"\nX", 'E'}, {"\nt", 'E'}, {"\n\n", 'E'},
    };
    for (const Case& c : cases) {
        BaseData data;
        data.volumetricLetter = 'E';
        std::string text = c.head + "\nEMB\nK1\tA\nEME\n";
        EXPECT_EQ(ParseBaseData(text, {}, data), BaseDataLoad::NoDestinations) << c.head;
        EXPECT_EQ(data.volumetricLetter, c.expected) << c.head;
        EXPECT_EQ(data.kinds.Size(), 1) << c.head;
    }
    // Parsing goes on from the second byte: a kind section right at the
    // start is not seen.
    BaseData data;
    EXPECT_EQ(ParseBaseData("\nEMB\nK1\tA\nEME\n", {}, data), BaseDataLoad::NoKindSection);
}

TEST(BaseDataTest, AKindLineWithoutATabEndsTheList) {
    BaseData data;
    ParseBaseData("D\nEMB\nK1\tA\nK2\tB\nbroken\nK3\tC\nEME\n", {}, data);
    ASSERT_EQ(data.kinds.Size(), 2);
    EXPECT_EQ(data.kinds.KindAt(1)->name.view(), "B");
    EXPECT_EQ(data.kinds.FindKindByCode("K3"), nullptr);
    EXPECT_EQ(data.kinds.KindAt(2), nullptr);
    EXPECT_EQ(data.kinds.KindAt(-1), nullptr);
}

TEST(BaseDataTest, SectionsWithMissingMarkersKeepThePreviousTables) {
    struct Case {
        const char* what;
        std::string text;
        BaseDataLoad result;
        int kinds, destinations;
    } cases[] = {
        {"no EME", "D\nEMB\nN1\tX\n", BaseDataLoad::NoKindSection, 3, 3},
        {"no EMB", "D\nN1\tX\nEME\n", BaseDataLoad::NoKindSection, 3, 3},
        {"empty kind list", "D\nEMB\n\nEME\n\nGPB\n0 0\tA\tB\tC\tD\tE\nGPE\n", BaseDataLoad::NoKinds, 0, 3},
        {"no GPE", "D\nEMB\nN1\tX\nEME\n\nGPB\n0 0\tA\tB\tC\tD\tE\n", BaseDataLoad::NoDestinations, 1, 3},
        {"GPB before the kinds", "D\nGPB\n0 0\tA\tB\tC\tD\tE\nGPE\nEMB\nN1\tX\nEME\n", BaseDataLoad::NoDestinations, 1,
         3},
        {"no destination line", "D\nEMB\nN1\tX\nEME\n\nGPB\nnone\nGPE\n", BaseDataLoad::NoDestinations, 1, 0},
        {"no EPB", "D\nEMB\nN1\tX\nEME\n\nGPB\n0 0\tA\tB\tC\tD\tE\nGPE\n", BaseDataLoad::Complete, 1, 1},
    };
    for (const Case& c : cases) {
        BaseData data;
        ASSERT_EQ(ParseBaseData(DecodeBaseDataCache(Xored(Sample())), {}, data), BaseDataLoad::Complete);
        EXPECT_EQ(ParseBaseData(c.text, {}, data), c.result) << c.what;
        EXPECT_EQ(data.kinds.Size(), c.kinds) << c.what;
        EXPECT_EQ(data.destinations.Size(), c.destinations) << c.what;
    }
}

TEST(BaseDataTest, EveryByteUpToTheEndMarkSurvivesTheCache) {
    // Letters, GBK trail bytes and whatever follows the end mark: the key is
    // the end mark itself, so the stored end mark is the only zero byte.
    const std::string rare = "\x81\x6B";  // a GBK character with a letter for its trail byte
    std::string text = "D\nEMB\nK1\t" + rare + "\nEME\n\nGPB\n0 0\tTR\tINTL\t90\t" + G("土耳其") +
                       "\tTurkey\n0 0\tZZ\tX\tY\t" + rare + "\tlast\nGPE\n\x07";
    test::TempDir dir;
    test::WriteWholeFile(dir.File("0.dat"), Xored(text) + Xored("junk after the end mark"));
    BaseData data;
    ASSERT_EQ(LoadBaseData(dir.File("0.dat"), "", data), BaseDataLoad::Complete);
    EXPECT_EQ(data.kinds.KindAt(0)->name.view(), rare);
    ASSERT_EQ(data.destinations.Size(), 2);
    EXPECT_EQ(data.destinations.FindDestinationByEnglishName("turkey")->code.view(), "TR");
    EXPECT_EQ(data.destinations.FindDestinationByChineseName(rare)->nameEn.view(), "last");
}

TEST(BaseDataTest, LoadingAppliesEmskindTxt) {
    test::TempDir dir;
    test::WriteWholeFile(dir.File("0.dat"), Xored(Sample()));
    test::WriteWholeFile(dir.File("emskind.txt"), G("<快递类别顺序定义开始>\r\n国际小包=2\r\n<快递类别顺序定义结束>\r\n"
                                                    "<录单相关定义开始>\r\n默认币种=EUR\r\n"));
    BaseData data;
    ASSERT_EQ(LoadBaseData(dir.File("0.dat"), dir.File("emskind.txt"), data), BaseDataLoad::Complete);
    ASSERT_EQ(data.kinds.Size(), 1);
    EXPECT_EQ(data.kinds.KindNumber(G("国际小包"), 1), 2);
    EXPECT_EQ(data.settings.defaultCurrency, "EUR");
    EXPECT_TRUE(data.kinds.KindAcceptsDestination(G("国际小包"), G("美国")));
}

TEST(BaseDataTest, AMissingCacheChangesNothing) {
    BaseData data;
    ParseBaseData(DecodeBaseDataCache(Xored(Sample())), {}, data);
    test::TempDir dir;
    EXPECT_EQ(LoadBaseData(dir.File("0.dat"), "", data), BaseDataLoad::NoFile);
    EXPECT_EQ(data.kinds.Size(), 3);
    EXPECT_EQ(data.volumetricLetter, 'T');
}

TEST(BaseDataTest, KindTextsAreCutToTheirFieldsAtCharacterBoundaries) {
    struct Case {
        std::string code, name, expectedCode, expectedName;
    } cases[] = {
        {"ABCDEFGHIJKLMNOPQRST", "N", "ABCDEFGHIJKLMNO", "N"},
        {"K", G("一二三四五六七八九十一二三四五六七"), "K", G("一二三四五六七八九十一二三四五")},  // 30 of 34 bytes
        {"K", "a" + G("一二三四五六七八九十一二三四五六七"), "K", "a" + G("一二三四五六七八九十一二三四五")},  // 31
        {"KK" + G("一二三四五六七"), "N", "KK" + G("一二三四五六"), "N"},  // 14 bytes: no half character
    };
    for (const Case& c : cases) {
        BaseData data;
        ParseBaseData("D\nEMB\n" + c.code + "\t" + c.name + "\nEME\n", {}, data);
        ASSERT_EQ(data.kinds.Size(), 1);
        EXPECT_EQ(data.kinds.KindAt(0)->code.view(), c.expectedCode);
        EXPECT_EQ(data.kinds.KindAt(0)->name.view(), c.expectedName);
        EXPECT_EQ(data.kinds.FindKindByName(c.expectedName), data.kinds.KindAt(0));
    }
}

TEST(BaseDataTest, KindOrderOfTheSettingsKeepsOnlyListedKindsInItsOrder) {
    EmsKindSettings settings =
        ParseEmsKindSettings(G("<快递类别顺序定义开始>\r\n同城=7=小单\r\n没有这个=2\r\n国内特快=3\r\n"
                               "<快递类别顺序定义结束>\r\n"));
    BaseData data;
    ASSERT_EQ(ParseBaseData(DecodeBaseDataCache(Xored(Sample())), settings, data), BaseDataLoad::Complete);
    ASSERT_EQ(data.kinds.Size(), 2);
    EXPECT_EQ(data.kinds.KindAt(0)->code.view(), "K3");
    EXPECT_EQ(data.kinds.KindAt(1)->code.view(), "K1");
    EXPECT_EQ(data.kinds.Names(), (std::vector<std::u16string>{u"同城", u"国内特快"}));
    EXPECT_EQ(data.kinds.Numbers(), (std::vector<int>{7, 3}));
    EXPECT_EQ(data.kinds.KindAt(0)->waybillTemplate, G("TAB_小单"));
    EXPECT_EQ(data.kinds.KindAt(1)->waybillTemplate, "");
    // Accepted places are attached after the reorder.
    EXPECT_EQ(data.kinds.FindKindByCode("K1")->destinations, G("北京\t"));
    EXPECT_EQ(data.kinds.FindKindByCode("K2"), nullptr);

    EmsKindSettings nothingValid =
        ParseEmsKindSettings(G("<快递类别顺序定义开始>\r\n没有=1\r\n<快递类别顺序定义结束>"));
    ParseBaseData(DecodeBaseDataCache(Xored(Sample())), nothingValid, data);
    EXPECT_EQ(data.kinds.Size(), 3);
}

TEST(BaseDataTest, AnyBytesLoadWithoutHarm) {
    const std::string pieces[] = {"\nEMB\n",
                                  "\nEME\n",
                                  "\nGPB\n",
                                  "\nGPE\n",
                                  "\nEPB\n",
                                  "\nEPE\n",
                                  "VERSION:1\n",
                                  "\t",
                                  "\n",
                                  "\r",
                                  "\x81",
                                  "\xB1",
                                  "A",
                                  "0 1",
                                  "\x07",
                                  std::string(1, '\0'),
                                  "k",
                                  "=",
                                  "|",
                                  G("<快递类别顺序定义开始>"),
                                  G("<快递类别顺序定义结束>"),
                                  G("<录单相关定"),
                                  G("<取单号管理扩展定义开始>"),
                                  G("<字段填写定义开始>")};
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        int parts = static_cast<int>(random() % 40);
        for (int i = 0; i < parts; ++i) {
            if (random() % 3 == 0) {
                text += static_cast<char>(random() % 256);
            } else {
                text += pieces[random() % std::size(pieces)];
            }
        }
        BaseData data;
        EmsKindSettings settings = ParseEmsKindSettings(text);
        ParseBaseData(DecodeBaseDataCache(text), settings, data);
        ParseBaseData(text, {}, data);
        for (int i = 0; i < data.kinds.Size(); ++i) {
            EXPECT_LE(data.kinds.KindAt(i)->code.view().size(), 15u);
            data.kinds.KindAcceptsDestination(data.kinds.KindAt(i)->name.view(), text);
        }
        data.destinations.SuggestDestinations(text.substr(0, 6));
        data.destinations.ResolveDestination(text.substr(0, 4));
        data.destinations.FindDestinationAny(text.substr(0, 3));
    }
}

}  // namespace
}  // namespace tallux
