#include "net/DecimalText.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "text/AsciiNumbers.h"

namespace tallux {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Skips blanks and a sign; true for a minus.
bool SkipBlanksAndSign(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    return negative;
}

}  // namespace

std::int32_t ReadDecimalInt(std::string_view text) {
    std::size_t pos = 0;
    bool negative = SkipBlanksAndSign(text, pos);
    std::int64_t magnitude = ReadDigitRun(text, pos);
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    if (negative)
        return magnitude > kMax + 1 ? std::numeric_limits<std::int32_t>::min() : static_cast<std::int32_t>(-magnitude);
    return magnitude > kMax ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(magnitude);
}

double ReadDecimalReal(std::string_view text) {
    std::size_t pos = 0;
    bool negative = SkipBlanksAndSign(text, pos);
    // The sign is taken above so that from_chars never sees "+" or "--1".
    if (pos >= text.size() || !(IsAsciiDigit(text[pos]) || text[pos] == '.')) return 0.0;
    double value = 0.0;
    std::from_chars_result r = std::from_chars(text.data() + pos, text.data() + text.size(), value);
    if (r.ec != std::errc() || !std::isfinite(value)) return 0.0;
    return negative ? -value : value;
}

}  // namespace tallux
