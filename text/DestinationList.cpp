#include "text/DestinationList.h"

#include <string>

#include "text/GbkBytes.h"

namespace tallux {
namespace {

// Characters after which a long address may be cut to find its listed part,
// tried in this order (GBK): 路 弄 巷 镇 市 街 村 区 楼 室 号.
constexpr std::string_view kAddressCuts[] = {"\xC2\xB7", "\xC5\xAA", "\xCF\xEF", "\xD5\xF2", "\xCA\xD0", "\xBD\xD6",
                                             "\xB4\xE5", "\xC7\xF8", "\xC2\xA5", "\xCA\xD2", "\xBA\xC5"};

// Position of the first occurrence of ch in text that starts on a character
// boundary at or after byte from, or npos.
std::size_t FindCharFrom(std::string_view text, std::string_view ch, std::size_t from) {
    for (std::size_t pos = 0; pos < text.size(); pos += GbkCharLength(text, pos)) {
        if (pos >= from && text.substr(pos, ch.size()) == ch) return pos;
    }
    return std::string_view::npos;
}

bool Lists(std::string_view list, std::string_view destination) {
    std::string entry(destination);
    entry += '\t';
    return FindAtCharBoundary(list, entry, false) != std::string_view::npos;
}

}  // namespace

bool DestinationListTakes(std::string_view list, std::string_view destination) {
    if (destination.empty()) return false;
    if (Lists(list, destination)) return true;
    if (destination.size() <= 8) return false;
    // A full address is taken when its part up to the first street-level
    // character (after its first two characters) is listed.
    for (std::string_view ch : kAddressCuts) {
        std::size_t at = FindCharFrom(destination, ch, 4);
        if (at != std::string_view::npos) return Lists(list, destination.substr(0, at + ch.size()));
    }
    return false;
}

}  // namespace tallux
