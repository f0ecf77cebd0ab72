#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "print/MonochromeBitmap.h"

namespace tallux {
namespace {

std::uint32_t Le(const std::string& bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// Rows as text, top first: '#' black.
std::vector<std::string> Rows(const MonochromeBitmap& picture) {
    std::vector<std::string> rows;
    for (int y = 0; y < picture.Height(); ++y) {
        std::string row;
        for (int x = 0; x < picture.Width(); ++x) row += picture.Black(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

MonochromeBitmap FromRows(const std::vector<std::string>& rows) {
    MonochromeBitmap picture(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            if (rows[y][x] == '#') picture.SetBlack(x, y);
    return picture;
}

TEST(MonochromeBitmap, FileHeadersAndPaddedRowsBottomFirst) {
    // 33 pixels wide: two 32-bit words per row.
    MonochromeBitmap picture(33, 2);
    picture.SetBlack(0, 0);   // top left
    picture.SetBlack(32, 1);  // bottom right
    std::string file = picture.FileBytes();

    ASSERT_EQ(file.size(), 62u + 2 * 8);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(Le(file, 2, 4), file.size());
    EXPECT_EQ(Le(file, 6, 4), 0u);
    EXPECT_EQ(Le(file, 10, 4), 62u);
    EXPECT_EQ(Le(file, 14, 4), 40u);
    EXPECT_EQ(Le(file, 18, 4), 33u);
    EXPECT_EQ(Le(file, 22, 4), 2u);
    EXPECT_EQ(Le(file, 26, 2), 1u);
    EXPECT_EQ(Le(file, 28, 2), 1u);
    EXPECT_EQ(Le(file, 30, 4), 0u);
    EXPECT_EQ(Le(file, 34, 4), 16u);
    EXPECT_EQ(file.substr(38, 16), std::string(16, '\0'));
    EXPECT_EQ(file.substr(54, 8), std::string("\xFF\xFF\xFF\0\0\0\0\0", 8));  // white, then black

    // Stored bottom row first; leftmost pixel in the high bit.
    EXPECT_EQ(file.substr(62, 8), std::string("\0\0\0\0\x80\0\0\0", 8));
    EXPECT_EQ(file.substr(70, 8), std::string("\x80\0\0\0\0\0\0\0", 8));
}

TEST(MonochromeBitmap, RowsPadToWholeWords) {
    for (auto [width, bytes] : {std::pair{1, 4}, {32, 4}, {33, 8}, {64, 8}, {65, 12}}) {
        MonochromeBitmap picture(width, 3);
        EXPECT_EQ(picture.RowBytes(), static_cast<std::size_t>(bytes)) << width;
        EXPECT_EQ(picture.PixelDataSize(), static_cast<std::size_t>(3 * bytes)) << width;
    }
}

TEST(MonochromeBitmap, TurnsClockwiseAndFlips) {
    MonochromeBitmap picture = FromRows({
        "##.",
        "#..",
    });
    EXPECT_EQ(Rows(picture.RotatedClockwise()), (std::vector<std::string>{
                                                    "##",
                                                    ".#",
                                                    "..",
                                                }));
    EXPECT_EQ(Rows(picture.Flipped()), (std::vector<std::string>{
                                           "#..",
                                           "##.",
                                       }));
}

TEST(MonochromeBitmap, FillIsClippedToThePicture) {
    MonochromeBitmap picture(4, 3);
    picture.FillBlack(2, -1, 5, 2);
    picture.SetBlack(9, 9);
    EXPECT_EQ(Rows(picture), (std::vector<std::string>{"..##", "....", "...."}));
    EXPECT_FALSE(picture.Black(-1, 0));
}

}  // namespace
}  // namespace tallux
