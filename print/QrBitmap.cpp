#include "print/QrBitmap.h"

#include <qrencode.h>

#include <algorithm>
#include <memory>
#include <string>

#include "text/GbkCodec.h"

namespace tallux {

namespace {

constexpr int kQuietModules = 4;
// More than version 40 holds in any mode (7089 digits).
constexpr std::size_t kMoreThanAnySymbol = 8000;

struct QrFree {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

}  // namespace

std::optional<QrSymbol> QrSymbol::Encode(std::string_view bytes, QrLevel level) {
    if (bytes.empty() || bytes.size() > kMoreThanAnySymbol) return std::nullopt;
    auto qrLevel = static_cast<QRecLevel>(static_cast<int>(level));
    std::unique_ptr<QRcode, QrFree> code;
    if (bytes.find('\0') == std::string_view::npos) {
        // The QR_MODE_8 hint keeps every byte outside the numeric and
        // alphanumeric sets in 8-bit mode; case-sensitive keeps lower case.
        std::string text(bytes);
        code.reset(QRcode_encodeString(text.c_str(), 0, qrLevel, QR_MODE_8, 1));
    } else {
        // Only the plain 8-bit path carries a zero byte.
        auto data = reinterpret_cast<const unsigned char*>(bytes.data());
        code.reset(QRcode_encodeData(static_cast<int>(bytes.size()), data, 0, qrLevel));
    }
    if (!code) return std::nullopt;
    QrSymbol symbol;
    symbol.size_ = code->width;
    symbol.dark_.resize(static_cast<std::size_t>(code->width) * static_cast<std::size_t>(code->width));
    for (std::size_t i = 0; i < symbol.dark_.size(); ++i) symbol.dark_[i] = code->data[i] & 1;
    return symbol;
}

std::optional<QrSymbol> QrSymbol::EncodeText(std::string_view utf8, QrLevel level) {
    return Encode(Utf8ToGbk(utf8), level);
}

bool QrSymbol::Dark(int x, int y) const {
    if (x < 0 || y < 0 || x >= size_ || y >= size_) return false;
    return dark_[static_cast<std::size_t>(y) * static_cast<std::size_t>(size_) + static_cast<std::size_t>(x)];
}

int QrModulePixels(int size, int requested) {
    int limit = 8 * (65474 / ((size + 23) * (size + 23)));
    return std::min(requested, limit);
}

std::optional<MonochromeBitmap> DrawQr(const QrSymbol& symbol, int requestedModulePixels) {
    if (symbol.Size() <= 0 || requestedModulePixels <= 0) return std::nullopt;
    int module = QrModulePixels(symbol.Size(), requestedModulePixels);
    if (module <= 0) return std::nullopt;
    int side = (symbol.Size() + 2 * kQuietModules) * module;
    MonochromeBitmap picture(side, side);
    for (int y = 0; y < symbol.Size(); ++y)
        for (int x = 0; x < symbol.Size(); ++x)
            if (symbol.Dark(x, y))
                picture.FillBlack((x + kQuietModules) * module, (y + kQuietModules) * module, module, module);
    return picture;
}

}  // namespace tallux
