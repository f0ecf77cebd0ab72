// The list's spreadsheet export on the real office: the saved .xls holds
// what the list showed, text columns as text and numeric ones as numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "print/ExcelWorkbook.h"
#include "query/ListSpreadsheetExport.h"
#include "tests/print/uno/OfficeFixture.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux::test {
namespace {

using ListExportOfficeTest = OfficeTest;

TEST_F(ListExportOfficeTest, TextColumnsStayTextAndNumericColumnsBecomeNumbers) {
    const std::vector<std::vector<std::u16string>> rows = {
        {u"1", u"007", u"007", u"深圳市福田区"},
        {u"2", u"-12.5", u"+86-755-12345678", u"=1+1"},
    };
    ListExportTable table;
    table.title = u"预录入";
    table.subtitle = u"2024-05-06 07:08:09";
    table.columns = {{u"序号", 50, false}, {u"重量", 65, true}, {u"电话", 120, false}, {u"地址", 200, false}};
    table.rowCount = static_cast<int>(rows.size());
    table.cell = [&](int row, int column) { return std::u16string_view(rows[row][column]); };
    ASSERT_EQ(ExportListSpreadsheet(Engine(), nullptr, File("list.xls"), table), "");

    EXPECT_EQ(ReadWholeFile(File("list.xls").string()).substr(0, 4), "\xD0\xCF\x11\xE0");  // an .xls compound file
    ExcelWorkbook book(Engine());
    ASSERT_TRUE(book.OpenExisting(File("list.xls"))) << book.LastError();
    struct Expected {
        int row, column;
        CellValue value;
    } cells[] = {
        {1, 2, CellValue::OfText(u"预录入")},
        {2, 2, CellValue::OfText(u"(2024-05-06 07:08:09)")},
        {4, 1, CellValue::OfText(u"序号")},
        {5, 1, CellValue::OfText(u"1")},
        {5, 2, CellValue::OfNumber(7)},
        {5, 3, CellValue::OfText(u"007")},
        {5, 4, CellValue::OfText(u"深圳市福田区")},
        {6, 2, CellValue::OfNumber(-12.5)},
        {6, 3, CellValue::OfText(u"+86-755-12345678")},
        {6, 4, CellValue::OfText(u"=1+1")},
    };
    for (const Expected& e : cells)
        EXPECT_EQ(book.ReadValue(e.row, e.column), e.value) << ExcelWorkbook::CellReference(e.row, e.column)
                                                            << " reads " << Utf16ToUtf8(book.ReadText(e.row, e.column));
    book.Close();

    auto document = Engine().Open(File("list.xls"), true);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->ColumnWidth(2), 9);   // ⌈65 ÷ 8⌉
    EXPECT_EQ(document->ColumnWidth(4), 25);  // 200 ÷ 8
    document->Close();
}

}  // namespace
}  // namespace tallux::test
