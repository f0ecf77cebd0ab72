#include "text/CountryMatch.h"

#include <cstddef>
#include <string>

#include "text/GbkBytes.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

constexpr std::size_t kMaxTextBytes = 255;

// GBK forms of the fixed Chinese words the matcher looks for.
struct Words {
    std::string innerMongolia = Utf8ToGbk("内蒙古");
    std::string usa = Utf8ToGbk("美国");
    std::string britain = Utf8ToGbk("英国");
    std::string germany = Utf8ToGbk("德国");
    std::string australiaShort = Utf8ToGbk("澳洲");
    std::string australia = Utf8ToGbk("澳大利亚");
    std::string indonesiaShort = Utf8ToGbk("印尼");
    std::string indonesia = Utf8ToGbk("印度尼西亚");
    std::string saudiShort = Utf8ToGbk("沙特");
    std::string saudi = Utf8ToGbk("沙特阿拉伯");
    std::string emiratesShort = Utf8ToGbk("阿联酋");
    std::string emirates = Utf8ToGbk("阿拉伯联合酋长国");
};

const Words& GbkWords() {
    static const Words words;
    return words;
}

bool IsAsciiLetter(unsigned char b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

bool Contains(std::string_view haystack, std::string_view needle, bool caseless) {
    return FindAtCharBoundary(haystack, needle, caseless) != std::string_view::npos;
}

bool StartsWithExact(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix && CutAtCharBoundary(text, prefix.size()).size() == prefix.size();
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }

// The shortest end of text of at most maxBytes bytes that starts on a
// character boundary, so a trail byte is never read as a character of its own.
std::string_view TailAtBoundary(std::string_view text, std::size_t maxBytes) {
    std::size_t pos = 0;
    while (text.size() - pos > maxBytes) pos += GbkCharLength(text, pos);
    return text.substr(pos);
}

// A single character or a text of nothing but blanks, digits and punctuation
// would be "contained in" some name by the partial pass.
bool CanNameACountry(std::string_view text) {
    if (GbkCharLength(text, 0) == text.size()) return false;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = GbkCharLength(text, pos);
        if (length == 2 || IsAsciiLetter(static_cast<unsigned char>(text[pos]))) return true;
        pos += length;
    }
    return false;
}

// Countries that arrive under many spellings and are checked before the
// table: the code, the three-letter code, Chinese beginnings, and English
// names near the end of the text ("..., United States").
struct ByName {
    const char* code;
    const char* threeLetter;
    std::string_view chineseStarts[2];
    std::size_t tailBytes;
    const char* tailNames[3];
};

const CountryRow* MatchByName(std::string_view text, const ByName& rule) {
    bool hit = EqualsNoCase(text, rule.code) || EqualsNoCase(text, rule.threeLetter);
    for (std::string_view start : rule.chineseStarts) hit = hit || (!start.empty() && StartsWithExact(text, start));
    // Every name is at least as long as the shortest text the rule accepts,
    // so a short text simply finds nothing.
    std::string_view tail = TailAtBoundary(text, rule.tailBytes);
    for (const char* name : rule.tailNames) hit = hit || (name != nullptr && Contains(tail, name, true));
    return hit ? FindCountryByCode(rule.code) : nullptr;
}

// Replaces every whole-character occurrence of from (ASCII, any letter case)
// by to; when wholeWord is set the occurrence must not be followed by a
// letter.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to, bool wholeWord) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::string_view rest = text.substr(pos);
        bool found = StartsWithNoCase(rest, from) && !(wholeWord && rest.size() > from.size() &&
                                                       IsAsciiLetter(static_cast<unsigned char>(rest[from.size()])));
        if (found) {
            out += to;
            pos += from.size();
        } else {
            std::size_t length = GbkCharLength(text, pos);
            out += text.substr(pos, length);
            pos += length;
        }
    }
    return out;
}

// Common short forms and abbreviations rewritten to the names in the table.
std::string WorkingText(std::string_view text, const Words& words) {
    if (StartsWithExact(text, words.indonesiaShort)) return words.indonesia;
    if (StartsWithExact(text, words.saudiShort)) return words.saudi;
    if (StartsWithExact(text, words.emiratesShort)) return words.emirates;
    if (EqualsNoCase(text, "Great Britain") || EqualsNoCase(text, "England")) return words.britain;
    std::string islands = ReplaceAll(text, " Is.", " Islands", false);
    return ReplaceAll(islands, " Is", " Island", true);
}

bool IsChina(const CountryRow& row) { return std::string_view(row.code) == "CN"; }

}  // namespace

const CountryRow* MatchCountry(std::string_view gbkText) {
    std::string_view text = gbkText.substr(0, gbkText.find('\0'));
    if (text.empty() || text.size() > kMaxTextBytes) return nullptr;
    const Words& words = GbkWords();
    // Inner Mongolia is a Chinese province, not Mongolia.
    if (Contains(text, words.innerMongolia, false)) return nullptr;
    if (!CanNameACountry(text)) return nullptr;

    const ByName byName[] = {
        {"US", "USA", {words.usa, {}}, 13, {"United States", "America", nullptr}},
        {"GB", "GBR", {words.britain, {}}, 14, {"Britain", "England", "United Kingdom"}},
        {"DE", "DEU", {words.germany, {}}, 11, {"Germany", "Deutschland", nullptr}},
        {"AU", "AUS", {words.australiaShort, words.australia}, 9, {"Australia", nullptr, nullptr}},
    };
    for (const ByName& rule : byName)
        if (const CountryRow* row = MatchByName(text, rule)) return row;

    const std::string w = WorkingText(text, words);
    const std::span<const CountryRow> rows = CountryTable();
    for (const CountryRow& row : rows)
        if (w == row.chinese || EqualsNoCase(w, row.english)) return &row;
    // China only by its exact name: a Chinese address begins with or
    // contains it without being foreign.
    for (const CountryRow& row : rows)
        if (!IsChina(row) && (StartsWithExact(w, row.chinese) || StartsWithNoCase(w, row.english))) return &row;
    for (const CountryRow& row : rows) {
        if (IsChina(row)) continue;
        if (Contains(w, row.chinese, false) || Contains(w, row.english, true) || Contains(row.chinese, w, false) ||
            Contains(row.english, w, true))
            return &row;
    }
    return nullptr;
}

}  // namespace tallux
