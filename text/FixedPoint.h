#pragma once

#include <cstdint>
#include <optional>

namespace tallux {

// Amounts kept as int32 are the value times a scale: 100 for money and
// prices, 1000 for weights sent to the server.
inline constexpr std::int32_t kMoneyScale = 100;
inline constexpr std::int32_t kGramScale = 1000;

// The message to show when ToFixed refuses a value.
inline constexpr const char* kFixedOutOfRange = "数值超出范围";

// value x scale, nudged by 0.1 away from zero before truncation so that
// 19.99 stores as 1999 despite binary rounding (1998.99...). Refuses NaN,
// infinities and values whose scaled form does not fit an int32.
std::optional<std::int32_t> ToFixed(double value, std::int32_t scale);

// value / scale; 0 for a zero scale.
double FromFixed(std::int32_t value, std::int32_t scale);

}  // namespace tallux
