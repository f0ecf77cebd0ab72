#include "text/FixedPoint.h"

#include <cmath>

namespace tallux {

std::optional<std::int32_t> ToFixed(double value, std::int32_t scale) {
    if (!std::isfinite(value)) return std::nullopt;
    const double scaled = value * scale;
    const double truncated = std::trunc(scaled >= 0.01 ? scaled + 0.1 : scaled - 0.1);
    if (!(truncated >= -2147483648.0 && truncated <= 2147483647.0)) return std::nullopt;
    return static_cast<std::int32_t>(truncated);
}

double FromFixed(std::int32_t value, std::int32_t scale) {
    return scale == 0 ? 0.0 : static_cast<double>(value) / scale;
}

}  // namespace tallux
