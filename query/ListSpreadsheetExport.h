#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "print/ExcelWorkbook.h"

namespace tallux {

// One list column as the spreadsheet export writes it.
struct ListExportColumn {
    std::u16string heading;
    int width = 0;              // pixels
    bool rightAligned = false;  // a numeric column: its cells go in as typed
};

// The list as the spreadsheet export sees it; cell(row, column) counts from
// 0 and must stay valid until the next call.
struct ListExportTable {
    std::u16string title;
    std::u16string subtitle;
    std::vector<ListExportColumn> columns;
    int rowCount = 0;
    std::function<std::u16string_view(int row, int column)> cell;
};

// Longest cell text written, in UTF-16 units.
inline constexpr std::size_t kSpreadsheetCellLimit = 254;
// Sheet rows and columns an .xls file holds; the list's rows start on row 5.
inline constexpr int kSpreadsheetMaxRows = 65536;
inline constexpr int kSpreadsheetMaxColumns = 256;
inline constexpr const char* kTooLargeMessage = "记录太多，Excel表格容纳不下，请选择文本文件(*.txt)格式。";

// What a list cell is written as (typed input): cut at kSpreadsheetCellLimit
// units, never inside a surrogate pair. In a column that is not
// right-aligned a text beginning with a digit, "=" or an apostrophe gets an
// apostrophe in front, so it stays the text shown ("007" stays "007");
// right-aligned columns go in as they are ("007" becomes 7).
std::u16string SpreadsheetCellInput(std::u16string_view cell, bool rightAligned);

// Writes the table as a new workbook at file whose one sheet is named
// "LIST": the title in B1 and "(subtitle)" in B2, each merged across to
// column I; the headings in row 4 (as text) under the columns' widths; list
// row r in sheet row r + 5, column c in sheet column c + 1. Empty cells are
// left untouched. An existing file is replaced only when prompts agree.
// writing, when given, is called once the workbook is open, before the long
// part. Returns an empty text when the file was saved, else the message to
// show; then no new file is left behind.
std::string ExportListSpreadsheet(SpreadsheetEngine& engine, ExcelWorkbook::Prompts* prompts,
                                  const std::filesystem::path& file, const ListExportTable& table,
                                  const std::function<void()>& writing = {});

}  // namespace tallux
