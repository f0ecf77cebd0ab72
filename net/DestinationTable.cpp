#include "net/DestinationTable.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "text/GbkBytes.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

constexpr std::string_view kVersionPrefix = "VERSION:";

// Reads a small decimal number at pos (blanks and a sign allowed before the
// digits, as atoi does), stopping at the end of the text.
int SmallNumber(std::string_view text, std::size_t pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    int value = 0;
    for (int digits = 0; pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 9; ++pos, ++digits)
        value = value * 10 + (text[pos] - '0');
    return negative ? -value : value;
}

// Splits off the text up to the next tab; false when there is no tab.
bool TakeField(std::string_view& rest, std::string_view& field) {
    std::size_t tab = rest.find('\t');
    if (tab == std::string_view::npos) return false;
    field = rest.substr(0, tab);
    rest.remove_prefix(tab + 1);
    return true;
}

std::string_view StripCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// True when pos is a character boundary of text and text from pos on is
// exactly tail.
bool TailEquals(std::string_view text, std::size_t pos, std::string_view tail) {
    if (text.size() <= pos) return false;
    std::size_t at = 0;
    while (at < pos) at += GbkCharLength(text, at);
    return at == pos && text.substr(pos) == tail;
}

bool ParseLine(std::string_view line, int version, DestinationRecord& record) {
    // The two small numbers lead the line ("a b"); the fields follow its
    // first tab.
    std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    std::string_view numbers = line.substr(0, tab);
    std::string_view rest = line.substr(tab + 1);
    std::string_view code, third, fourth, zh, en, extra1, extra2;
    if (!TakeField(rest, code) || !TakeField(rest, third) || !TakeField(rest, fourth) || !TakeField(rest, zh))
        return false;
    if (version == 0) {
        en = rest;
    } else {
        if (!TakeField(rest, en) || !TakeField(rest, extra1)) return false;
        extra2 = rest;
    }
    std::memset(&record, 0, sizeof record);
    record.firstNumber = static_cast<std::uint8_t>(SmallNumber(numbers, 0));
    record.secondNumber = static_cast<std::uint8_t>(numbers.size() > 2 ? SmallNumber(numbers, 2) : 0);
    record.code.assign(code);
    record.third.assign(third);
    record.fourth.assign(fourth);
    record.nameZh.assign(zh);
    record.nameEn.assign(en);
    record.extra1.assign(extra1);
    record.extra2.assign(extra2);
    return true;
}

}  // namespace

std::string_view DestinationTable::Key(const DestinationRecord& record, IndexKey key) {
    switch (key) {
    case ByCode: return record.code.view();
    case ByThird: return record.third.view();
    case ByChineseName: return record.nameZh.view();
    case ByEnglishName: return record.nameEn.view();
    default: return record.fourth.view();
    }
}

void DestinationTable::Clear() {
    // One counter for all tables: no two contents ever share a stamp.
    static std::atomic<std::uint64_t> lastStamp{0};
    records_.clear();
    for (auto& index : indexes_) index.clear();
    version_ = 0;
    stamp_ = ++lastStamp;
}

