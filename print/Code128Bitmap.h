#pragma once

#include <optional>
#include <string_view>

#include "print/Code128.h"
#include "print/MonochromeBitmap.h"

namespace tallux {

// Largest pixel data of a barcode picture (the file stays within 32768
// bytes).
inline constexpr std::size_t kCode128MaxPixelData = 32706;

// The picture of already chosen symbols: one pixel per module, 8 pixels of
// quiet zone on each side, bars barHeight high and, unless noText, a 10-row
// band below with each data symbol's text. Fails when barHeight is not
// positive or the pixel data would exceed kCode128MaxPixelData.
std::optional<MonochromeBitmap> DrawCode128(const Code128Symbols& symbols, int barHeight, bool noText);

// Applies a template's direction: 1 a quarter turn clockwise, 2 mirrored top
// to bottom, 3 both (turned first). Any other value, and a picture whose
// rows are over 200 bytes, stays as drawn.
MonochromeBitmap TurnBarcode(const MonochromeBitmap& picture, int direction);

// The whole barcode of text: EncodeCode128, then the picture (plain code
// set A clamps barHeight to 20–150), then the direction.
std::optional<MonochromeBitmap> MakeCode128Bitmap(std::string_view text, int barHeight, bool noText,
                                                  std::string_view script, int direction);

}  // namespace tallux
