#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "text/FixedPoint.h"

namespace tallux {
namespace {

TEST(FixedPoint, RoundsTheWayStoredAmountsExpect) {
    struct Case {
        double value;
        std::int32_t scale;
        std::int32_t expected;
    } cases[] = {
        {19.99, 100, 1999},
        {19.999, 100, 1999},
        {12.345, 100, 1234},
        {0.004, 100, 0},
        {0.005, 100, 0},
        {1.005, 100, 100},
        {-1.5, 100, -150},
        {0.0, 100, 0},
        {1.234, 1000, 1234},
        {21474836.47, 100, 2147483647},
        {-21474836.48, 100, -2147483648},
    };
    for (const Case& c : cases) {
        auto fixed = ToFixed(c.value, c.scale);
        ASSERT_TRUE(fixed.has_value()) << c.value;
        EXPECT_EQ(*fixed, c.expected) << c.value << " x " << c.scale;
    }
}

TEST(FixedPoint, RefusesWhatAnInt32CannotHold) {
    for (double value : {21474836.48, -21474836.5, 1e300, -1e300, std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_FALSE(ToFixed(value, 100).has_value()) << value;
    EXPECT_FALSE(ToFixed(2147484.0, 1000).has_value());
}

TEST(FixedPoint, FromFixedDividesByTheScale) {
    EXPECT_EQ(FromFixed(1999, 100), 19.99);
    EXPECT_EQ(FromFixed(-150, 100), -1.5);
    EXPECT_EQ(FromFixed(1234, 1000), 1.234);
    EXPECT_EQ(FromFixed(5, 0), 0.0);
}

}  // namespace
}  // namespace tallux
