#include <gtest/gtest.h>

#include <optional>

#include "net/ChunkedDecoder.h"

namespace tallux {
namespace {

TEST(ChunkSize, ReadsHexForwardsAndIgnoresExtensions) {
    struct Case {
        const char* line;
        std::optional<std::size_t> size;
    } cases[] = {
        {"5\r\n", 5},
        {"5;x=1\r\n", 5},
        {"1a\r\n", 26},
        {"1A;name=\"a;b\"\r\n", 26},
        {"10 ; ext\r\n", 16},
        {"0\r\n", 0},
        {"000\r\n", 0},
        {"abcdef12\r\n", 0xabcdef12u},  // more than six digits still counts
        {"5\n", 5},
        {"\r\n", std::nullopt},
        {";x=1\r\n", std::nullopt},
        {"g\r\n", std::nullopt},
        {"5x\r\n", std::nullopt},
        {"5 5\r\n", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseChunkSize(c.line, SIZE_MAX / 2), c.size) << c.line;
}

TEST(ChunkSize, RefusesSizesBeyondTheLimit) {
    EXPECT_EQ(ParseChunkSize("1000\r\n", 4096), 4096u);
    EXPECT_EQ(ParseChunkSize("1001\r\n", 4096), std::nullopt);
    EXPECT_EQ(ParseChunkSize("ffff\r\n", 0xffff), 0xffffu);
    EXPECT_EQ(ParseChunkSize("5\r\n", 4), std::nullopt);
    EXPECT_EQ(ParseChunkSize("0\r\n", 0), 0u);
    EXPECT_EQ(ParseChunkSize("10000\r\n", 0xffff), std::nullopt);
    // Sizes that would wrap around are refused, not taken modulo 2^64.
    EXPECT_EQ(ParseChunkSize("40000000000000000\r\n", SIZE_MAX / 2), std::nullopt);
    EXPECT_EQ(ParseChunkSize("ffffffffffffffffffffffff\r\n", SIZE_MAX / 2), std::nullopt);
}

}  // namespace
}  // namespace tallux
