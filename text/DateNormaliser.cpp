#include "text/DateNormaliser.h"

#include <algorithm>
#include <cstdint>

#include "text/AsciiNumbers.h"

namespace tallux {
namespace {

struct DateParts {
    int year = 1900;
    int month = 1;
    int day = 1;
};

std::string FormatDate(const DateParts& d) {
    std::string out;
    AppendZeroPadded(out, d.year);
    out += '.';
    AppendZeroPadded(out, d.month, 2);
    out += '.';
    AppendZeroPadded(out, d.day, 2);
    return out;
}

int TwoDigits(std::string_view text, std::size_t pos) { return (text[pos] - '0') * 10 + (text[pos + 1] - '0'); }

// "yyyymmdd" with a plausible month and day; anything else is read by the
// general rule.
bool ReadCompactDate(std::string_view text, DateParts& d) {
    if (text.size() != 8 || !std::all_of(text.begin(), text.end(), IsAsciiDigit)) return false;
    int year = TwoDigits(text, 0) * 100 + TwoDigits(text, 2);
    int month = TwoDigits(text, 4);
    int day = TwoDigits(text, 6);
    if (day < 1 || day > 31 || month < 1 || month > 12 || year < 1900) return false;
    d = {year, month, day};
    return true;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int ClampDayToMonth(int year, int month, int day) {
    if (month == 2) return std::min(day, IsLeapYear(year) ? 29 : 28);
    if (month == 4 || month == 6 || month == 9 || month == 11) return std::min(day, 30);
    return day;
}

std::string NormaliseDate(std::string_view text) {
    // Three numbers with two separators need five bytes; "23/7/5" is a date.
    if (text.size() < 5) return std::string(kDateErrorMarker);

    DateParts d;
    if (!ReadCompactDate(text, d)) {
        std::size_t pos = 0;
        SkipToDigit(text, pos);
        std::int64_t year = ReadDigitRun(text, pos);
        if (year < 1000) year += 2000;
        if (year > 3000) return std::string(kDateErrorMarker);

        SkipToDigit(text, pos);
        std::int64_t month = ReadDigitRun(text, pos);
        if (month < 1 || month > 12) month = 1;

        SkipToDigit(text, pos);
        std::int64_t day = ReadDigitRun(text, pos);
        // A missing or impossible day must not reach a query condition as a
        // date the server accepts: it is an error like any other.
        if (day < 1 || day > 31) return std::string(kDateErrorMarker);

        d = {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
    }
    d.day = ClampDayToMonth(d.year, d.month, d.day);
    return FormatDate(d);
}

std::string NormaliseDateTime(std::string_view text) {
    if (text.size() < 8 || text.size() > 31) return std::string(kDateErrorMarker);

    struct Part {
        int value;
        int low;
        int high;
    } parts[] = {{1900, 2000, 9999}, {1, 1, 12}, {1, 1, 31}, {0, 0, 23}, {0, 0, 59}, {0, 0, 59}};

    std::size_t pos = 0;
    for (Part& part : parts) {
        SkipToDigit(text, pos);
        std::int64_t value = ReadDigitRun(text, pos);
        if (value < part.low || value > part.high) break;  // this and later parts keep their defaults
        part.value = static_cast<int>(value);
    }
    // A bad month or day leaves the default 1, which needs no clamping.
    parts[2].value = ClampDayToMonth(parts[0].value, parts[1].value, parts[2].value);

    std::string out = FormatDate({parts[0].value, parts[1].value, parts[2].value});
    for (int i = 3; i < 6; ++i) {
        out += i == 3 ? ' ' : ':';
        AppendZeroPadded(out, parts[i].value, 2);
    }
    return out;
}

}  // namespace tallux
