#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tallux {

// How a list column compares: right-aligned columns hold numbers.
enum class SortKind { Text, Number };

// The leading decimal number of a cell ("12.5kg" -> 12.5, " -3" -> -3);
// a cell that does not start with a number reads as 0. Locale-independent.
double LeadingNumber(std::u16string_view text);

// The cell text folded for a case-insensitive comparison.
std::u16string FoldCase(std::u16string_view text);

// Ascending comparison of two cells: negative, 0 or positive. A strict weak
// ordering: equal numbers and texts equal but for case compare equal.
int CompareCells(std::u16string_view a, std::u16string_view b, SortKind kind);

// The order of the rows after sorting by one column's texts: element i is
// the index of the row that goes to position i. Stable in both directions:
// rows with equal keys keep their relative order, so descending is not
// simply the ascending order reversed.
std::vector<int> SortedRowOrder(const std::vector<std::u16string_view>& columnTexts, SortKind kind, bool ascending);

}  // namespace tallux
