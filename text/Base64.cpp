#include "text/Base64.h"

#include <array>
#include <cstdint>

namespace tallux {
namespace {

constexpr int kNotInAlphabet = -1;

constexpr std::array<int, 256> BuildAlphabet() {
    std::array<int, 256> values{};
    values.fill(kNotInAlphabet);
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        values[static_cast<unsigned char>(alphabet[i])] = static_cast<int>(i);
    return values;
}

constexpr std::array<int, 256> kAlphabet = BuildAlphabet();

int ValueOf(char c) { return kAlphabet[static_cast<unsigned char>(c)]; }

}  // namespace

std::string DecodeBase64(std::string_view text, std::size_t maxBytes) {
    std::string clean;
    clean.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n') clean.push_back(c);
    std::string_view rest = clean;
    if (rest.starts_with("+ ")) rest.remove_prefix(2);

    std::string out;
    for (std::size_t pos = 0; pos + 4 <= rest.size() && out.size() < maxBytes; pos += 4) {
        std::string_view group = rest.substr(pos, 4);
        int a = ValueOf(group[0]), b = ValueOf(group[1]);
        if (a == kNotInAlphabet || b == kNotInAlphabet) break;
        // "=" in the third place ends the group after one byte, whatever the
        // fourth holds, as long as that is "=" or a Base64 character.
        bool pad3 = group[2] == '=';
        bool pad4 = group[3] == '=';
        int c = pad3 ? 0 : ValueOf(group[2]);
        int d = pad4 ? 0 : ValueOf(group[3]);
        if (c == kNotInAlphabet || d == kNotInAlphabet) break;
        std::uint32_t bits = (static_cast<std::uint32_t>(a) << 18) | (static_cast<std::uint32_t>(b) << 12) |
                             (static_cast<std::uint32_t>(c) << 6) | static_cast<std::uint32_t>(d);
        std::size_t count = pad3 ? 1 : pad4 ? 2 : 3;
        for (std::size_t i = 0; i < count && out.size() < maxBytes; ++i)
            out.push_back(static_cast<char>((bits >> (16 - 8 * i)) & 0xFF));
    }
    return out;
}

}  // namespace tallux
