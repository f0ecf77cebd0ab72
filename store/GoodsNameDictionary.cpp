#include "store/GoodsNameDictionary.h"

#include <fstream>

#include "text/GbkBytes.h"

namespace tallux {
namespace {
constexpr std::size_t kFileHeaderBytes = 8;
constexpr std::size_t kLongestCodeQuery = 7;
}  // namespace

bool GoodsNameDictionary::Load(const std::string& path) {
    std::vector<GoodsNameRecord> records;
    std::ifstream in(path, std::ios::binary);
    char header[kFileHeaderBytes];
    if (in && in.read(header, sizeof header)) {
        GoodsNameRecord record;
        while (in.read(reinterpret_cast<char*>(&record), sizeof record)) records.push_back(record);
    }
    Assign(std::move(records));
    return true;
}

void GoodsNameDictionary::Assign(std::vector<GoodsNameRecord> records) {
    records_ = std::move(records);
    mode_ = 0;
    BuildIndexes();
}

void GoodsNameDictionary::BuildIndexes() {
    std::vector<std::string_view> codes, chinese, english;
    for (const GoodsNameRecord& r : records_) {
        codes.push_back(r.code.view());
        chinese.push_back(r.chineseName.view());
        english.push_back(r.englishName.view());
    }
    byCode_.Build(std::move(codes));
    byChinese_.Build(std::move(chinese));
    byEnglish_.Build(std::move(english));
}

std::optional<std::string_view> GoodsNameDictionary::ChineseForEnglish(std::string_view english) const {
    if (english.empty()) return std::nullopt;
    int p = byEnglish_.FindEqual(english);
    if (p < 0) return std::nullopt;
    return records_[static_cast<std::size_t>(byEnglish_.ItemAt(p))].chineseName.view();
}

std::optional<std::string_view> GoodsNameDictionary::EnglishForChinese(std::string_view chinese) const {
    if (chinese.empty()) return std::nullopt;
    int p = byChinese_.FindEqual(chinese);
    if (p < 0) return std::nullopt;
    return records_[static_cast<std::size_t>(byChinese_.ItemAt(p))].englishName.view();
}

std::string GoodsNameDictionary::TranslateToChinese(std::string_view text) const {
    return Translate(text, &GoodsNameDictionary::ChineseForEnglish);
}

std::string GoodsNameDictionary::TranslateToEnglish(std::string_view text) const {
    return Translate(text, &GoodsNameDictionary::EnglishForChinese);
}

std::string GoodsNameDictionary::Translate(std::string_view text, Lookup lookup) const {
    const char separator = text.find(',') != std::string_view::npos ? ',' : ' ';
    if (mode_ == 0) {
        std::size_t open = text.find('(');
        if (open != std::string_view::npos && text.find(')', open) != std::string_view::npos)
            text = text.substr(0, open);
    }
    if (auto whole = (this->*lookup)(text)) return std::string(*whole);

    // Separators and blanks are ASCII and can never be the second byte of a
    // GBK character, so splitting on bytes is safe.
    std::string out;
    std::size_t pos = 0;
    while (true) {
        std::size_t end = text.find(separator, pos);
        std::string_view part = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        auto translated = (this->*lookup)(part);
        out.append(translated ? *translated : part);
        if (end == std::string_view::npos) break;
        out.push_back(separator);
        pos = end + 1;
        while (pos < text.size() && text[pos] == ' ') ++pos;
    }
    return out;
}

std::optional<std::string_view> GoodsNameDictionary::CodeForName(std::string_view text) const {
    if (int p = byChinese_.FindEqual(text); p >= 0)
        return records_[static_cast<std::size_t>(byChinese_.ItemAt(p))].code.view();
    if (int p = byEnglish_.FindEqual(text); p >= 0)
        return records_[static_cast<std::size_t>(byEnglish_.ItemAt(p))].code.view();
    return std::nullopt;
}

GoodsNameDictionary::Suggestions GoodsNameDictionary::FromIndex(const SortedTextIndex& index, int position) const {
    Suggestions out{};
    for (std::size_t slot = 0; slot < out.size() && position < index.Size(); ++slot, ++position)
        out[slot] = &records_[static_cast<std::size_t>(index.ItemAt(position))];
    return out;
}

GoodsNameDictionary::Suggestions GoodsNameDictionary::Suggest(std::string_view text) const {
    const bool chinese = !text.empty() && static_cast<unsigned char>(text[0]) >= 0x80;
    const SortedTextIndex& index = chinese ? byChinese_ : text.size() > kLongestCodeQuery ? byEnglish_ : byCode_;
    int position = index.FindPrefix(text);
    if (position >= 0) return FromIndex(index, position);

    Suggestions out{};
    std::size_t slot = 0;
    for (const GoodsNameRecord& r : records_) {
        if (slot == out.size()) break;
        bool hit = chinese ? FindAtCharBoundary(r.chineseName.view(), text, false) != std::string_view::npos
                           : FindAtCharBoundary(r.englishName.view(), text, true) != std::string_view::npos;
        if (hit) out[slot++] = &r;
    }
    return out;
}

}  // namespace tallux
