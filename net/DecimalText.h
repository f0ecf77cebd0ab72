#pragma once

#include <cstdint>
#include <string_view>

namespace tallux {

// The decimal conversions server answers are read with, independent of the
// process locale: leading blanks are skipped, a sign is taken, reading stops
// at the first byte that does not belong to the number.

// Integer; no digits gives 0, values beyond int32 saturate.
std::int32_t ReadDecimalInt(std::string_view text);

// Real ("12.5", "-3", "1e3"); no number, NaN or infinities give 0.
double ReadDecimalReal(std::string_view text);

}  // namespace tallux
