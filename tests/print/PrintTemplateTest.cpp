#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "print/PrintFields.h"
#include "print/PrintTemplate.h"
#include "print/TemplateKinds.h"
#include "tests/support/GbkText.h"

namespace tallux {
namespace {

using test::G;

// Both line endings a definition may use.
constexpr const char* kLineEnds[] = {"\n", "\r\n"};

// The GBK definition of lines (UTF-8) joined by eol.
std::string Definition(const std::vector<std::string>& lines, const char* eol) {
    std::string text;
    for (const std::string& line : lines) text += line + eol;
    return G(text);
}

std::shared_ptr<const PrintTemplate> Waybill(std::string definition) {
    return PrintTemplate::FromBytes(TemplateKind::Waybill, G("默认面单"), std::move(definition), "xls");
}

std::shared_ptr<const PrintTemplate> Waybill(const std::vector<std::string>& lines, const char* eol = "\n") {
    return Waybill(Definition(lines, eol));
}

TEST(PrintTemplate, KeepsWhatItWasBuiltFrom) {
    const std::string definition = G("打印页数=2\r\n") + std::string("\0\0", 2);
    const std::string workbook("\xD0\xCF\x11\xE0\0\x01", 6);
    const auto made = PrintTemplate::FromBytes(TemplateKind::Label, G("默认标签"), definition, workbook);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Kind(), TemplateKind::Label);
    EXPECT_EQ(made->NameGbk(), G("默认标签"));
    EXPECT_EQ(made->Name(), "默认标签");
    EXPECT_EQ(made->Definition(), definition);
    EXPECT_EQ(made->Workbook(), workbook);
    EXPECT_EQ(made->GetInt(G("打印页数")), 2);
    EXPECT_TRUE(made->ListEntries().empty());
    EXPECT_FALSE(made->HasRestrictions());

    const auto empty = PrintTemplate::FromBytes(TemplateKind::Invoice, "", "", "");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetInt(G("打印页数")), -1);
    EXPECT_EQ(empty->GetString(G("文件")), "");
    EXPECT_EQ(empty->GetCell(G("物品名称首行")), std::nullopt);
    EXPECT_EQ(empty->GetBlock(G("发件人定义")), "");
    EXPECT_TRUE(empty->MatchesRestrictions("GJTK", "US"));
}

TEST(PrintTemplate, GetIntReadsTheKeysOwnLine) {
    struct Case {
        std::vector<std::string> lines;
        std::string key;
        int expected;
    } cases[] = {
        {{"打印页数 = 2"}, "打印页数", 2},
        {{"打印页数=3"}, "打印页数", 3},
        {{"打印页数\t    =4"}, "打印页数", 4},
        {{"打印页数=12页"}, "打印页数", 12},
        {{"打印页数=-3"}, "打印页数", -3},
        {{"打印页数="}, "打印页数", 0},
        {{"打印页数 2"}, "打印页数", -1},
        {{"条码不要字符=1"}, "打印页数", -1},
        {{"x打印页数=5"}, "打印页数", -1},
        {{"打印页数=1"}, "", -1},
        // A longer key is another key: the search goes on to later lines.
        {{"内单条码方向2=1", "内单条码方向=0"}, "内单条码方向", 0},
        {{"内单条码方向2=1", "内单条码方向=0"}, "内单条码方向2", 1},
        {{"内单条码方向2=1"}, "内单条码方向", -1},
        {{"打印页数 份=9", "打印页数=5"}, "打印页数", 5},
        // "=" on a later line belongs to that line.
        {{"打印页数", "=7"}, "打印页数", -1},
        // The first line of the key wins.
        {{"打印页数=1", "打印页数=2"}, "打印页数", 1},
        // Numbers beyond int.
        {{"打印页数=2147483647"}, "打印页数", 2147483647},
        {{"打印页数=2147483648"}, "打印页数", -1},
        {{"打印页数=-2147483649"}, "打印页数", -1},
        {{"打印页数=99999999999999999999999"}, "打印页数", -1},
    };
    for (const char* eol : kLineEnds)
        for (const Case& c : cases) {
            SCOPED_TRACE(c.lines.front() + " / " + c.key + (eol[0] == '\r' ? " CR LF" : " LF"));
            EXPECT_EQ(Waybill(c.lines, eol)->GetInt(G(c.key)), c.expected);
        }
}

