#include "preentry/DateCode.h"

#include <ctime>

namespace tallux {

namespace {

// Day-of-year letters: d / 20 and d % 20 index this table.
constexpr char kLetters[] = "ABCDEFGHKMNPRSTUWXYZL";

}  // namespace

std::chrono::year_month_day LocalToday() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                       std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                       std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

std::string DateCode(std::chrono::year_month_day date) {
    using namespace std::chrono;
    const sys_days day{date};
    const sys_days first{date.year() / January / 1};
    const int d = static_cast<int>((day - first).count()) + 1;  // 1 to 366
    int y = static_cast<int>(date.year()) % 10;
    if (y < 0) y += 10;
    std::string code;
    code += kLetters[(d / 20) % 21];
    code += kLetters[d % 20];
    code += static_cast<char>('0' + y);
    return code;
}

}  // namespace tallux
