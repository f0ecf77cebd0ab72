#include <gtest/gtest.h>

#include <string>

#include "print/BarcodeFont.h"
#include "print/Code128Bitmap.h"

namespace tallux {
namespace {

std::string Row(const MonochromeBitmap& picture, int y) {
    std::string row;
    for (int x = 0; x < picture.Width(); ++x) row += picture.Black(x, y) ? '#' : '.';
    return row;
}

std::string Column(const MonochromeBitmap& picture, int x) {
    std::string column;
    for (int y = 0; y < picture.Height(); ++y) column += picture.Black(x, y) ? '#' : '.';
    return column;
}

bool GlyphAt(const MonochromeBitmap& picture, int x, int y, const BarcodeGlyph& glyph, int columns) {
    for (int row = 0; row < 9; ++row)
        for (int column = 0; column < columns; ++column)
            if (picture.Black(x + column, y + row) != bool(glyph[row] & (0x80 >> column))) return false;
    return true;
}

TEST(Code128Bitmap, Geometry) {
    struct Case {
        const char* text;
        int barHeight;
        bool noText;
        int width, height;
    } cases[] = {
        {"ABCDEFGHIJKLM", 60, false, 11 * 13 + 51, 70},   // plain code set A
        {"ABCDEFGHIJKLMN", 60, false, 11 * 15 + 40, 70},  // start B and 14 characters
        {"AB1234567", 60, true, 11 * 8 + 40, 60},         // B3, →C, three pairs; no text band
        {"ABC", 5, false, 11 * 3 + 51, 30},               // code set A clamps the bars to 20–150
        {"ABC", 200, false, 11 * 3 + 51, 160},
        {"abc", 5, false, 11 * 4 + 40, 15},  // the automatic path keeps them
    };
    for (const Case& c : cases) {
        auto picture = MakeCode128Bitmap(c.text, c.barHeight, c.noText, "", 0);
        ASSERT_TRUE(picture) << c.text;
        EXPECT_EQ(picture->Width(), c.width) << c.text;
        EXPECT_EQ(picture->Height(), c.height) << c.text;
    }
}

TEST(Code128Bitmap, BarsAboveTheTextBand) {
    auto picture = MakeCode128Bitmap("AB1234567", 30, false, "B3C6", 0);
    ASSERT_TRUE(picture);
    // Quiet zone, then the start symbol's first bar over the full bar height.
    EXPECT_EQ(Column(*picture, 7), std::string(40, '.'));
    EXPECT_EQ(Column(*picture, 8), std::string(30, '#') + std::string(10, '.'));
    EXPECT_EQ(Row(*picture, 39), std::string(picture->Width(), '.'));
    // Symbol 1 carries "A" in the text font; symbol 5 (after →C) "23" in the digit font.
    EXPECT_TRUE(GlyphAt(*picture, 8 + 11, 30, TextGlyph('A'), 11));
    EXPECT_TRUE(GlyphAt(*picture, 8 + 55, 30, DigitGlyph('2'), 5));
    EXPECT_TRUE(GlyphAt(*picture, 8 + 55 + 5, 30, DigitGlyph('3'), 6));
    // The start and code-change symbols show nothing.
    for (int y = 30; y < 40; ++y) {
        EXPECT_EQ(Row(*picture, y).substr(8, 11), std::string(11, '.'));
        EXPECT_EQ(Row(*picture, y).substr(8 + 44, 11), std::string(11, '.'));
    }
}

TEST(Code128Bitmap, Directions) {
    const int bars = 30, band = 10;
    auto drawn = MakeCode128Bitmap("ABC", bars, false, "", 0);
    ASSERT_TRUE(drawn);
    int w = drawn->Width(), h = drawn->Height();
    std::string startBar = std::string(bars, '#') + std::string(band, '.');
    std::string startBarReversed = std::string(band, '.') + std::string(bars, '#');

    auto clockwise = MakeCode128Bitmap("ABC", bars, false, "", 1);
    ASSERT_TRUE(clockwise);
    EXPECT_EQ(clockwise->Width(), h);
    EXPECT_EQ(clockwise->Height(), w);
    EXPECT_EQ(Row(*clockwise, 8), startBarReversed);  // text band to the left, quiet zone above

    auto flipped = MakeCode128Bitmap("ABC", bars, false, "", 2);
    ASSERT_TRUE(flipped);
    EXPECT_EQ(flipped->Width(), w);
    EXPECT_EQ(Column(*flipped, 8), startBarReversed);  // text band on top

    auto both = MakeCode128Bitmap("ABC", bars, false, "", 3);
    ASSERT_TRUE(both);
    EXPECT_EQ(both->Width(), h);
    EXPECT_EQ(Row(*both, w - 1 - 8), startBarReversed);  // quiet zone now below
    EXPECT_EQ(Row(*both, w - 1 - 7), std::string(h, '.'));

    auto unknown = MakeCode128Bitmap("ABC", bars, false, "", 7);
    ASSERT_TRUE(unknown);
    EXPECT_EQ(Column(*unknown, 8), startBar);
}

TEST(Code128Bitmap, RefusesPicturesOverTheSizeLimit) {
    // 205 pixels wide: 28 bytes a row, so 1168 rows (32704 bytes) are the most.
    EXPECT_TRUE(MakeCode128Bitmap("ABCDEFGHIJKLMN", 1158, false, "", 0));
    EXPECT_FALSE(MakeCode128Bitmap("ABCDEFGHIJKLMN", 1159, false, "", 0));
    EXPECT_FALSE(MakeCode128Bitmap("ABCDEFGHIJKLMN", 0, false, "", 0));
    EXPECT_FALSE(MakeCode128Bitmap("ABCDEFGHIJKLMN", -5, true, "", 0));
}

}  // namespace
}  // namespace tallux
