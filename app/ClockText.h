#pragma once

#include <ctime>
#include <string>

namespace tallux {

// The status-bar clock: "%Y.%m.%d %H:%M:%S " and the weekday "Sun." ..
// "Sat." ("Thur." on Thursdays). Independent of the C library locale.
std::string ClockText(const std::tm& local);

// ClockText of the current local time.
std::string ClockTextNow();

}  // namespace tallux
