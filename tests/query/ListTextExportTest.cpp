#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "query/ListTextExport.h"

namespace tallux {
namespace {

// UTF-16LE bytes of an ASCII text.
std::string Le(std::string_view ascii) {
    std::string bytes;
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(ListTextExportTest, WritesBomTitleHeadingsAndRowsWithTabs) {
    ListTextExport text(u"List", u"2024-01-02 03:04:05", {u"No", u"Name"});
    text.AddRow({u"1", u"two\twords"});
    text.AddRow({u"2", u"line\r\nbreak"});
    const std::string expected = std::string("\xFF\xFE") + Le("List\r\n2024-01-02 03:04:05\r\n\r\n") +
                                 Le("No\tName\t\r\n") + Le("1\ttwo words\t\r\n") + Le("2\tline  break\t\r\n");
    EXPECT_EQ(text.Bytes(), expected);
}

TEST(ListTextExportTest, ChineseTextIsLittleEndian) {
    ListTextExport text(u"中", u"", {});
    EXPECT_EQ(text.Bytes(), std::string("\xFF\xFE\x2D\x4E\r\0\n\0\r\0\n\0\r\0\n\0\r\0\n\0", 20));
}

TEST(ExportCellTextTest, CutsAt255UnitsNeverInsideAPair) {
    EXPECT_EQ(ExportCellText(std::u16string(300, u'x')), std::u16string(255, u'x'));
    EXPECT_EQ(ExportCellText(std::u16string(255, u'x')).size(), 255u);
    // A pair that would straddle the cut is left out whole.
    const std::u16string pairAtCut = std::u16string(254, u'x') + u"\U0001F600" + u"y";
    EXPECT_EQ(ExportCellText(pairAtCut), std::u16string(254, u'x'));
    EXPECT_EQ(ExportCellText(u"a\tb\rc\nd"), u"a b c d");
}

TEST(ExportPathTest, AppendsTheChosenFiltersExtensionUnlessPresent) {
    struct Case {
        std::u16string path;
        int filter;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"/tmp/list.TXT", 1, u"/tmp/list.TXT"},
        {u"/tmp/list.Txt", 1, u"/tmp/list.Txt"},
        {u"/tmp/list.txt", 1, u"/tmp/list.txt"},
        {u"/tmp/list.csv", 1, u"/tmp/list.csv.txt"},
        {u"/tmp/list", 1, u"/tmp/list.txt"},
        {u"/tmp/list.xls", 1, u"/tmp/list.xls.txt"},
        {u"/tmp/list.XLS", 0, u"/tmp/list.XLS"},
        {u"/tmp/list.txt", 0, u"/tmp/list.txt.xls"},
        {u"/tmp/列表", 0, u"/tmp/列表.xls"},
        {u"/tmp/list", 5, u"/tmp/list.xls"},
        {u"txt", 1, u"txt.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExportPathWithExtension(c.path, c.filter), c.expected);
    EXPECT_EQ(ExportFormatForFilter(1), ExportFormat::Text);
    EXPECT_EQ(ExportFormatForFilter(0), ExportFormat::Spreadsheet);
    EXPECT_EQ(ExportFormatForFilter(-1), ExportFormat::Spreadsheet);
}

}  // namespace
}  // namespace tallux
