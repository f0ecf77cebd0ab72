#include "print/Code128Bitmap.h"

#include <algorithm>

#include "print/BarcodeFont.h"

namespace tallux {

namespace {

constexpr int kQuietZone = 8;
constexpr int kSymbolWidth = 11;
constexpr int kTextBand = 10;
constexpr int kFirstDigitColumn = 0;
constexpr int kSecondDigitColumn = 5;

// Draws one symbol's bars; returns the modules it took.
int DrawBars(MonochromeBitmap& picture, int x, int value, int height) {
    bool bar = true;
    int width = 0;
    for (char modules : Code128Pattern(value)) {
        int w = modules - '0';
        if (bar) picture.FillBlack(x + width, 0, w, height);
        width += w;
        bar = !bar;
    }
    return width;
}

void DrawGlyph(MonochromeBitmap& picture, int x, int y, const BarcodeGlyph& glyph) {
    for (int row = 0; row < static_cast<int>(glyph.size()); ++row)
        for (int column = 0; column < 8; ++column)
            if (glyph[row] & (0x80 >> column)) picture.SetBlack(x + column, y + row);
}

}  // namespace

std::optional<MonochromeBitmap> DrawCode128(const Code128Symbols& symbols, int barHeight, bool noText) {
    if (barHeight <= 0 || symbols.symbols.empty()) return std::nullopt;
    int count = static_cast<int>(symbols.symbols.size());
    int width = kSymbolWidth * count + kSymbolWidth + 13 + 2 * kQuietZone;
    int height = noText ? barHeight : barHeight + kTextBand;
    std::size_t rowBytes = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    if (rowBytes * static_cast<std::size_t>(height) > kCode128MaxPixelData) return std::nullopt;

    MonochromeBitmap picture(width, height);
    int x = kQuietZone;
    for (const Code128Symbol& symbol : symbols.symbols) {
        DrawBars(picture, x, symbol.value, barHeight);
        if (!noText && symbol.digitPair) {
            DrawGlyph(picture, x + kFirstDigitColumn, barHeight, DigitGlyph(symbol.shown[0]));
            DrawGlyph(picture, x + kSecondDigitColumn, barHeight, DigitGlyph(symbol.shown[1]));
        } else if (!noText && !symbol.shown.empty()) {
            DrawGlyph(picture, x, barHeight, TextGlyph(symbol.shown[0]));
        }
        x += kSymbolWidth;
    }
    x += DrawBars(picture, x, symbols.check, barHeight);
    DrawBars(picture, x, kCode128Stop, barHeight);
    return picture;
}

MonochromeBitmap TurnBarcode(const MonochromeBitmap& picture, int direction) {
    if (picture.RowBytes() > 200) return picture;
    switch (direction) {
    case 1: return picture.RotatedClockwise();
    case 2: return picture.Flipped();
    case 3: return picture.RotatedClockwise().Flipped();
    default: return picture;
    }
}

std::optional<MonochromeBitmap> MakeCode128Bitmap(std::string_view text, int barHeight, bool noText,
                                                  std::string_view script, int direction) {
    std::optional<Code128Symbols> symbols = EncodeCode128(text, noText, script);
    if (!symbols) return std::nullopt;
    if (symbols->plainSetA) barHeight = std::clamp(barHeight, 20, 150);
    std::optional<MonochromeBitmap> picture = DrawCode128(*symbols, barHeight, noText);
    if (!picture) return std::nullopt;
    MonochromeBitmap turned = TurnBarcode(*picture, direction);
    // Turning changes the row padding; the limit holds for what is saved.
    if (turned.PixelDataSize() > kCode128MaxPixelData) return std::nullopt;
    return turned;
}

}  // namespace tallux