TEST(PrintTemplate, GetStringReadsTheValueUpToTheLineEnd) {
    const std::string longValue(2000, 'x');
    struct Case {
        std::vector<std::string> lines;
        std::string key;
        std::string expected;
    } cases[] = {
        {{"联动打印标签 = LBLX"}, "联动打印标签", " LBLX"},
        {{"联动打印标签=LBLX  "}, "联动打印标签", "LBLX  "},
        {{"联动打印标签  =X"}, "联动打印标签", "X"},
        {{"联动打印标签\t=X"}, "联动打印标签", "X"},
        {{"联动打印标签   =X"}, "联动打印标签", ""},
        {{"联动打印标签   =X", "联动打印标签=Y"}, "联动打印标签", "Y"},
        {{"联动打印标签="}, "联动打印标签", ""},
        {{"联动打印标签"}, "联动打印标签", ""},
        // A list line whose name merely begins with the key is not the key's line.
        {{"文件√=B5"}, "文件", ""},
        {{"文件√=B5", "文件=DOC"}, "文件", "DOC"},
        {{"包裹√=C5", "防水袋√=D5", "包裹=PAK"}, "包裹", "PAK"},
        {{"月结√=E5", "现付√=F5", "到付√=G5", "到付=COD"}, "到付", "COD"},
        {{"月结√=E5", "现付√=F5"}, "月结", ""},
        {{"文件=文 件"}, "文件", "文 件"},
        // The value is kept whole, however long.
        {{"联动打印标签=" + longValue}, "联动打印标签", longValue},
    };
    for (const char* eol : kLineEnds)
        for (const Case& c : cases) {
            SCOPED_TRACE(c.lines.front().substr(0, 40) + " / " + c.key + (eol[0] == '\r' ? " CR LF" : " LF"));
            EXPECT_EQ(Waybill(c.lines, eol)->GetString(G(c.key)), G(c.expected));
        }
}

TEST(PrintTemplate, TheTextEndsAtItsLastLineOrAZeroByte) {
    // Without a final line break, and with the zero byte a downloaded
    // definition ends in.
    EXPECT_EQ(Waybill(G("文件=DOC"))->GetString(G("文件")), "DOC");
    EXPECT_EQ(Waybill(G("文件=DOC") + std::string("\0", 1))->GetString(G("文件")), "DOC");
    EXPECT_EQ(Waybill(G("打印页数=3") + std::string("\0\0", 2))->GetInt(G("打印页数")), 3);
    const auto cut = Waybill(G("文件=DOC\r\n") + std::string("\0", 1) + G("包裹=PAK\r\n打印页数=4\r\n"));
    EXPECT_EQ(cut->GetString(G("包裹")), "");
    EXPECT_EQ(cut->GetInt(G("打印页数")), -1);
    EXPECT_EQ(Waybill(G("物品名称首行=B12"))->GetCell(G("物品名称首行")), (CellRef{12, 2}));
    // A lone CR ends a line too.
    EXPECT_EQ(Waybill(G("文件=DOC\r包裹=PAK\r"))->GetString(G("包裹")), "PAK");
}

