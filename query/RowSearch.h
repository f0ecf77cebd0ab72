#pragma once

#include <functional>
#include <string_view>

namespace tallux {

// How FindRow tests a cell against the searched text (case-sensitive).
enum RowSearchMode : int {
    kSearchContains = 0,
    kSearchBeginsWith = 1,
    kSearchEndsWith = 2,
    // any other mode: the cell equals the text
};

bool CellMatches(std::u16string_view cell, std::u16string_view text, int mode);

// The first row from startRow down whose cell matches; -1 when none, or
// when column or startRow is outside the list (negative ones included).
int FindMatchingRow(int rowCount, int columnCount, int column, int startRow, std::u16string_view text, int mode,
                    const std::function<std::u16string_view(int row)>& cellOfRow);

}  // namespace tallux
