#include "print/MonochromeBitmap.h"

#include <algorithm>

namespace tallux {

namespace {

void PutLe(std::string& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

MonochromeBitmap::MonochromeBitmap(int width, int height) {
    if (width <= 0 || height <= 0) return;
    width_ = width;
    height_ = height;
    rowBytes_ = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    rows_.assign(rowBytes_ * static_cast<std::size_t>(height), 0);
}

bool MonochromeBitmap::Black(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    return rows_[static_cast<std::size_t>(y) * rowBytes_ + static_cast<std::size_t>(x) / 8] & (0x80 >> (x % 8));
}

void MonochromeBitmap::SetBlack(int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    rows_[static_cast<std::size_t>(y) * rowBytes_ + static_cast<std::size_t>(x) / 8] |=
        static_cast<std::uint8_t>(0x80 >> (x % 8));
}

void MonochromeBitmap::FillBlack(int x, int y, int width, int height) {
    int left = std::max(x, 0), right = std::min(x + width, width_);
    int top = std::max(y, 0), bottom = std::min(y + height, height_);
    for (int row = top; row < bottom; ++row)
        for (int column = left; column < right; ++column) SetBlack(column, row);
}

MonochromeBitmap MonochromeBitmap::RotatedClockwise() const {
    MonochromeBitmap turned(height_, width_);
    for (int y = 0; y < turned.height_; ++y)
        for (int x = 0; x < turned.width_; ++x)
            if (Black(y, height_ - 1 - x)) turned.SetBlack(x, y);
    return turned;
}

MonochromeBitmap MonochromeBitmap::Flipped() const {
    MonochromeBitmap flipped = *this;
    for (int y = 0; y < height_; ++y) {
        auto from = rows_.begin() + static_cast<std::ptrdiff_t>(rowBytes_ * static_cast<std::size_t>(height_ - 1 - y));
        auto to = flipped.rows_.begin() + static_cast<std::ptrdiff_t>(rowBytes_ * static_cast<std::size_t>(y));
        std::copy_n(from, rowBytes_, to);
    }
    return flipped;
}

std::string MonochromeBitmap::FileBytes() const {
    std::string file(kHeaderBytes, '\0');
    std::size_t pixelBytes = PixelDataSize();
    file[0] = 'B';
    file[1] = 'M';
    PutLe(file, 2, static_cast<std::uint32_t>(kHeaderBytes + pixelBytes), 4);
    PutLe(file, 10, kHeaderBytes, 4);
    PutLe(file, 14, 40, 4);
    PutLe(file, 18, static_cast<std::uint32_t>(width_), 4);
    PutLe(file, 22, static_cast<std::uint32_t>(height_), 4);
    PutLe(file, 26, 1, 2);
    PutLe(file, 28, 1, 2);
    PutLe(file, 34, static_cast<std::uint32_t>(pixelBytes), 4);
    PutLe(file, 54, 0x00FFFFFF, 4);  // entry 0 white; entry 1 stays black
    file.reserve(kHeaderBytes + pixelBytes);
    for (int y = height_ - 1; y >= 0; --y)
        file.append(reinterpret_cast<const char*>(rows_.data()) + rowBytes_ * static_cast<std::size_t>(y), rowBytes_);
    return file;
}

}  // namespace tallux
