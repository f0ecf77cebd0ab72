#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/GoodsNameRecord.h"
#include "store/SortedTextIndex.h"

namespace tallux {

// The read-only goods name dictionary: goods names in Chinese and English
// with a code, loaded whole from DATA_SYS/varno7_0.dat (an 8-byte header,
// then 276-byte records). Texts are GBK.
class GoodsNameDictionary {
public:
    using Suggestions = std::array<const GoodsNameRecord*, 4>;

    // Loads path; a missing or short file leaves fewer (or no) entries.
    // Always succeeds.
    bool Load(const std::string& path);
    void Assign(std::vector<GoodsNameRecord> records);

    const std::vector<GoodsNameRecord>& Records() const { return records_; }

    // In mode 0 (after loading) the composite translations drop a
    // parenthesised tail first.
    int Mode() const { return mode_; }
    void SetMode(int mode) { mode_ = mode; }

    // Exact lookups ignoring case; nothing for an empty text.
    std::optional<std::string_view> ChineseForEnglish(std::string_view english) const;
    std::optional<std::string_view> EnglishForChinese(std::string_view chinese) const;

    // Translate a whole name, or else each part of a comma- or
    // blank-separated list, keeping the parts that have no translation.
    std::string TranslateToChinese(std::string_view text) const;
    std::string TranslateToEnglish(std::string_view text) const;

    // The code of the entry whose Chinese, else English, name equals text.
    std::optional<std::string_view> CodeForName(std::string_view text) const;

    // Up to 4 entries for what the operator typed so far.
    Suggestions Suggest(std::string_view text) const;

private:
    using Lookup = std::optional<std::string_view> (GoodsNameDictionary::*)(std::string_view) const;
    std::string Translate(std::string_view text, Lookup lookup) const;
    void BuildIndexes();
    Suggestions FromIndex(const SortedTextIndex& index, int position) const;

    std::vector<GoodsNameRecord> records_;
    SortedTextIndex byCode_, byChinese_, byEnglish_;
    int mode_ = 0;
};

}  // namespace tallux
