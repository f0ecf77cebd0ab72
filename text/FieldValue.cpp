#include "text/FieldValue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "text/AsciiNumbers.h"
#include "text/DateNormaliser.h"
#include "text/GbkBytes.h"

namespace tallux {
namespace {

constexpr std::string_view kAfternoon = "\xCF\xC2\xCE\xE7";  // 下午

// 10^18 is the largest power of ten in int64, and the scaled value carries
// one digit more than the decimals.
constexpr int kMaxDecimals = 17;

std::int64_t PowerOfTen(int exponent) {
    std::int64_t p = 1;
    while (exponent-- > 0) p *= 10;
    return p;
}

bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void CopyToTarget(const FieldDefinition& d) {
    if (d.target == nullptr || d.targetSize == 0) return;
    std::string_view fit = CutAtCharBoundary(d.value, d.targetSize - 1);
    std::memcpy(d.target, fit.data(), fit.size());
    std::memset(d.target + fit.size(), 0, d.targetSize - fit.size());
}

// ---- text ----

int ConvertText(FieldDefinition& d, std::string_view cell) {
    if (cell.empty()) return kFieldEmpty;
    const bool asciiOnly = d.subtype == kTextAscii || d.subtype == kTextAsciiUpperCase;
    if (asciiOnly &&
        std::any_of(cell.begin(), cell.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return kFieldRejected;

    const std::size_t n = cell.size();
    const std::size_t maximum = static_cast<std::size_t>(std::max<std::int32_t>(d.maximum, 0));
    if (d.minimum > 0 && n < static_cast<std::size_t>(d.minimum)) {
        d.value = CutAtCharBoundary(cell, kFieldValueMaxBytes);
        return kFieldTooShort;
    }
    if (n > maximum || n > kFieldValueMaxBytes) {
        d.value = CutAtCharBoundary(cell, std::min(maximum, kFieldValueMaxBytes));
        return kFieldCut;
    }
    d.value = cell;
    if (d.subtype == kTextAsciiUpperCase) {
        for (char& c : d.value)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
    }
    return kFieldValid;
}

// ---- integer ----

int ConvertInteger(FieldDefinition& d, std::string_view cell) {
    // Leading number as atoi reads it, but saturating instead of overflowing.
    std::size_t pos = 0;
    while (pos < cell.size() && IsAsciiSpace(cell[pos])) ++pos;
    bool negative = false;
    if (pos < cell.size() && (cell[pos] == '+' || cell[pos] == '-')) negative = cell[pos++] == '-';
    std::int64_t v = ReadDigitRun(cell, pos);
    if (negative) v = -v;

    if (d.minimum == 1 && v < 1) {
        d.value = "0";
        return kFieldBounded;
    }
    if (d.minimum >= 0 && v < d.minimum) {
        AppendZeroPadded(d.value, d.minimum);
        return kFieldBounded;
    }
    if (d.maximum > 0 && v > d.maximum) {
        AppendZeroPadded(d.value, d.maximum);
        return kFieldBounded;
    }
    // Without a bound of its own the field still holds an int32.
    constexpr std::int64_t kLow = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kHigh = std::numeric_limits<std::int32_t>::max();
    AppendZeroPadded(d.value, std::clamp(v, kLow, kHigh));
    return v < kLow || v > kHigh ? kFieldBounded : kFieldValid;
}

// ---- decimal number ----

// The number at the first '.', '+', '-' or digit, as atof would read it but
// independent of the locale; no such character gives 0. False for a number
// a double cannot hold.
bool ReadLeadingDecimal(std::string_view cell, double& x) {
    x = 0;
    std::size_t pos = cell.find_first_of(".+-0123456789");
    if (pos == std::string_view::npos) return true;
    bool negative = false;
    if (cell[pos] == '+' || cell[pos] == '-') negative = cell[pos++] == '-';
    if (pos < cell.size() && (cell[pos] == '+' || cell[pos] == '-')) return true;  // two signs: no number
    std::from_chars_result r = std::from_chars(cell.data() + pos, cell.data() + cell.size(), x);
    if (r.ec == std::errc::result_out_of_range) return false;
    if (r.ec != std::errc()) x = 0;
    if (negative) x = -x;
    return true;
}

void AppendFixedSix(std::string& out, std::int32_t bound) {
    AppendZeroPadded(out, bound);
    out += ".000000";
}

int ConvertDecimal(FieldDefinition& d, std::string_view cell) {
    const int decimals = std::clamp(d.subtype, 0, kMaxDecimals);
    double x = 0;
    if (!ReadLeadingDecimal(cell, x)) return kFieldRejected;

    // NaN, infinity and values whose scaled form leaves int64 have no
    // defined conversion; such a cell is refused rather than guessed at.
    const double scaled = x * static_cast<double>(PowerOfTen(decimals + 1));
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 0x1p63) return kFieldRejected;

    // One extra digit, then half away from zero, so negative amounts round
    // like positive ones.
    const std::int64_t truncated = static_cast<std::int64_t>(scaled);
    const std::int64_t units = truncated >= 0 ? (truncated + 5) / 10 : (truncated - 5) / 10;
    const std::int64_t unit = PowerOfTen(decimals);
    const std::int64_t whole = units / unit;
    const std::int64_t fraction = units % unit;  // same sign as units

    if (d.minimum == 1 && units <= 0) {
        d.value = "0.0";
        return kFieldBounded;
    }
    if (d.minimum >= 0 && (whole < d.minimum || (whole == d.minimum && fraction < 0))) {
        AppendFixedSix(d.value, d.minimum);
        return kFieldBounded;
    }
    if (d.maximum >= 1 && (whole > d.maximum || (whole == d.maximum && fraction > 0))) {
        AppendFixedSix(d.value, d.maximum);
        return kFieldBounded;
    }
    // Written from the integer units: exactly what "%.*f" gives for the
    // rounded value, without binary fractions or the locale's decimal point.
    if (units < 0) d.value += '-';
    AppendZeroPadded(d.value, whole < 0 ? -whole : whole);
    if (decimals > 0) {
        d.value += '.';
        AppendZeroPadded(d.value, fraction < 0 ? -fraction : fraction, decimals);
    }
    return kFieldValid;
}

// ---- date ----

int TwoDigits(std::string_view text, std::size_t pos) { return (text[pos] - '0') * 10 + (text[pos + 1] - '0'); }

void AppendClock(std::string& out, std::int64_t hour, std::int64_t minute, std::int64_t second, bool withSeconds) {
    out += ' ';
    AppendZeroPadded(out, hour, 2);
    out += ':';
    AppendZeroPadded(out, minute, 2);
    if (withSeconds) {
        out += ':';
        AppendZeroPadded(out, second, 2);
    }
}

// Blanks the first "st", "nd", "rd" or "th" that directly follows a digit.
void BlankOrdinalSuffix(std::string& text) {
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (!IsAsciiDigit(text[i - 1])) continue;
        std::string_view two(text.data() + i, 2);
        if (two == "st" || two == "nd" || two == "rd" || two == "th") {
            text[i] = text[i + 1] = ' ';
            return;
        }
    }
}

// A single-byte 'p' or 'P' at or after pos (a character boundary).
bool HasPAfter(std::string_view text, std::size_t pos) {
    while (pos < text.size()) {
        std::size_t length = GbkCharLength(text, pos);
        if (length == 1 && (text[pos] == 'p' || text[pos] == 'P')) return true;
        pos += length;
    }
    return false;
}

// The time of day that may follow the date; pos is just after the day.
void AppendTimeOfDay(std::string& value, std::string_view text, std::size_t pos) {
    SkipToDigit(text, pos);
    if (pos == text.size()) return;

    const std::string_view rest = text.substr(pos);
    if ((rest.size() == 4 || rest.size() == 6) && std::all_of(rest.begin(), rest.end(), IsAsciiDigit)) {
        const int hour = TwoDigits(rest, 0), minute = TwoDigits(rest, 2);
        const int second = rest.size() == 6 ? TwoDigits(rest, 4) : 0;
        // The compact forms get the same range checks as the separated one.
        if (hour >= 24 || minute >= 60 || second >= 60) return;
        AppendClock(value, hour, minute, second, rest.size() == 6);
        return;
    }

    std::int64_t hour = ReadDigitRun(text, pos);
    std::size_t afterTime = pos;
    // The minutes are the next number, never the second digit of the hour.
    SkipToDigit(text, pos);
    const bool haveMinute = pos < text.size();
    const std::int64_t minute = ReadDigitRun(text, pos);
    if (hour >= 24 || minute >= 60) return;
    if (haveMinute) afterTime = pos;

    const bool afternoon = FindAtCharBoundary(text, "PM", true) != std::string_view::npos ||
                           FindAtCharBoundary(text, kAfternoon, false) != std::string_view::npos ||
                           HasPAfter(text, afterTime);
    if (afternoon && hour < 12) hour += 12;

    std::int64_t second = 0;
    if (haveMinute) {
        SkipToDigit(text, pos);
        second = ReadDigitRun(text, pos);
    }
    AppendClock(value, hour, minute, second, second >= 1 && second <= 59);
}

void AppendNow(std::string& out, const std::tm& now) {
    AppendZeroPadded(out, static_cast<std::int64_t>(now.tm_year) + 1900);
    out += '.';
    AppendZeroPadded(out, static_cast<std::int64_t>(now.tm_mon) + 1, 2);
    out += '.';
    AppendZeroPadded(out, now.tm_mday, 2);
    AppendClock(out, now.tm_hour, now.tm_min, now.tm_sec, true);
}

int ConvertDate(FieldDefinition& d, std::string_view cell, const std::tm& now) {
    std::string text(cell.substr(0, 60));
    BlankOrdinalSuffix(text);

    std::size_t pos = 0;
    std::int64_t parts[3];
    for (std::int64_t& part : parts) {
        SkipToDigit(text, pos);
        part = ReadDigitRun(text, pos);
    }
    std::int64_t year = parts[0] < 100 ? parts[0] + 2000 : parts[0];
    const std::int64_t month = parts[1], day = parts[2];

    if (year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31) {
        // 30 February is not a date the record may carry.
        const int clamped = ClampDayToMonth(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
        AppendZeroPadded(d.value, year);
        d.value += '-';
        AppendZeroPadded(d.value, month, 2);
        d.value += '-';
        AppendZeroPadded(d.value, clamped, 2);
        AppendTimeOfDay(d.value, text, pos);
    } else {
        AppendNow(d.value, now);
    }
    return kFieldValid;
}

}  // namespace

int ConvertFieldValue(FieldDefinition& definition, std::string_view cell, const std::tm& now) {
    definition.value.clear();
    int code = kFieldRejected;
    switch (definition.type) {
    case FieldType::Text: code = ConvertText(definition, cell); break;
    case FieldType::Integer: code = ConvertInteger(definition, cell); break;
    case FieldType::Decimal: code = ConvertDecimal(definition, cell); break;
    case FieldType::Date: code = ConvertDate(definition, cell, now); break;
    }
    if (code == kFieldValid) CopyToTarget(definition);
    return code;
}

int ConvertFieldValue(FieldDefinition& definition, std::string_view cell) {
    std::tm now{};
    if (definition.type == FieldType::Date) {
        std::time_t t = std::time(nullptr);
        localtime_r(&t, &now);
    }
    return ConvertFieldValue(definition, cell, now);
}

}  // namespace tallux
