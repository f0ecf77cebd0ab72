#pragma once

#include <string>
#include <string_view>

namespace tallux {

// Date texts typed into the query pages, brought into the form the server
// conditions use. Input and output are GBK bytes.

// The text every caller tests for: the input could not be read as a date.
inline constexpr std::string_view kDateErrorMarker = "1900.01.01";

bool IsLeapYear(int year);

// day limited to the length of month (1..12) in year; other days unchanged.
int ClampDayToMonth(int year, int month, int day);

// "yyyymmdd" or three numbers in any separators (year, month, day; a year
// below 1000 counts from 2000) as "yyyy.mm.dd", or kDateErrorMarker.
std::string NormaliseDate(std::string_view text);

// Year, month, day, hour, minute, second as "yyyy.mm.dd hh:mm:ss"; the first
// part out of range and all later ones keep their defaults (1900.01.01
// 00:00:00). A text of fewer than 8 or more than 31 bytes gives
// kDateErrorMarker alone.
std::string NormaliseDateTime(std::string_view text);

}  // namespace tallux
