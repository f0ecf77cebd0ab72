#include "app/InstanceKey.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include "text/GbkCodec.h"
#include "text/Md5.h"

namespace tallux {
namespace {

// Simple (one-to-one) case mapping per code point, so the length never
// changes.
std::u16string LowerCase(std::u16string_view text) {
    std::u16string lower;
    lower.reserve(text.size());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U16_NEXT(text.data(), i, length, c);
        UChar32 mapped = u_tolower(c);
        if (U_IS_BMP(mapped)) {
            lower.push_back(static_cast<char16_t>(mapped));
        } else {
            lower.push_back(static_cast<char16_t>(U16_LEAD(mapped)));
            lower.push_back(static_cast<char16_t>(U16_TRAIL(mapped)));
        }
    }
    return lower;
}

std::string Utf16LeBytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

InstanceKey InstanceKey::For(std::string_view programDirectoryUtf8) {
    InstanceKey instance;
    instance.name = Md5Hex(Utf16LeBytes(LowerCase(Utf8ToUtf16(programDirectoryUtf8))));
    const std::string digits = instance.name.substr(0, 16);
    instance.key = Crc32(Utf16LeBytes(std::u16string(digits.begin(), digits.end())));
    return instance;
}

}  // namespace tallux
