#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "print/MonochromeBitmap.h"

namespace tallux {

enum class QrLevel { L = 0, M = 1, Q = 2, H = 3 };

// Module size the labels and waybills ask for.
inline constexpr int kQrModulePixels = 16;

// The module matrix of a QR Code (Model 2) symbol.
class QrSymbol {
public:
    // Encodes bytes as they are: digits and the alphanumeric set in their
    // compact modes, every other byte in 8-bit mode (never Kanji, so GBK
    // text reads back byte for byte). The smallest version that holds the
    // data is used and the mask is chosen by penalty. Fails on empty input
    // and on data that does not fit version 40.
    static std::optional<QrSymbol> Encode(std::string_view bytes, QrLevel level = QrLevel::M);
    // Text as this program holds it (UTF-8), encoded as its GBK bytes.
    static std::optional<QrSymbol> EncodeText(std::string_view utf8, QrLevel level = QrLevel::M);

    int Size() const { return size_; }  // modules per side
    int Version() const { return (size_ - 17) / 4; }
    bool Dark(int x, int y) const;

private:
    int size_ = 0;
    std::vector<bool> dark_;  // row by row from the top
};

// The module size a picture of a symbol of size modules uses: the request,
// but at most 8 × ⌊65474 ÷ (size + 23)²⌋.
int QrModulePixels(int size, int requested);

// The picture: a 4-module quiet zone around the symbol, upright and not
// mirrored, each module a square of QrModulePixels. Fails when the
// requested module size is not positive.
std::optional<MonochromeBitmap> DrawQr(const QrSymbol& symbol, int requestedModulePixels = kQrModulePixels);

}  // namespace tallux
