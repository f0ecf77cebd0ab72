#include "server/TransactionCodes.h"

#include <charconv>
#include <cmath>

namespace tallux::server {

std::string TransactionAnswerText(std::int64_t code, std::string_view payload) {
    std::string text = std::to_string(code);
    text += '\n';
    text += payload;
    return text;
}

std::string FixedDecimal(double value, int digits) {
    if (!std::isfinite(value)) value = 0.0;
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, digits);
    if (ec != std::errc()) return "0";
    return std::string(buffer, end);
}

}  // namespace tallux::server
