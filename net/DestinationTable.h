#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "store/FixedText.h"

namespace tallux {

// One destination of the base data, 148 bytes as the other parts of the
// client lay it out. Texts are GBK.
struct DestinationRecord {
    std::int32_t sequence;  // 1, 2, ... in file order
    FixedText<32> nameZh;
    FixedText<64> nameEn;
    FixedText<8> code;
    FixedText<16> third;   // free text
    FixedText<12> fourth;  // digits
    std::uint8_t secondNumber;
    std::uint8_t firstNumber;
    FixedText<4> extra1;  // version lines only
    FixedText<6> extra2;  // version lines only
};
static_assert(sizeof(DestinationRecord) == 148);
static_assert(offsetof(DestinationRecord, nameEn) == 36 && offsetof(DestinationRecord, code) == 100 &&
              offsetof(DestinationRecord, fourth) == 124 && offsetof(DestinationRecord, firstNumber) == 137 &&
              offsetof(DestinationRecord, extra2) == 142);

// The destination table with five case-insensitively sorted indexes.
class DestinationTable {
public:
    enum IndexKey { ByCode, ByThird, ByChineseName, ByEnglishName, ByFourth, kIndexCount };

    // Replaces the table with the records of the text: an optional first
    // line "VERSION:<n>", then one line per record. A line with fewer fields
    // ends the table. False when no record was read (the table is empty).
    bool Parse(std::string_view text);
    void Clear();
    // Replaces the table with the records of another table that keep(record)
    // accepts, in their order and with their sequence numbers.
    template <typename Keep>
    void AssignFiltered(const DestinationTable& source, Keep keep) {
        Clear();
        version_ = source.version_;
        for (const DestinationRecord& record : source.records_)
            if (keep(record)) records_.push_back(record);
        BuildIndexes();
    }

    int Size() const { return static_cast<int>(records_.size()); }
    int Version() const { return version_; }
    // Changes with every replacement of the records (a copy keeps it):
    // whatever was built from the table holds while its stamp is the same.
    std::uint64_t Stamp() const { return stamp_; }
    // nullptr outside 0..Size()-1.
    const DestinationRecord* RecordAt(int index) const;
    // Records in the order of one index (for the choice lists).
    std::vector<const DestinationRecord*> InIndexOrder(IndexKey key) const;

    using Suggestions = std::array<const DestinationRecord*, 5>;
    // Up to five records for what the operator typed (unused slots nullptr).
    Suggestions SuggestDestinations(std::string_view text) const;
    // Exact, case-sensitive.
    const DestinationRecord* FindDestinationByChineseName(std::string_view text) const;
    // Exact, case-sensitive.
    const DestinationRecord* FindDestinationByCode(std::string_view text) const;
    // Exact, ignoring case.
    const DestinationRecord* FindDestinationByEnglishName(std::string_view text) const;
    // English, Chinese, code exact, then the first English name containing
    // the text (ignoring case).
    const DestinationRecord* FindDestinationAny(std::string_view text) const;
    // A Chinese place as typed to the record it most likely means.
    const DestinationRecord* ResolveDestination(std::string_view text) const;

private:
    static std::string_view Key(const DestinationRecord& record, IndexKey key);
    void BuildIndexes();
    // First index position whose key starts with prefix (ignoring case); -1.
    int FindPrefix(IndexKey key, std::string_view prefix) const;
    // First record whose key equals text, ignoring case or exactly.
    const DestinationRecord* FindEqual(IndexKey key, std::string_view text, bool caseless) const;
    const DestinationRecord& At(IndexKey key, int position) const;

    std::vector<DestinationRecord> records_;
    std::array<std::vector<int>, kIndexCount> indexes_;
    int version_ = 0;
    std::uint64_t stamp_ = 0;
};

}  // namespace tallux
