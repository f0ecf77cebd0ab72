#include "print/PrintTemplate.h"

#include <cstdint>
#include <limits>

#include "text/AsciiNumbers.h"
#include "text/GbkBytes.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

// Blanks between a key and its "=": at most this many for text and cell
// values; any number for numbers.
constexpr std::size_t kTextKeyBlanks = 2;
constexpr std::size_t kAnyBlanks = std::numeric_limits<std::size_t>::max();

// A cell value holds at most this many bytes before its line ends.
constexpr std::size_t kCellValueMost = 14;

// The GBK forms of the markers and keys this unit reads itself.
struct Words {
    std::string listStart = Utf8ToGbk("<列表定义开始>");
    std::string listEnd = Utf8ToGbk("<列表定义结束>");
    std::string blockStart = Utf8ToGbk("开始>");
    std::string blockEnd = Utf8ToGbk("结束>");
    std::string destinationRestriction = Utf8ToGbk("目的地限制");
    std::string kindRestriction = Utf8ToGbk("快递类别限制");
};

const Words& GbkWords() {
    static const Words words;
    return words;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t LineEnd(std::string_view text, std::size_t pos) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    return end == std::string_view::npos ? text.size() : end;
}

// Where the value of key's line starts (right after its "="): the first
// line that begins with key, then at most mostBlanks blanks, then "=".
std::optional<std::size_t> FindKeyValue(std::string_view text, std::string_view key, std::size_t mostBlanks) {
    if (key.empty()) return std::nullopt;
    for (std::size_t line = 0; line < text.size();) {
        if (text.substr(line).starts_with(key)) {
            std::size_t pos = line + key.size();
            std::size_t blanks = 0;
            while (pos < text.size() && IsBlank(text[pos]) && blanks <= mostBlanks) ++pos, ++blanks;
            if (blanks <= mostBlanks && pos < text.size() && text[pos] == '=') return pos + 1;
        }
        const std::size_t next = text.find_first_of("\r\n", line);
        if (next == std::string_view::npos) break;
        line = next + 1;
    }
    return std::nullopt;
}

std::string_view ValueAt(std::string_view text, std::size_t pos) { return text.substr(pos, LineEnd(text, pos) - pos); }

char ToUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// One or two letters of either case (the column) and the row's digits;
// what follows the digits does not count. nullopt unless the row is a
// positive int.
std::optional<CellRef> ParseCell(std::string_view value) {
    std::size_t pos = 0;
    int column = 0;
    while (pos < value.size() && pos < 2 && IsAsciiLetter(value[pos]))
        column = column * 26 + (ToUpperAscii(value[pos++]) - 'A' + 1);
    if (pos == 0 || pos >= value.size() || !IsAsciiDigit(value[pos])) return std::nullopt;
    const std::int64_t row = ReadDigitRun(value, pos);
    if (row < 1 || row > std::numeric_limits<int>::max()) return std::nullopt;
    return CellRef{static_cast<int>(row), column};
}

// An entry of the list section, or nullopt for a line that is none: a
// comment, a line without "=", a quoted name not closed on its line or not
// followed directly by "=", a value that is no cell.
std::optional<ListCellEntry> ParseListLine(std::string_view line) {
    if (line.empty() || line.front() == '#') return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    std::string_view name, cell;
    if (line.front() == '"') {
        const std::size_t close = line.find('"', 1);
        if (close == std::string_view::npos || close + 1 >= line.size() || line[close + 1] != '=') return std::nullopt;
        name = line.substr(1, close - 1);
        cell = line.substr(close + 2);
    } else {
        name = line.substr(0, equals);
        while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
        cell = line.substr(equals + 1);
    }
    const std::optional<CellRef> ref = ParseCell(cell);
    if (!ref) return std::nullopt;
    return ListCellEntry{std::string(name), ref->row, ref->column};
}

