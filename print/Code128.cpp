#include "print/Code128.h"

#include <cstdio>

namespace tallux {

namespace {

constexpr std::string_view kPatterns[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312",  "132212", "221213", "221312",
    "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211",  "221132", "221231", "213212",
    "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",  "212123", "212321", "232121",
    "111323", "131123", "131321", "112313", "132113", "132311", "211313", "231113",  "231311", "112133", "112331",
    "132131", "113123", "113321", "133121", "313121", "211331", "231131", "213113",  "213311", "213131", "311123",
    "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",  "111224", "111422", "121124",
    "121421", "141122", "141221", "112214", "112412", "122114", "122411", "142112",  "142211", "241211", "221114",
    "413111", "241112", "134111", "111242", "121142", "121241", "114212", "124112",  "124211", "411212", "421112",
    "421211", "212141", "214121", "412121", "111143", "111341", "131141", "114113",  "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112",
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int StartOf(char set) { return set == 'A' ? kCode128StartA : set == 'B' ? kCode128StartB : kCode128StartC; }
int ChangeTo(char set) { return set == 'A' ? kCode128ToA : set == 'B' ? kCode128ToB : kCode128ToC; }

// Appends the symbols of one span in one code set; false when the set
// cannot take it.
bool AppendSpan(std::vector<Code128Symbol>& symbols, char set, std::string_view span) {
    if (set == 'C') {
        if (span.size() % 2 != 0) return false;
        for (std::size_t i = 0; i < span.size(); i += 2) {
            if (!IsDigit(span[i]) || !IsDigit(span[i + 1])) return false;
            symbols.push_back({(span[i] - '0') * 10 + (span[i + 1] - '0'), std::string(span.substr(i, 2)), true});
        }
        return true;
    }
    int highest = set == 'A' ? 95 : 126;
    for (char c : span) {
        int code = static_cast<unsigned char>(c);
        if (code < 32 || code > highest) return false;
        symbols.push_back({code - 32, std::string(1, c), false});
    }
    return true;
}

Code128Symbols Finish(std::vector<Code128Symbol> symbols, bool plainSetA) {
    Code128Symbols result;
    result.check = Code128Check(symbols);
    result.symbols = std::move(symbols);
    result.plainSetA = plainSetA;
    return result;
}

}  // namespace

std::string_view Code128Pattern(int value) { return value >= 0 && value <= kCode128Stop ? kPatterns[value] : ""; }

int Code128Check(const std::vector<Code128Symbol>& symbols) {
    if (symbols.empty()) return 0;
    long sum = symbols.front().value;
    for (std::size_t i = 1; i < symbols.size(); ++i) sum += static_cast<long>(i) * symbols[i].value;
    return static_cast<int>(sum % 103);
}

std::string Code128AutomaticScript(std::string_view text) {
    std::size_t bestStart = 0, bestLength = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (!IsDigit(text[i])) {
            ++i;
            continue;
        }
        std::size_t start = i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        std::size_t length = i - start;
        if (length >= 6 && length >= bestLength) {
            bestStart = start;
            bestLength = length;
        }
    }
    if (bestLength == 0) return "B";
    if (bestLength % 2 != 0) {
        ++bestStart;
        --bestLength;
    }
    std::string script;
    char item[8];
    if (bestStart > 0) {
        std::snprintf(item, sizeof item, "B%u", static_cast<unsigned>(bestStart));
        script += item;
    }
    std::snprintf(item, sizeof item, "C%u", static_cast<unsigned>(bestLength));
    script += item;
    if (std::size_t rest = text.size() - bestStart - bestLength; rest > 0) {
        std::snprintf(item, sizeof item, "B%u", static_cast<unsigned>(rest));
        script += item;
    }
    return script;
}

std::optional<Code128Symbols> EncodeCode128Script(std::string_view text, std::string_view script) {
    std::vector<Code128Symbol> symbols;
    std::size_t at = 0, position = 0;
    char previous = 0;
    bool open = false;  // an item without a count took the rest and ends the script
    while (at < script.size() && !open) {
        char set = script[at++];
        if (set >= 'a' && set <= 'c') set = static_cast<char>(set - 'a' + 'A');
        if (set < 'A' || set > 'C' || set == previous) return std::nullopt;
        std::size_t count = 0, digits = 0;
        while (at < script.size() && IsDigit(script[at]) && digits < 2) {
            count = count * 10 + static_cast<std::size_t>(script[at++] - '0');
            ++digits;
        }
        if (digits == 0) {
            open = true;
            count = text.size() - position;
        }
        // A count past the end of the text is a broken script.
        if (count > text.size() - position) return std::nullopt;
        symbols.push_back({symbols.empty() ? StartOf(set) : ChangeTo(set), {}, false});
        if (!AppendSpan(symbols, set, text.substr(position, count))) return std::nullopt;
        position += count;
        previous = set;
    }
    // Characters the script leaves over would be missing from the barcode.
    if (symbols.empty() || position != text.size()) return std::nullopt;
    return Finish(std::move(symbols), false);
}

std::optional<Code128Symbols> EncodeCode128SetA(std::string_view text) {
    std::vector<Code128Symbol> symbols{{kCode128StartA, {}, false}};
    if (!AppendSpan(symbols, 'A', text)) return std::nullopt;
    return Finish(std::move(symbols), true);
}

std::optional<Code128Symbols> EncodeCode128(std::string_view text, bool noText, std::string_view script) {
    if (text.empty() || text.size() > kCode128MaxText) return std::nullopt;
    if (!script.empty()) return EncodeCode128Script(text, script);
    bool lowerCase = false;
    for (char c : text) {
        auto code = static_cast<unsigned char>(c);
        if (code >= 128) return std::nullopt;
        if (code >= 96) lowerCase = true;
    }
    if (lowerCase || (text.size() >= 8 && noText) || text.size() > 13)
        return EncodeCode128Script(text, Code128AutomaticScript(text));
    return EncodeCode128SetA(text);
}

}  // namespace tallux
