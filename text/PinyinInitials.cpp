#include "text/PinyinInitials.h"

namespace tallux {
namespace {

// First section-position code of each initial; each runs up to the next.
struct InitialRange {
    int from;
    char letter;
};

constexpr InitialRange kRanges[] = {
    {1601, 'a'}, {1637, 'b'}, {1833, 'c'}, {2078, 'd'}, {2274, 'e'}, {2302, 'f'}, {2433, 'g'}, {2594, 'h'},
    {2787, 'j'}, {3106, 'k'}, {3212, 'l'}, {3472, 'm'}, {3635, 'n'}, {3722, 'o'}, {3730, 'p'}, {3858, 'q'},
    {4027, 'r'}, {4086, 's'}, {4390, 't'}, {4558, 'w'}, {4684, 'x'}, {4925, 'y'}, {5249, 'z'},
};
constexpr int kLastLevelOneCode = 5589;

// The initial of a section-position code, or 0 outside level 1.
char InitialOf(int code) {
    if (code < kRanges[0].from || code > kLastLevelOneCode) return 0;
    char letter = 0;
    for (const InitialRange& range : kRanges)
        if (code >= range.from) letter = range.letter;
    return letter;
}

}  // namespace

std::string PinyinInitials(std::string_view gbk) {
    std::string initials;
    for (std::size_t i = 0; i < gbk.size();) {
        const auto lead = static_cast<unsigned char>(gbk[i]);
        if (lead == 0) break;
        const bool pair = lead >= 0x81 && lead <= 0xFE && i + 1 < gbk.size() && gbk[i + 1] != '\0';
        if (!pair) {
            ++i;  // single bytes carry no initial
            continue;
        }
        const auto trail = static_cast<unsigned char>(gbk[i + 1]);
        i += 2;
        if (lead < 0xA1 || trail < 0xA1) continue;  // GBK extension: no initial, not the end
        char letter = InitialOf((lead - 160) * 100 + (trail - 160));
        if (letter == 0) break;
        initials += letter;
    }
    return initials;
}

}  // namespace tallux