std::vector<ListCellEntry> ParseListSection(std::string_view text) {
    const Words& words = GbkWords();
    std::vector<ListCellEntry> entries;
    const std::size_t start = text.find(words.listStart);
    if (start == std::string_view::npos) return entries;
    const std::size_t from = start + words.listStart.size();
    const std::size_t end = text.find(words.listEnd, from);
    if (end == std::string_view::npos) return entries;
    const std::string_view section = text.substr(from, end - from);
    for (std::size_t pos = 0; pos <= section.size();) {
        const std::size_t lineEnd = LineEnd(section, pos);
        if (std::optional<ListCellEntry> entry = ParseListLine(section.substr(pos, lineEnd - pos)))
            entries.push_back(std::move(*entry));
        pos = lineEnd + 1;
    }
    return entries;
}

bool HoldsCode(std::string_view restriction, std::string_view code) {
    if (restriction.empty()) return true;
    std::string needle;
    needle.reserve(code.size() + 2);
    needle.append(1, '|').append(code).append(1, '|');
    return FindAtCharBoundary(restriction, needle, false) != std::string_view::npos;
}

}  // namespace

std::shared_ptr<const PrintTemplate> PrintTemplate::FromBytes(TemplateKind kind, std::string nameGbk,
                                                              std::string definition, std::string workbook) {
    return std::shared_ptr<const PrintTemplate>(
        new PrintTemplate(kind, std::move(nameGbk), std::move(definition), std::move(workbook)));
}

PrintTemplate::PrintTemplate(TemplateKind kind, std::string nameGbk, std::string definition, std::string workbook)
    : kind_(kind),
      nameGbk_(std::move(nameGbk)),
      name_(GbkToUtf8(nameGbk_)),
      definition_(std::move(definition)),
      workbook_(std::move(workbook)) {
    const Words& words = GbkWords();
    destinationRestriction_ = GetString(words.destinationRestriction);
    kindRestriction_ = GetString(words.kindRestriction);
    listEntries_ = ParseListSection(Text());
}

std::string_view PrintTemplate::Text() const {
    const std::string_view text(definition_);
    return text.substr(0, text.find('\0'));
}

int PrintTemplate::GetInt(std::string_view keyGbk) const {
    const std::string_view text = Text();
    const std::optional<std::size_t> value = FindKeyValue(text, keyGbk, kAnyBlanks);
    if (!value) return -1;
    std::size_t pos = *value;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    const std::int64_t magnitude = ReadDigitRun(text, pos);
    const std::int64_t number = negative ? -magnitude : magnitude;
    if (number > std::numeric_limits<int>::max() || number < std::numeric_limits<int>::min()) return -1;
    return static_cast<int>(number);
}

std::string PrintTemplate::GetString(std::string_view keyGbk) const {
    const std::string_view text = Text();
    const std::optional<std::size_t> value = FindKeyValue(text, keyGbk, kTextKeyBlanks);
    return value ? std::string(ValueAt(text, *value)) : std::string();
}

std::optional<CellRef> PrintTemplate::GetCell(std::string_view keyGbk) const {
    const std::string_view text = Text();
    const std::optional<std::size_t> value = FindKeyValue(text, keyGbk, kTextKeyBlanks);
    if (!value) return std::nullopt;
    const std::string_view cell = ValueAt(text, *value);
    if (cell.size() > kCellValueMost) return std::nullopt;
    return ParseCell(cell);
}

std::string PrintTemplate::GetBlock(std::string_view nameGbk) const {
    const Words& words = GbkWords();
    const std::string_view text = Text();
    const std::string start = "<" + std::string(nameGbk) + words.blockStart;
    const std::string end = "<" + std::string(nameGbk) + words.blockEnd;
    const std::size_t at = text.find(start);
    if (at == std::string_view::npos) return {};
    const std::size_t from = at + start.size();
    const std::size_t to = text.find(end, from);
    if (to == std::string_view::npos) return {};
    return std::string(text.substr(from, to - from));
}

std::optional<CellRef> PrintTemplate::FindListCell(std::string_view nameGbk) const {
    for (const ListCellEntry& entry : listEntries_)
        if (entry.name == nameGbk) return CellRef{entry.row, entry.column};
    return std::nullopt;
}

bool PrintTemplate::MatchesRestrictions(std::string_view kindCode, std::string_view destination) const {
    return HoldsCode(kindRestriction_, kindCode) && HoldsCode(destinationRestriction_, destination);
}

}  // namespace tallux
