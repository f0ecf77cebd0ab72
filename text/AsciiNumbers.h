#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace tallux {

// Digit reading and writing that ignores the process locale. Digits are
// ASCII 0..9 only; in GBK they never occur as the second byte of a
// double-byte character, so scanning byte by byte for them is safe.

inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the run of digits at text[pos] and leaves pos after it. A run too
// long for int64 saturates at the int64 maximum instead of overflowing; no
// digit at pos gives 0.
inline std::int64_t ReadDigitRun(std::string_view text, std::size_t& pos) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; pos < text.size() && IsAsciiDigit(text[pos]); ++pos) {
        int digit = text[pos] - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

// Moves pos to the next digit, or to the end when none follows.
inline void SkipToDigit(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && !IsAsciiDigit(text[pos])) ++pos;
}

// Appends value like printf "%0*lld": at least width characters, zeros
// after the sign.
inline void AppendZeroPadded(std::string& out, std::int64_t value, int width = 0) {
    char digits[24];
    std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, value);
    std::string_view text(digits, static_cast<std::size_t>(r.ptr - digits));
    if (!text.empty() && text.front() == '-') {
        out += '-';
        text.remove_prefix(1);
        --width;
    }
    if (width > static_cast<int>(text.size())) out.append(static_cast<std::size_t>(width) - text.size(), '0');
    out += text;
}

}  // namespace tallux
