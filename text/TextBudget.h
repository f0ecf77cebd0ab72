#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tallux {

// Shortens a display text to a byte budget as GBK would count it (1 for
// characters 1..127, 2 for any other UTF-16 unit): from the first character
// that goes over the budget, the text becomes its first (that position - 5)
// characters followed by "...". Never leaves half a surrogate pair.
void LimitTextBytes(std::u16string& text, std::size_t budget);

// Removes leading and trailing blanks (0x20 only) from GBK text.
std::string TrimBlanks(std::string_view text);

// For a value put between quotes in an SQL condition: white space trimmed
// at both ends and every "'" doubled.
std::string QuoteSqlText(std::string_view text);

}  // namespace tallux