TEST(PrintTemplate, GetCellReadsOneOrTwoLettersAndTheRow) {
    struct Case {
        std::vector<std::string> lines;
        std::optional<CellRef> expected;
    } cases[] = {
        {{"物品名称首行=B12"}, CellRef{12, 2}},
        {{"物品名称首行=AB3"}, CellRef{3, 28}},
        {{"物品名称首行=ab3"}, CellRef{3, 28}},
        {{"物品名称首行=z1"}, CellRef{1, 26}},
        {{"物品名称首行=ZZ7"}, CellRef{7, 702}},
        {{"物品名称首行 =C4"}, CellRef{4, 3}},
        {{"物品名称首行  =C4"}, CellRef{4, 3}},
        {{"物品名称首行   =C4"}, std::nullopt},
        {{"物品名称首行=B12" + std::string(11, ' ')}, CellRef{12, 2}},  // 14 bytes
        {{"物品名称首行=B12" + std::string(12, ' ')}, std::nullopt},    // 15 bytes
        {{"物品名称首行=B9999999999"}, std::nullopt},                   // row beyond int
        {{"物品名称首行=B123456789"}, CellRef{123456789, 2}},
        {{"物品名称首行=B0"}, std::nullopt},
        {{"物品名称首行=3B"}, std::nullopt},
        {{"物品名称首行=ABC3"}, std::nullopt},
        {{"物品名称首行=B"}, std::nullopt},
        {{"物品名称首行="}, std::nullopt},
        {{"物品名称首行2=D4", "物品名称首行=E5"}, CellRef{5, 5}},
        {{"物品别名首行=B12"}, std::nullopt},
    };
    for (const char* eol : kLineEnds)
        for (const Case& c : cases) {
            SCOPED_TRACE(c.lines.front() + (eol[0] == '\r' ? " CR LF" : " LF"));
            EXPECT_EQ(Waybill(c.lines, eol)->GetCell(G("物品名称首行")), c.expected);
        }
}

TEST(PrintTemplate, GetBlockKeepsTheTextBetweenItsMarkers) {
    const std::string longBlock(3000, 'q');
    struct Case {
        std::string text;
        std::string expected;
    } cases[] = {
        {"<发件人定义开始>[发件人]\r\n[发件单位]<发件人定义结束>", "[发件人]\r\n[发件单位]"},
        {"头\n<发件人定义开始>\n[发件人]\n<发件人定义结束>\n", "\n[发件人]\n"},
        {"<发件人定义开始><发件人定义结束>", ""},
        {"<发件人定义开始>[发件人]", ""},
        {"<发件人定义结束>[发件人]<发件人定义开始>", ""},
        {"<收件人定义开始>[收件人]<收件人定义结束>", ""},
        {"<发件人定义开始>" + longBlock + "<发件人定义结束>", longBlock},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        EXPECT_EQ(Waybill(G(c.text))->GetBlock(G("发件人定义")), G(c.expected));
    }
}

TEST(PrintTemplate, ListSectionEntries) {
    struct Case {
        std::string line;
        std::string name;
        std::optional<CellRef> expected;
    } cases[] = {
        {"物品名称1=B12", "物品名称1", CellRef{12, 2}},
        {"物品名称1=AB3", "物品名称1", CellRef{3, 28}},
        {"物品名称1=b12", "物品名称1", CellRef{12, 2}},
        {"物品名称1=aB3", "物品名称1", CellRef{3, 28}},
        {"物品名称1=B12 ", "物品名称1", CellRef{12, 2}},
        {"收件人 \t=C4", "收件人", CellRef{4, 3}},
        {" 收件人=C4", " 收件人", CellRef{4, 3}},
        {"\"发件 人\"=C4", "发件 人", CellRef{4, 3}},
        {"\"a=b\"=D2", "a=b", CellRef{2, 4}},
        {"\"发件\" =C4", "发件", std::nullopt},
        {"\"发件\" =C4", "\"发件\"", std::nullopt},
        {"\"发件=C4", "发件", std::nullopt},
        {"#收件人=C4", "#收件人", std::nullopt},
        {"收件人=C0", "收件人", std::nullopt},
        {"收件人=4C", "收件人", std::nullopt},
        {"收件人=ABC4", "收件人", std::nullopt},
        {"收件人=C99999999999", "收件人", std::nullopt},
        {"收件人 C4", "收件人 C4", std::nullopt},
    };
    for (const char* eol : kLineEnds)
        for (const Case& c : cases) {
            SCOPED_TRACE(c.line + " / " + c.name + (eol[0] == '\r' ? " CR LF" : " LF"));
            // A line that is no entry skips itself only: the entry after it counts.
            const auto made = Waybill({"<列表定义开始>", c.line, "序号=A1", "<列表定义结束>"}, eol);
            EXPECT_EQ(made->FindListCell(G(c.name)), c.expected);
            EXPECT_EQ(made->FindListCell(G("序号")), (CellRef{1, 1}));
            EXPECT_EQ(made->ListEntries().size(), c.expected ? 2u : 1u);
        }
}

