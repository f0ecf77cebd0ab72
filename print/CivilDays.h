#pragma once

#include <cstdint>

namespace tallux {

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar), and
// back. Spreadsheet dates count days from 1899-12-30, so the workbooks and
// the engines convert through these.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);
void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day);

}  // namespace tallux
