#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tallux {

// The file kinds the list export offers, in the order of the chooser's
// filters.
enum class ExportFormat { Spreadsheet = 0, Text = 1 };

ExportFormat ExportFormatForFilter(int filterIndex);

// The chosen path with the extension of the chosen filter: ".txt" for the
// text filter, ".xls" for any other, appended unless the path already ends
// in it (in any letter case).
std::u16string ExportPathWithExtension(std::u16string_view path, int filterIndex);

// Longest cell text written, in UTF-16 units.
inline constexpr std::size_t kExportCellLimit = 255;

// A cell as written: tabs, carriage returns and line feeds become spaces,
// and it is cut at kExportCellLimit units (never inside a surrogate pair).
std::u16string ExportCellText(std::u16string_view cell);

// The bytes of a text export: UTF-16 little-endian with a byte-order mark;
// title, subtitle and a blank line, the headings, then one line per row,
// every heading and cell followed by a tab.
class ListTextExport {
public:
    ListTextExport(std::u16string_view title, std::u16string_view subtitle,
                   const std::vector<std::u16string_view>& headings);

    void AddRow(const std::vector<std::u16string_view>& cells);
    const std::string& Bytes() const { return bytes_; }

private:
    void Append(std::u16string_view text);

    std::string bytes_;
};

}  // namespace tallux
