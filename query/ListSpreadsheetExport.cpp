#include "query/ListSpreadsheetExport.h"

#include <algorithm>
#include <system_error>

namespace tallux {
namespace {

constexpr int kTitleRow = 1;
constexpr int kSubtitleRow = 2;
constexpr int kHeadingRow = 4;
constexpr int kFirstDataRow = 5;
constexpr int kTitleFirstColumn = 2;  // B
constexpr int kTitleLastColumn = 9;   // I

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::u16string SpreadsheetCellInput(std::u16string_view cell, bool rightAligned) {
    std::size_t length = std::min(cell.size(), kSpreadsheetCellLimit);
    if (length < cell.size() && length > 0 && IsHighSurrogate(cell[length - 1])) --length;
    std::u16string text(cell.substr(0, length));
    if (!rightAligned && !text.empty() && ((text[0] >= u'0' && text[0] <= u'9') || text[0] == u'=' || text[0] == u'\''))
        text.insert(text.begin(), u'\'');
    return text;
}

std::string ExportListSpreadsheet(SpreadsheetEngine& engine, ExcelWorkbook::Prompts* prompts,
                                  const std::filesystem::path& file, const ListExportTable& table,
                                  const std::function<void()>& writing) {
    const int columnCount = static_cast<int>(table.columns.size());
    // The .xls format would drop what does not fit without a word.
    if (table.rowCount > kSpreadsheetMaxRows - kFirstDataRow + 1 || columnCount > kSpreadsheetMaxColumns)
        return kTooLargeMessage;

    ExcelWorkbook book(engine, prompts);
    if (!book.OpenNewFromTemplateFile(u"LIST", file, std::nullopt, false)) return book.LastError();
    if (writing) writing();

    bool ok = book.WriteText(kTitleRow, kTitleFirstColumn, table.title) &&
              book.Merge(kTitleRow, kTitleFirstColumn, kTitleRow, kTitleLastColumn) &&
              book.WriteText(kSubtitleRow, kTitleFirstColumn, u"(" + table.subtitle + u")") &&
              book.Merge(kSubtitleRow, kTitleFirstColumn, kSubtitleRow, kTitleLastColumn);
    for (int column = 0; ok && column < columnCount; ++column) {
        const ListExportColumn& heading = table.columns[column];
        ok = book.SetColumnWidth(column + 1, heading.width) && book.WriteText(kHeadingRow, column + 1, heading.heading);
    }
    for (int row = 0; ok && row < table.rowCount; ++row) {
        for (int column = 0; ok && column < columnCount; ++column) {
            std::u16string_view cell = table.cell(row, column);
            if (cell.empty()) continue;  // a new sheet's cells are empty already
            ok = book.WriteValue(row + kFirstDataRow, column + 1,
                                 SpreadsheetCellInput(cell, table.columns[column].rightAligned));
        }
    }
    if (ok && book.SaveAndClose()) return {};

    // Half a list is not kept: the file was made for this export.
    book.Close();
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    return ExcelWorkbook::kWriteFailedMessage;
}

}  // namespace tallux
