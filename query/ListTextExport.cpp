#include "query/ListTextExport.h"

#include <algorithm>

namespace tallux {
namespace {

char16_t LowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c; }

bool EndsWithIgnoringCase(std::u16string_view text, std::u16string_view suffix) {
    if (text.size() < suffix.size()) return false;
    const std::u16string_view tail = text.substr(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (LowerAscii(tail[i]) != suffix[i]) return false;
    return true;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

ExportFormat ExportFormatForFilter(int filterIndex) {
    return filterIndex == static_cast<int>(ExportFormat::Text) ? ExportFormat::Text : ExportFormat::Spreadsheet;
}

std::u16string ExportPathWithExtension(std::u16string_view path, int filterIndex) {
    const std::u16string_view extension = ExportFormatForFilter(filterIndex) == ExportFormat::Text ? u".txt" : u".xls";
    std::u16string result(path);
    if (!EndsWithIgnoringCase(path, extension)) result += extension;
    return result;
}

std::u16string ExportCellText(std::u16string_view cell) {
    std::size_t length = std::min(cell.size(), kExportCellLimit);
    // A cut between the halves of a pair would leave half a character.
    if (length < cell.size() && length > 0 && IsHighSurrogate(cell[length - 1])) --length;
    std::u16string text(cell.substr(0, length));
    for (char16_t& c : text)
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
    return text;
}

ListTextExport::ListTextExport(std::u16string_view title, std::u16string_view subtitle,
                               const std::vector<std::u16string_view>& headings) {
    bytes_ = "\xFF\xFE";
    Append(title);
    Append(u"\r\n");
    Append(subtitle);
    Append(u"\r\n\r\n");
    for (std::u16string_view heading : headings) {
        Append(heading);
        Append(u"\t");
    }
    Append(u"\r\n");
}

void ListTextExport::AddRow(const std::vector<std::u16string_view>& cells) {
    for (std::u16string_view cell : cells) {
        Append(ExportCellText(cell));
        Append(u"\t");
    }
    Append(u"\r\n");
}

void ListTextExport::Append(std::u16string_view text) {
    const std::size_t start = bytes_.size();
    bytes_.resize(start + text.size() * 2);
    char* out = bytes_.data() + start;
    for (char16_t c : text) {
        *out++ = static_cast<char>(c & 0xFF);
        *out++ = static_cast<char>(c >> 8);
    }
}

}  // namespace tallux
