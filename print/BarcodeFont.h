#pragma once

#include <array>
#include <cstdint>

namespace tallux {

// The small fonts printed beneath barcode symbols. A glyph is 9 rows, top
// row first, the leftmost column in bit 7.
using BarcodeGlyph = std::array<std::uint8_t, 9>;

// 8 × 9 cell for characters 32–126; anything else is blank.
const BarcodeGlyph& TextGlyph(char c);

// 4 × 9 cell for the digits 0–9 (two of them share one symbol's width);
// anything else is blank.
const BarcodeGlyph& DigitGlyph(char c);

}  // namespace tallux
