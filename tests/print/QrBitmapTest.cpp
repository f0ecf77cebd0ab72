#include <gtest/gtest.h>

#include <string>

#include "print/QrBitmap.h"

namespace tallux {
namespace {

TEST(QrBitmap, TwentyDigitsAtLevelMFitVersionOne) {
    auto symbol = QrSymbol::Encode("12345678901234567890");
    ASSERT_TRUE(symbol);
    EXPECT_EQ(symbol->Version(), 1);
    EXPECT_EQ(symbol->Size(), 21);
    auto picture = DrawQr(*symbol, 16);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 464);
    EXPECT_EQ(picture->Height(), 464);
}

TEST(QrBitmap, GbkPairsStayEightBit) {
    // Eight pairs of 収 (85 A7) would fit version 1-M as Kanji (8 characters)
    // but need version 2 as 16 bytes: a scanner must get the bytes back, not
    // Shift JIS characters.
    std::string pairs;
    for (int i = 0; i < 8; ++i) pairs += "\x85\xA7";
    auto symbol = QrSymbol::Encode(pairs);
    ASSERT_TRUE(symbol);
    EXPECT_EQ(symbol->Version(), 2);
    // 14 bytes are what version 1-M holds in 8-bit mode.
    EXPECT_EQ(QrSymbol::Encode(pairs.substr(0, 14))->Version(), 1);
}

TEST(QrBitmap, ModuleSizeShrinksForLargeSymbols) {
    struct Case {
        int size, requested, used;
    } cases[] = {
        {21, 16, 16},                  // 8 × ⌊65474 ÷ 44²⌋ = 264
        {21, 500, 264}, {57, 16, 16},  // 8 × ⌊65474 ÷ 80²⌋ = 80
        {97, 16, 16},                  // 8 × ⌊65474 ÷ 120²⌋ = 32
        {137, 16, 16},                 // 8 × 2
        {177, 16, 8},                  // 8 × 1
    };
    for (const Case& c : cases) EXPECT_EQ(QrModulePixels(c.size, c.requested), c.used) << c.size;

    auto largest = QrSymbol::Encode(std::string(2300, 'x'));  // 8-bit, version 40 at level M
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->Size(), 177);
    auto picture = DrawQr(*largest, 16);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), (177 + 8) * 8);
}

TEST(QrBitmap, UprightSymbolInsideItsQuietZone) {
    auto symbol = QrSymbol::Encode("SV123456789CN");
    ASSERT_TRUE(symbol);
    const int n = symbol->Size(), m = 4;
    // Finder patterns at the top left, top right and bottom left only.
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(symbol->Dark(i, 0));
        EXPECT_TRUE(symbol->Dark(n - 1 - i, 0));
        EXPECT_TRUE(symbol->Dark(0, n - 1 - i));
    }
    EXPECT_FALSE(symbol->Dark(7, 7));
    EXPECT_FALSE(symbol->Dark(n - 8, 7));
    EXPECT_FALSE(symbol->Dark(7, n - 8));

    auto picture = DrawQr(*symbol, m);
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->Width(), (n + 8) * m);
    for (int y = 0; y < picture->Height(); ++y)
        for (int x = 0; x < picture->Width(); ++x) {
            int mx = x / m - 4, my = y / m - 4;
            ASSERT_EQ(picture->Black(x, y), symbol->Dark(mx, my)) << x << "," << y;
        }
}

TEST(QrBitmap, Failures) {
    EXPECT_FALSE(QrSymbol::Encode(""));
    EXPECT_FALSE(QrSymbol::Encode(std::string(2332, 'x')));  // one byte over version 40-M
    auto symbol = QrSymbol::Encode("x");
    ASSERT_TRUE(symbol);
    EXPECT_FALSE(DrawQr(*symbol, 0));
}

}  // namespace
}  // namespace tallux
