#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tallux {

// A black-and-white picture as the printed barcodes need it, and its file
// form: a 1-bit uncompressed device-independent bitmap whose palette entry 0
// is white and entry 1 black. Coordinates count from the top left; every
// pixel starts white.
class MonochromeBitmap {
public:
    MonochromeBitmap() = default;
    // Non-positive sizes give an empty picture.
    MonochromeBitmap(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    // Outside the picture Black() is false and SetBlack() does nothing.
    bool Black(int x, int y) const;
    void SetBlack(int x, int y);
    // Clipped to the picture.
    void FillBlack(int x, int y, int width, int height);

    // Bytes of one stored row: a whole number of 32-bit words.
    std::size_t RowBytes() const { return rowBytes_; }
    std::size_t PixelDataSize() const { return rowBytes_ * static_cast<std::size_t>(height_); }

    // A quarter turn clockwise: width and height swap.
    MonochromeBitmap RotatedClockwise() const;
    // Mirrored top to bottom.
    MonochromeBitmap Flipped() const;

    // The whole file: 62 bytes of headers and palette, then the rows bottom
    // row first.
    std::string FileBytes() const;

    static constexpr std::size_t kHeaderBytes = 62;

private:
    int width_ = 0;
    int height_ = 0;
    std::size_t rowBytes_ = 0;
    std::vector<std::uint8_t> rows_;  // top row first, leftmost pixel in bit 7
};

}  // namespace tallux
