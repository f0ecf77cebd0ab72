#include "text/Md5.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace tallux {
namespace {

constexpr std::uint32_t kShifts[64] = {
    7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
    14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
    4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21,
};

// K[i] = floor(|sin(i + 1)| x 2^32).
const std::array<std::uint32_t, 64>& Constants() {
    static const std::array<std::uint32_t, 64> k = [] {
        std::array<std::uint32_t, 64> table{};
        for (int i = 0; i < 64; ++i)
            table[static_cast<std::size_t>(i)] =
                static_cast<std::uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
        return table;
    }();
    return k;
}

std::uint32_t RotateLeft(std::uint32_t x, std::uint32_t n) { return (x << n) | (x >> (32 - n)); }

void Compress(std::uint32_t state[4], const unsigned char block[64]) {
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = static_cast<std::uint32_t>(block[i * 4]) | static_cast<std::uint32_t>(block[i * 4 + 1]) << 8 |
               static_cast<std::uint32_t>(block[i * 4 + 2]) << 16 | static_cast<std::uint32_t>(block[i * 4 + 3]) << 24;
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    const auto& k = Constants();
    for (std::uint32_t i = 0; i < 64; ++i) {
        std::uint32_t f, g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        std::uint32_t next = d;
        d = c;
        c = b;
        b = b + RotateLeft(a + f + k[i] + m[g], kShifts[i]);
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

std::string Md5Hex(std::string_view bytes) {
    std::uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    std::size_t full = bytes.size() / 64 * 64;
    for (std::size_t at = 0; at < full; at += 64)
        Compress(state, reinterpret_cast<const unsigned char*>(bytes.data()) + at);

    // Padding: 0x80, zeros, then the bit length, little-endian.
    unsigned char tail[128] = {};
    std::size_t rest = bytes.size() - full;
    if (rest > 0) std::memcpy(tail, bytes.data() + full, rest);
    tail[rest] = 0x80;
    std::size_t tailSize = rest < 56 ? 64 : 128;
    std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8;
    for (int i = 0; i < 8; ++i)
        tail[tailSize - 8 + static_cast<std::size_t>(i)] = static_cast<unsigned char>(bits >> (8 * i));
    Compress(state, tail);
    if (tailSize == 128) Compress(state, tail + 64);

    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint32_t word : state)
        for (int i = 0; i < 4; ++i) {
            auto byte = static_cast<unsigned char>(word >> (8 * i));
            hex += digits[byte >> 4];
            hex += digits[byte & 15];
        }
    return hex;
}

}  // namespace tallux
