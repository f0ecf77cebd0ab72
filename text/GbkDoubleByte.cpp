#include "text/GbkDoubleByte.h"

#include <unicode/ucnv.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace tallux {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// Asks ICU once for every unit (a few milliseconds) so that converting a
// field afterwards is a table look-up per unit.
std::vector<std::uint16_t> BuildCodes() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open("windows-936", &status));
    if (U_FAILURE(status)) throw std::runtime_error("ICU converter unavailable: windows-936");
    UConverter* c = converter.get();
    // Stop instead of substituting, so a unit without a code gives no bytes.
    ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);

    std::vector<std::uint16_t> codes(0x10000, 0);
    // Only U+00A4..U+FFE5 are written as double bytes; anything else that
    // GBK does not hold in one byte becomes a reference.
    for (std::uint32_t u = 0xA4; u <= 0xFFE5; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) continue;
        const UChar unit = static_cast<UChar>(u);
        char bytes[8];
        status = U_ZERO_ERROR;
        ucnv_resetFromUnicode(c);
        int32_t length = ucnv_fromUChars(c, bytes, sizeof bytes, &unit, 1, &status);
        if (U_FAILURE(status) || length != 2) continue;
        UChar back[4];
        status = U_ZERO_ERROR;
        ucnv_resetToUnicode(c);
        if (ucnv_toUChars(c, back, 4, bytes, 2, &status) != 1 || U_FAILURE(status) || back[0] != unit) continue;
        codes[u] = static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[0]) << 8) |
                                              static_cast<unsigned char>(bytes[1]));
    }
    return codes;
}

}  // namespace

std::uint16_t GbkDoubleByteCode(char16_t unit) {
    static const std::vector<std::uint16_t> codes = BuildCodes();
    return codes[unit];
}

}  // namespace tallux
