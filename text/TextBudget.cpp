#include "text/TextBudget.h"

namespace tallux {
namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

void LimitTextBytes(std::u16string& text, std::size_t budget) {
    std::size_t bytes = 0;
    for (std::size_t j = 0; j < text.size(); ++j) {
        bytes += (text[j] >= 1 && text[j] <= 127) ? 1 : 2;
        if (bytes <= budget) continue;
        std::size_t keep = j < 5 ? 0 : j - 5;
        if (keep > 0 && IsHighSurrogate(text[keep - 1])) --keep;
        text.resize(keep);
        text += u"...";
        return;
    }
}

std::string TrimBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string QuoteSqlText(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsAsciiSpace(text[first])) ++first;
    while (last > first && IsAsciiSpace(text[last - 1])) --last;
    std::string out;
    for (char c : text.substr(first, last - first)) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

}  // namespace tallux
