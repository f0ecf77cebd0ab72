#include "net/EmsKindSettings.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>

#include "text/GbkBytes.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

// Section markers and keys are written in the file's encoding.
struct Words {
    std::string orderBegin = Utf8ToGbk("<快递类别顺序定义开始>"), orderEnd = Utf8ToGbk("<快递类别顺序定义结束>");
    std::string numberBegin = Utf8ToGbk("<取单号快递类别定义开始>"), numberEnd = Utf8ToGbk("<取单号快递类别定义结束>");
    std::string transferBegin = Utf8ToGbk("<取转单号快递类别定义开始>"),
                transferEnd = Utf8ToGbk("<取转单号快递类别定义结束>");
    std::string extensionBegin = Utf8ToGbk("<取单号管理扩展定义开始>"),
                extensionEnd = Utf8ToGbk("<取单号管理扩展定义结束>");
    std::string selectorKey = Utf8ToGbk("取单号类别="), modeKey = Utf8ToGbk("取单号模式=");
    std::string oneToManyBegin = Utf8ToGbk("<一对多取单号定义开始>"),
                oneToManyEnd = Utf8ToGbk("<一对多取单号定义结束>");
    std::string virtualBegin = Utf8ToGbk("<虚拟取单ID定义开始>"), virtualEnd = Utf8ToGbk("<虚拟取单ID定义结束>");
    std::string fillBegin = Utf8ToGbk("<字段填写定义开始>"), fillEnd = Utf8ToGbk("<字段填写定义结束>");
    std::string entryBegin = Utf8ToGbk("<录单相关定");
    std::string noLocalNumbersKey = Utf8ToGbk("禁用本地单号生成="), autoLabelKey = Utf8ToGbk("强制自动选择标签模板=");
    std::string keepTemplatesKey = Utf8ToGbk("下载模板时不删除旧模板=");
    std::string noFilterKey = Utf8ToGbk("打印收件人信息组合不过滤字段=");
    std::string originKey = Utf8ToGbk("默认产地="), currencyKey = Utf8ToGbk("默认币种=");
};

const Words& W() {
    static const Words words;
    return words;
}

// The text between the first begin marker and the following end marker;
// found is false when either is missing.
std::string_view Section(std::string_view text, std::string_view begin, std::string_view end, bool& found) {
    found = false;
    std::size_t from = FindAtCharBoundary(text, begin, false);
    if (from == std::string_view::npos) return {};
    from += begin.size();
    std::size_t to = FindAtCharBoundary(text.substr(from), end, false);
    if (to == std::string_view::npos) return {};
    found = true;
    return text.substr(from, to);
}

// Non-empty lines; CR and LF both end a line.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        if (!line.empty()) lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// atoi-like: leading blanks, a sign, digits; 0 when none, the nearest int
// for a number beyond the int range.
int Number(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > 999999999) break;
    }
    return static_cast<int>(std::clamp<long>(negative ? -value : value, INT_MIN, INT_MAX));
}

std::string Cut(std::string_view text, std::size_t bytes) { return std::string(CutAtCharBoundary(text, bytes)); }

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// "name=value" entries of a section; lines without "=" or with an empty
// name are skipped.
template <typename Fn>
void ForEachEntry(std::string_view section, Fn fn) {
    for (std::string_view line : Lines(section)) {
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0) continue;
        fn(line.substr(0, eq), line.substr(eq + 1));
    }
}

std::vector<EmsKindSettings::NamedNumber> NamedNumbers(std::string_view section, std::size_t nameLimit) {
    std::vector<EmsKindSettings::NamedNumber> out;
    ForEachEntry(section, [&](std::string_view name, std::string_view value) {
        out.push_back({Cut(name, nameLimit), Number(value)});
    });
    return out;
}

// The value of key when it starts a line of text; found is false otherwise.
std::string_view KeyValue(std::string_view text, std::string_view key, bool& found) {
    found = false;
    for (std::size_t from = 0; from < text.size();) {
        std::size_t at = FindAtCharBoundary(text.substr(from), key, false);
        if (at == std::string_view::npos) return {};
        at += from;
        if (at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r') {
            found = true;
            std::string_view value = text.substr(at + key.size());
            return value.substr(0, value.find_first_of("\r\n"));
        }
        from = at + key.size();
    }
    return {};
}