bool DestinationTable::Parse(std::string_view text) {
    Clear();
    if (text.substr(0, kVersionPrefix.size()) == kVersionPrefix) {
        std::size_t end = text.find('\n');
        version_ = SmallNumber(text.substr(0, end), kVersionPrefix.size());
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = StripCr(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        DestinationRecord record;
        if (!ParseLine(line, version_, record)) break;
        record.sequence = static_cast<std::int32_t>(records_.size() + 1);
        records_.push_back(record);
    }
    BuildIndexes();
    return !records_.empty();
}

void DestinationTable::BuildIndexes() {
    for (int k = 0; k < kIndexCount; ++k) {
        auto key = static_cast<IndexKey>(k);
        std::vector<int>& index = indexes_[static_cast<std::size_t>(k)];
        index.resize(records_.size());
        for (std::size_t i = 0; i < index.size(); ++i) index[i] = static_cast<int>(i);
        // Stable: among equal keys the earlier record comes first.
        std::stable_sort(index.begin(), index.end(), [&](int a, int b) {
            return CompareNoCase(Key(records_[static_cast<std::size_t>(a)], key),
                                 Key(records_[static_cast<std::size_t>(b)], key)) < 0;
        });
    }
}

const DestinationRecord* DestinationTable::RecordAt(int index) const {
    if (index < 0 || index >= Size()) return nullptr;
    return &records_[static_cast<std::size_t>(index)];
}

const DestinationRecord& DestinationTable::At(IndexKey key, int position) const {
    return records_[static_cast<std::size_t>(
        indexes_[static_cast<std::size_t>(key)][static_cast<std::size_t>(position)])];
}

std::vector<const DestinationRecord*> DestinationTable::InIndexOrder(IndexKey key) const {
    std::vector<const DestinationRecord*> out;
    for (int i = 0; i < Size(); ++i) out.push_back(&At(key, i));
    return out;
}

int DestinationTable::FindPrefix(IndexKey key, std::string_view prefix) const {
    const std::vector<int>& index = indexes_[static_cast<std::size_t>(key)];
    auto it = std::partition_point(index.begin(), index.end(), [&](int i) {
        return CompareNoCase(Key(records_[static_cast<std::size_t>(i)], key), prefix, prefix.size()) < 0;
    });
    if (it == index.end() || !StartsWithNoCase(Key(records_[static_cast<std::size_t>(*it)], key), prefix)) return -1;
    return static_cast<int>(it - index.begin());
}

const DestinationRecord* DestinationTable::FindEqual(IndexKey key, std::string_view text, bool caseless) const {
    const std::vector<int>& index = indexes_[static_cast<std::size_t>(key)];
    auto it = std::partition_point(index.begin(), index.end(), [&](int i) {
        return CompareNoCase(Key(records_[static_cast<std::size_t>(i)], key), text) < 0;
    });
    // The index is sorted ignoring case, so an exact match can be anywhere
    // in the run of keys equal ignoring case.
    for (; it != index.end(); ++it) {
        const DestinationRecord& record = records_[static_cast<std::size_t>(*it)];
        std::string_view candidate = Key(record, key);
        if (CompareNoCase(candidate, text) != 0) break;
        if (caseless || candidate == text) return &record;
    }
    return nullptr;
}

DestinationTable::Suggestions DestinationTable::SuggestDestinations(std::string_view text) const {
    Suggestions out{};
    if (text.empty()) return out;
    IndexKey key = ByCode;
    if (static_cast<unsigned char>(text[0]) >= 0x80) {
        key = ByChineseName;
    } else if (text.find(' ') != std::string_view::npos) {
        key = ByEnglishName;
    } else if (text.size() > 3 && text.find_first_not_of("0123456789") == std::string_view::npos) {
        key = ByFourth;
    }
    int hit = FindPrefix(key, text);
    if (hit >= 0) {
        for (std::size_t slot = 0; slot < out.size() && hit < Size(); ++slot, ++hit) out[slot] = &At(key, hit);
        return out;
    }
    // No prefix hit: names containing the text, with names that end in it
    // after a two- or three-character prefix ("广东深圳" for "深圳") last.
    std::vector<const DestinationRecord*> results;
    const DestinationRecord* afterSix = nullptr;
    const DestinationRecord* afterFour = nullptr;
    for (const DestinationRecord& record : records_) {
        if (results.size() >= out.size()) break;
        std::string_view zh = record.nameZh.view();
        if (zh.size() > 6 && TailEquals(zh, 6, text)) {
            if (afterSix) results.push_back(afterSix);
            afterSix = &record;
        } else if (zh.size() > 4 && TailEquals(zh, 4, text)) {
            if (afterFour) results.push_back(afterFour);
            afterFour = &record;
        } else if (FindAtCharBoundary(zh, text, true) != std::string_view::npos ||
                   FindAtCharBoundary(record.nameEn.view(), text, true) != std::string_view::npos) {
            results.push_back(&record);
        }
    }
    if (afterSix) results.push_back(afterSix);
    if (afterFour) results.push_back(afterFour);
    for (std::size_t i = 0; i < out.size() && i < results.size(); ++i) out[i] = results[i];
    return out;
}

const DestinationRecord* DestinationTable::FindDestinationByChineseName(std::string_view text) const {
    return FindEqual(ByChineseName, text, false);
}

const DestinationRecord* DestinationTable::FindDestinationByCode(std::string_view text) const {
    return FindEqual(ByCode, text, false);
}

const DestinationRecord* DestinationTable::FindDestinationByEnglishName(std::string_view text) const {
    return FindEqual(ByEnglishName, text, true);
}

const DestinationRecord* DestinationTable::FindDestinationAny(std::string_view text) const {
    if (text.empty()) return nullptr;
    if (const DestinationRecord* r = FindDestinationByEnglishName(text)) return r;
    if (const DestinationRecord* r = FindDestinationByChineseName(text)) return r;
    if (const DestinationRecord* r = FindDestinationByCode(text)) return r;
    for (const DestinationRecord& record : records_)
        if (FindAtCharBoundary(record.nameEn.view(), text, true) != std::string_view::npos) return &record;
    return nullptr;
}

const DestinationRecord* DestinationTable::ResolveDestination(std::string_view text) const {
    if (text.empty()) return nullptr;
    if (const DestinationRecord* r = FindDestinationByChineseName(text)) return r;
    // Short names shared by places in several provinces.
    static const struct {
        std::string gbkShort, gbkFull;
    } kAmbiguous[] = {{Utf8ToGbk("鞍山"), Utf8ToGbk("辽宁鞍山")},
                      {Utf8ToGbk("眉山"), Utf8ToGbk("四川眉山")},
                      {Utf8ToGbk("龙泉"), Utf8ToGbk("浙江龙泉")},
                      {Utf8ToGbk("普兰"), Utf8ToGbk("西藏普兰")}};
    for (const auto& a : kAmbiguous) {
        if (text != a.gbkShort) continue;
        if (const DestinationRecord* r = FindDestinationByChineseName(a.gbkFull)) return r;
    }
    std::vector<const DestinationRecord*> collected;
    for (const DestinationRecord& record : records_) {
        std::string_view zh = record.nameZh.view();
        if (FindAtCharBoundary(zh, text, false) == std::string_view::npos) continue;
        if (zh.size() == text.size() || (zh.size() > 6 && TailEquals(zh, 6, text))) return &record;
        collected.push_back(&record);
    }
    if (collected.empty()) return nullptr;
    if (collected.size() > 1) {
        for (const DestinationRecord* record : collected) {
            std::string_view zh = record->nameZh.view();
            if (zh.size() > 4 && TailEquals(zh, 4, text)) return record;
        }
    }
    return collected.front();
}

}  // namespace tallux
