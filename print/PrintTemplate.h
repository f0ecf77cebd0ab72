#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "print/TemplateKinds.h"

namespace tallux {

// A cell of a workbook sheet, both 1-based: column 1 is A, 26 is Z, 27 AA.
struct CellRef {
    int row = 0;
    int column = 0;
    friend bool operator==(const CellRef&, const CellRef&) = default;
};

// One entry of a definition's list section ("<列表定义开始>" …
// "<列表定义结束>"): a GBK field name and the cell the value goes into.
struct ListCellEntry {
    std::string name;
    int row = 0;
    int column = 0;
    friend bool operator==(const ListCellEntry&, const ListCellEntry&) = default;
};

// PrintTemplate (one of the shared names): one loaded print template, the
// workbook the office fills and its definition text, which says where each
// value goes and which printing options apply.
//
// A template never changes once built and is handed around as
// shared_ptr<const PrintTemplate>: a print job keeps the one it started
// with while the operator chooses another, and every lookup is a pure read
// that returns its result by value, so any thread may use it.
//
// The definition is GBK text; lines end in CR LF or LF; a zero byte (a
// downloaded definition ends in one) ends the text. Keys are compared byte
// for byte. A key line is KEY=value: a line that begins with the key,
// followed by blanks (spaces, tabs) and "="; a line that begins with a
// longer key ("内单条码方向2=1" for "内单条码方向") or holds anything else
// before "=" is not the key's line and the search goes on with later lines.
class PrintTemplate {
public:
    // Builds the template of kind named nameGbk (the listed name, without
    // prefix and extension) from its two files' bytes. Never null: every
    // text parses, what does not fit the grammar is not there.
    static std::shared_ptr<const PrintTemplate> FromBytes(TemplateKind kind, std::string nameGbk,
                                                          std::string definition, std::string workbook);

    TemplateKind Kind() const { return kind_; }
    const std::string& NameGbk() const { return nameGbk_; }
    // The name in UTF-8.
    const std::string& Name() const { return name_; }
    // The whole .xls file, never interpreted here.
    const std::string& Workbook() const { return workbook_; }
    // The whole .txt file as it was given.
    const std::string& Definition() const { return definition_; }

    // The values of "目的地限制" and "快递类别限制" (GBK, whole), such
    // as "|US|CA|"; empty when absent.
    const std::string& DestinationRestriction() const { return destinationRestriction_; }
    const std::string& KindRestriction() const { return kindRestriction_; }

    // The list section's entries in file order.
    const std::vector<ListCellEntry>& ListEntries() const { return listEntries_; }

    // The number after the key line's "=" (blanks skipped, an optional
    // sign, digits up to the first non-digit; none gives 0). −1 when there
    // is no key line or the number is beyond int.
    int GetInt(std::string_view keyGbk) const;

    // The key line's value: everything after "=" up to the line's end,
    // untrimmed and whole. At most two blanks may stand between key and
    // "=". Empty when there is no such line.
    std::string GetString(std::string_view keyGbk) const;

    // The key line's value read as a cell: one or two letters (either
    // case) and the row digits, the value at most 14 bytes. The "=" rule is
    // GetString's. nullopt when there is no such line or its value is no
    // cell with a positive row.
    std::optional<CellRef> GetCell(std::string_view keyGbk) const;

    // The text between "<" name "开始>" and the next "<" name "结束>",
    // line breaks kept; empty when either marker is missing.
    std::string GetBlock(std::string_view nameGbk) const;

    // The cell of the first list entry named exactly nameGbk.
    std::optional<CellRef> FindListCell(std::string_view nameGbk) const;

    // True when the kind restriction is empty or holds "|" kindCode "|"
    // and the destination restriction is empty or holds "|" destination
    // "|".
    bool MatchesRestrictions(std::string_view kindCode, std::string_view destination) const;
    // Both restrictions are non-empty.
    bool HasRestrictions() const { return !kindRestriction_.empty() && !destinationRestriction_.empty(); }

private:
    PrintTemplate(TemplateKind kind, std::string nameGbk, std::string definition, std::string workbook);

    // The definition up to its first zero byte: what every lookup reads.
    std::string_view Text() const;

    TemplateKind kind_;
    std::string nameGbk_;
    std::string name_;
    std::string definition_;
    std::string workbook_;
    std::string destinationRestriction_;
    std::string kindRestriction_;
    std::vector<ListCellEntry> listEntries_;
};

}  // namespace tallux
