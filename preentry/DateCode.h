#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace tallux {

using DateSource = std::function<std::chrono::year_month_day()>;

// Today in the local time zone.
std::chrono::year_month_day LocalToday();

// Three characters for the date: two letters for the day of the year, then
// the last digit of the year. 14 February 2024 gives "CF4".
std::string DateCode(std::chrono::year_month_day date);

}  // namespace tallux