void ParseExtension(std::string_view extension, EmsKindSettings& settings) {
    const Words& w = W();
    bool found = false;
    std::string_view value = KeyValue(extension, w.selectorKey, found);
    if (found) settings.numberKindSelector = Number(value);
    value = KeyValue(extension, w.modeKey, found);
    if (found) settings.numberMode = Number(value);

    std::string_view section = Section(extension, w.oneToManyBegin, w.oneToManyEnd, found);
    ForEachEntry(section, [&](std::string_view name, std::string_view values) {
        EmsKindSettings::OneToMany entry{Cut(name, 15), {}};
        for (std::string_view v : Split(values, '|')) entry.values.push_back(Cut(v, 15));
        settings.oneToMany.push_back(std::move(entry));
    });
    settings.virtualIds = NamedNumbers(Section(extension, w.virtualBegin, w.virtualEnd, found), 15);

    section = Section(extension, w.fillBegin, w.fillEnd, found);
    ForEachEntry(section, [&](std::string_view name, std::string_view values) {
        std::vector<std::string_view> parts = Split(values, '|');
        if (parts.size() < 7) return;  // too few values: not a definition
        EmsKindSettings::FieldFill fill;
        fill.name = Cut(name, 15);
        // The first value is not used.
        fill.title = Cut(CutAtCharBoundary(parts[1], 254), 30);
        for (std::size_t i = 0; i < 4; ++i) fill.texts[i] = Cut(CutAtCharBoundary(parts[2 + i], 254), 63);
        fill.last = Cut(parts[6], 254);
        settings.fieldFills.push_back(std::move(fill));
    });
}

}  // namespace

EmsKindSettings ParseEmsKindSettings(std::string_view text) {
    const Words& w = W();
    EmsKindSettings settings;
    bool found = false;

    ForEachEntry(Section(text, w.orderBegin, w.orderEnd, found), [&](std::string_view name, std::string_view rest) {
        KindList::OrderEntry entry;
        entry.name = std::string(name);
        std::size_t eq = rest.find('=');
        entry.number = Number(rest.substr(0, eq));
        if (eq != std::string_view::npos) entry.templateName = std::string(rest.substr(eq + 1));
        settings.kindOrder.push_back(std::move(entry));
    });
    settings.numberKinds = NamedNumbers(Section(text, w.numberBegin, w.numberEnd, found), 15);
    // Names are kind names (at most 31 bytes).
    settings.transferKinds = NamedNumbers(Section(text, w.transferBegin, w.transferEnd, found), 31);

    std::string_view extension = Section(text, w.extensionBegin, w.extensionEnd, found);
    if (found) ParseExtension(extension, settings);

    std::size_t entry = FindAtCharBoundary(text, w.entryBegin, false);
    if (entry != std::string_view::npos) {
        std::string_view rest = text.substr(entry);
        std::string_view value = KeyValue(rest, w.noLocalNumbersKey, found);
        if (found) settings.disableLocalNumbers = Number(value) == 1;
        value = KeyValue(rest, w.autoLabelKey, found);
        if (found) settings.forceAutoLabelTemplate = Number(value) == 1;
        value = KeyValue(rest, w.keepTemplatesKey, found);
        if (found) settings.keepOldTemplates = Number(value) == 1;
        value = KeyValue(rest, w.noFilterKey, found);
        if (found) settings.filterRecipientFields = Number(value) == 0;
        value = KeyValue(rest, w.originKey, found);
        if (found && (value.size() == 2 || value.size() == 3)) settings.defaultOrigin = std::string(value);
        value = KeyValue(rest, w.currencyKey, found);
        if (found && value.size() == 3) settings.defaultCurrency = std::string(value);
    }
    return settings;
}

EmsKindSettings LoadEmsKindSettings(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kEmsKindFileLimit) return {};
    }
    return ParseEmsKindSettings(text);
}

}  // namespace tallux
