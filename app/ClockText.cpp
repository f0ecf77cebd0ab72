#include "app/ClockText.h"

#include <cstdio>

namespace tallux {

std::string ClockText(const std::tm& local) {
    static const char* const kWeekdays[] = {"Sun.", "Mon.", "Tue.", "Wed.", "Thur.", "Fri.", "Sat."};
    const int weekday = (local.tm_wday >= 0 && local.tm_wday <= 6) ? local.tm_wday : 0;
    char text[64];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d %02d:%02d:%02d %s", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, kWeekdays[weekday]);
    return text;
}

std::string ClockTextNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ClockText(local);
}

}  // namespace tallux