TEST(PrintTemplate, ListEntriesComeInFileOrderFromTheSectionOnly) {
    const auto made = Waybill({
        "物品名称1=B12",
        "打印页数=2",
        "<列表定义开始>",
        "收件人=C4",
        "\"发件",
        "人\"=C5",
        "收件人=D9",
        "内单号39码=AA10",
        "<列表定义结束>",
        "收件地址=E1",
    });
    const std::vector<ListCellEntry> expected = {
        {G("收件人"), 4, 3},
        {G("人\""), 5, 3},
        {G("收件人"), 9, 4},
        {G("内单号39码"), 10, 27},
    };
    EXPECT_EQ(made->ListEntries(), expected);
    EXPECT_EQ(made->FindListCell(G("收件人")), (CellRef{4, 3}));  // the first of the name
    EXPECT_EQ(made->FindListCell(G("物品名称1")), std::nullopt);
    EXPECT_EQ(made->FindListCell(G("收件地址")), std::nullopt);
    EXPECT_EQ(made->FindListCell(G("发件\n人")), std::nullopt);  // quotes end on their line
    EXPECT_EQ(made->GetInt(G("打印页数")), 2);

    // Without both markers, start before end, there is no list.
    for (const std::vector<std::string>& lines : std::vector<std::vector<std::string>>{
             {"<列表定义开始>", "收件人=C4"},
             {"收件人=C4", "<列表定义结束>"},
             {"<列表定义结束>", "收件人=C4", "<列表定义开始>"},
         })
        EXPECT_TRUE(Waybill(lines)->ListEntries().empty()) << lines.front();
}

TEST(PrintTemplate, RestrictionsMatchCodesBetweenBars) {
    struct Case {
        std::string kinds, destinations, kind, destination;
        bool matches;
    } cases[] = {
        {"|DHL|UPS|", "", "DHL", "US", true},
        {"|DHL|UPS|", "", "UPS", "", true},
        {"|DHL|UPS|", "", "DH", "US", false},
        {"|DHL|UPS|", "", "", "US", false},
        {"|GJTK|", "|US|CA|", "GJTK", "CA", true},
        {"|GJTK|", "|US|CA|", "GJTK", "U", false},
        {"|GJTK|", "|US|CA|", "GNTK", "US", false},
        {"", "|US|CA|", "GNTK", "US", true},
        {"", "", "GNTK", "JP", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kinds + " " + c.destinations + " / " + c.kind + " " + c.destination);
        std::vector<std::string> lines = {"打印页数=1"};
        if (!c.kinds.empty()) lines.push_back("快递类别限制=" + c.kinds);
        if (!c.destinations.empty()) lines.push_back("目的地限制=" + c.destinations);
        const auto made = Waybill(lines, "\r\n");
        EXPECT_EQ(made->KindRestriction(), c.kinds);
        EXPECT_EQ(made->DestinationRestriction(), c.destinations);
        EXPECT_EQ(made->MatchesRestrictions(c.kind, c.destination), c.matches);
        EXPECT_EQ(made->HasRestrictions(), !c.kinds.empty() && !c.destinations.empty());
    }
}

TEST(PrintTemplate, ALongRestrictionIsKeptWhole) {
    std::string destinations = "|", last;
    for (int i = 0; destinations.size() < 300; ++i) {
        last = "D" + std::to_string(100 + i);
        destinations += last + "|";
    }
    ASSERT_EQ(destinations.size(), 301u);
    const auto made = Waybill({"快递类别限制=|GJTK|", "目的地限制=" + destinations}, "\r\n");
    EXPECT_EQ(made->DestinationRestriction(), destinations);
    EXPECT_TRUE(made->HasRestrictions());
    EXPECT_TRUE(made->MatchesRestrictions("GJTK", "D100"));
    EXPECT_TRUE(made->MatchesRestrictions("GJTK", last));
    EXPECT_FALSE(made->MatchesRestrictions("GJTK", "D999"));
}

