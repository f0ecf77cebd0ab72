// A print template's definition text. Building a template never fails and
// keeps its bytes; every list entry has a positive row and column and is
// what FindListCell gives for its name unless an earlier entry has the
// name; every cell a key gives is positive; a text value never crosses its
// line; the restrictions are their keys' values and match the codes they
// hold; the first line's key gives the first line's value; and writing the
// lines with CR LF instead of LF changes no lookup.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "print/PrintFields.h"
#include "print/PrintTemplate.h"
#include "text/GbkBytes.h"
#include "text/GbkCodec.h"

namespace {

using namespace tallux;
using fuzz::Check;

// Keys the print routines read, and the blocks.
const std::vector<std::string>& Keys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> gbk;
        for (const char* key : {"打印页数",
                                "条码不要字符",
                                "全部转换大写",
                                "换行转空格",
                                "物品明细打印最大条数",
                                "物品第二组右移列数",
                                "物品名称首行",
                                "物品编码首行",
                                "文件",
                                "包裹",
                                "月结",
                                "二维码宽",
                                "内单条码方向",
                                "内单条码方向2",
                                "横向标签个数",
                                "联动打印标签",
                                "目的地限制",
                                "快递类别限制",
                                "A",
                                "B"})
            gbk.push_back(Utf8ToGbk(key));
        return gbk;
    }();
    return keys;
}

const std::vector<std::string>& Blocks() {
    static const std::vector<std::string> blocks = {Utf8ToGbk("发件人定义"), Utf8ToGbk("收件人定义"),
                                                    Utf8ToGbk("二维码定义")};
    return blocks;
}

bool NoLineBreak(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

std::string WithoutCr(std::string text) {
    std::erase(text, '\r');
    return text;
}

std::string CrLf(std::string_view text) {
    std::string converted;
    for (char c : text) {
        if (c == '\n') converted += '\r';
        converted += c;
    }
    return converted;
}

// The codes between the bars of a restriction, bars taken only where they
// are characters of their own.
std::vector<std::string> Codes(std::string_view restriction) {
    std::vector<std::string> codes;
    std::size_t start = std::string_view::npos;
    for (std::size_t pos = 0; pos < restriction.size(); pos += GbkCharLength(restriction, pos)) {
        if (restriction[pos] != '|') continue;
        if (start != std::string_view::npos) codes.emplace_back(restriction.substr(start, pos - start));
        start = pos + 1;
    }
    return codes;
}

void CheckEntries(const PrintTemplate& made) {
    const std::vector<ListCellEntry>& entries = made.ListEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ListCellEntry& entry = entries[i];
        Check(entry.row >= 1 && entry.column >= 1 && entry.column <= 26 * 27, "a list cell outside the sheet");
        Check(NoLineBreak(entry.name), "a list name across lines");
        std::size_t first = 0;
        while (entries[first].name != entry.name) ++first;
        const std::optional<CellRef> found = made.FindListCell(entry.name);
        Check(found && *found == (CellRef{entries[first].row, entries[first].column}),
              "a list entry not found at its cell");
    }
}

void CheckLookups(const PrintTemplate& made, std::string_view text) {
    for (const std::string& key : Keys()) {
        Check(made.GetInt(key) >= -1 || text.find('-') != std::string_view::npos, "a negative number without a minus");
        Check(NoLineBreak(made.GetString(key)), "a text value across lines");
        if (const std::optional<CellRef> cell = made.GetCell(key))
            Check(cell->row >= 1 && cell->column >= 1 && cell->column <= 26 * 27, "a key cell outside the sheet");
    }
    Check(made.KindRestriction() == made.GetString(Utf8ToGbk("快递类别限制")), "a kind restriction not its value");
    Check(made.DestinationRestriction() == made.GetString(Utf8ToGbk("目的地限制")),
          "a destination restriction not its value");
    Check(made.HasRestrictions() == (!made.KindRestriction().empty() && !made.DestinationRestriction().empty()),
          "restrictions present and absent");
    const std::vector<std::string> kinds = Codes(made.KindRestriction());
    const std::vector<std::string> destinations = Codes(made.DestinationRestriction());
    const std::string anyDestination = destinations.empty() ? std::string("?") : destinations.front();
    if (made.DestinationRestriction().empty() || !destinations.empty())
        for (const std::string& kind : kinds)
            Check(made.MatchesRestrictions(kind, anyDestination), "a restriction not matching its own code");
}

// The first line's key, when it has a plain one (no blanks, no quote),
// gives the first line's value.
void CheckFirstLine(const PrintTemplate& made, std::string_view text) {
    const std::string_view line = text.substr(0, text.find_first_of("\r\n"));
    const std::size_t equals = line.find('=');
    if (equals == 0 || equals == std::string_view::npos) return;
    const std::string_view key = line.substr(0, equals);
    if (key.find_first_of(" \t") != std::string_view::npos) return;
    Check(made.GetString(key) == line.substr(equals + 1), "the first line's key misses its value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    const auto made = PrintTemplate::FromBytes(TemplateKind::Waybill, "F", std::string(input), "W");
    Check(made != nullptr, "no template");
    Check(made->Definition() == input && made->Workbook() == "W", "a template that lost its bytes");
    CheckEntries(*made);
    const std::string_view text = input.substr(0, input.find('\0'));
    CheckLookups(*made, text);
    CheckFirstLine(*made, text);

    const auto crLf = PrintTemplate::FromBytes(TemplateKind::Waybill, "F", CrLf(text), "W");
    Check(crLf->ListEntries() == made->ListEntries(), "CR LF lines give other list entries");
    for (const std::string& key : Keys())
        Check(crLf->GetInt(key) == made->GetInt(key) && crLf->GetString(key) == made->GetString(key) &&
                  crLf->GetCell(key) == made->GetCell(key),
              "CR LF lines give another key value");
    for (const std::string& block : Blocks())
        Check(WithoutCr(crLf->GetBlock(block)) == WithoutCr(made->GetBlock(block)), "CR LF lines give another block");
    return 0;
}
