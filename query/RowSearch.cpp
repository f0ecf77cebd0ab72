#include "query/RowSearch.h"

namespace tallux {

bool CellMatches(std::u16string_view cell, std::u16string_view text, int mode) {
    switch (mode) {
    case kSearchContains: return cell.find(text) != std::u16string_view::npos;
    case kSearchBeginsWith: return cell.starts_with(text);
    case kSearchEndsWith: return cell.ends_with(text);
    default: return cell == text;
    }
}

int FindMatchingRow(int rowCount, int columnCount, int column, int startRow, std::u16string_view text, int mode,
                    const std::function<std::u16string_view(int row)>& cellOfRow) {
    if (column < 0 || column >= columnCount || startRow < 0 || startRow >= rowCount) return -1;
    for (int row = startRow; row < rowCount; ++row)
        if (CellMatches(cellOfRow(row), text, mode)) return row;
    return -1;
}

}  // namespace tallux