TEST(TemplateKinds, OneTableForPrefixesAndNames) {
    struct Case {
        TemplateKind kind;
        int value;
        std::string prefix, dialogName, associationName;
        int fileNameCode;
    } cases[] = {
        {TemplateKind::Invoice, 0, "IVC_", "形式发票", "形式发票", -3},
        {TemplateKind::Waybill, 1, "TAB_", "快件面单", "渠道面单", -1},
        {TemplateKind::Label, 2, "LBL_", "快件标签", "快件标签", -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix);
        EXPECT_EQ(static_cast<int>(c.kind), c.value);
        EXPECT_EQ(TemplateFilePrefix(c.kind), c.prefix);
        EXPECT_EQ(TemplateDialogName(c.kind), c.dialogName);
        EXPECT_EQ(TemplateAssociationName(c.kind), c.associationName);
        EXPECT_EQ(TemplateKindInfoOf(c.kind).fileNameCode, c.fileNameCode);
        EXPECT_EQ(TemplateKindFromValue(c.value), c.kind);
        EXPECT_EQ(TemplateKindFromFileNameCode(c.fileNameCode), c.kind);
    }
    EXPECT_EQ(TemplateKindFromValue(3), std::nullopt);
    EXPECT_EQ(TemplateKindFromValue(-1), std::nullopt);
    EXPECT_EQ(TemplateKindFromFileNameCode(0), std::nullopt);
}

TEST(TemplateKinds, KindFromFileNameIgnoresTheCaseOfThePrefix) {
    struct Case {
        std::string name;
        int expected;
    } cases[] = {
        {"TAB_默认面单.xls", -1},
        {"tab_x.XLS", -1},
        {"Tab_", -1},
        {"TAB__NK_GJTK_US.xls", -1},
        {"LBL_默认标签.xls", -2},
        {"lbl_a4四联", -2},
        {"IVC_默认形式发票", -3},
        {"iVc_A", -3},
        {"TAB", 0},
        {"TAB-x", 0},
        {"XTAB_y", 0},
        {"", 0},
        {"默认面单.xls", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TemplateKindFromFileName(G(c.name)), c.expected) << c.name;
}

TEST(PrintFields, FieldTableIsTheFixedVocabularyInGbk) {
    const auto& table = PrintFieldTable();
    ASSERT_EQ(table.size(), 108u);
    std::set<std::string> distinct(table.begin(), table.end());
    EXPECT_EQ(distinct.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(kPrintFieldNamesUtf8[i]);
        EXPECT_FALSE(table[i].empty());
        EXPECT_LE(table[i].size(), 15u);
        EXPECT_EQ(GbkToUtf8(table[i]), kPrintFieldNamesUtf8[i]);  // every name is GBK text
    }
    struct Case {
        int index;
        std::string name;
    } cases[] = {
        {0, "发件人"},   {7, "发件国家"}, {16, "入重"},  {20, "发件单位简称"}, {40, "标价-报关费"}, {53, "文件√"},
        {55, "防水袋√"}, {56, "记录ID"},  {82, "到付√"}, {83, "1件品名"},      {107, "备用五"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrintFieldName(c.index), G(c.name)) << c.index;
        EXPECT_EQ(PrintFieldIndex(G(c.name)), c.index) << c.name;
    }
    EXPECT_EQ(PrintFieldName(108), "");
    EXPECT_EQ(PrintFieldName(-1), "");
    EXPECT_EQ(PrintFieldIndex(G("文件")), -1);
}

TEST(PrintFields, QrTagsFallBackToTagZero) {
    const auto& table = QrTagTable();
    ASSERT_EQ(table.size(), 42u);
    for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(GbkToUtf8(table[i]), kQrTagsUtf8[i]);
    struct Case {
        int index;
        std::string tag;
    } cases[] = {
        {0, "[运单号]"}, {1, "[目的地]"},  {15, "[短信电话]"}, {36, "[代收货款返回]"},
        {41, "[备注]"},  {42, "[运单号]"}, {-1, "[运单号]"},   {1000, "[运单号]"},
    };
    for (const Case& c : cases) EXPECT_EQ(QrTag(c.index), G(c.tag)) << c.index;
}

}  // namespace
}  // namespace tallux
