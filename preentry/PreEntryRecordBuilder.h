#pragma once

#include <optional>
#include <string>
#include <vector>

#include "preentry/PreEntryValues.h"
#include "store/GoodsLineRecord.h"
#include "store/PieceWeightRecord.h"
#include "store/ShipmentRecord.h"

namespace tallux {

struct BaseData;
struct NumberContext;

// The first check a save failed: the message to show (UTF-8, caption
// "数据错误", error icon) and the field to put the focus in.
struct PreEntryCheckFailure {
    std::string message;
    PreEntryField field = PreEntryField::None;

    bool operator==(const PreEntryCheckFailure&) const = default;
};

inline constexpr const char* kInvalidBusinessDate = "业务日期数据不合法。";

// What a record is built from besides the form's values.
struct PreEntryBuildInput {
    const BaseData& data;
    // Asked for a waybill number when the field holds 6 characters or
    // fewer; nullptr: no number is generated (the check of the number
    // then fails as for any short number).
    const NumberContext* numbers = nullptr;
    int currentId = -1;
    const std::vector<GoodsLineRecord>& goods;
    const std::vector<PieceWeightRecord>& pieces;
};

// The save's checks and the record they build, in the form's order: the
// business date, the kind name, the waybill (upper-cased, or generated with
// its extras), the upper-casing of postcodes and transfer number, the 45
// text checks, the numbers, the actual weight and dimensions, the
// volumetric letter. values and panes are changed as the operator will see
// them whatever the outcome: texts trimmed, upper-cased, a generated
// number and its extras filled in. record is zero-filled and rebuilt; it
// is complete only when nothing is returned.
std::optional<PreEntryCheckFailure> BuildShipmentRecord(PreEntryValues& values, PreEntryPaneValues& panes,
                                                        const PreEntryBuildInput& input, ShipmentRecord& record);

// The business-date check alone: at least 8 and at most 30 bytes, then three numbers
// (year, month, day) each after any run of non-digits, a valid date with a
// year from 100 to 9999.
std::optional<PreEntryCheckFailure> ParseBusinessDate(std::u16string& text, int& year, int& month, int& day);

// The largest length, width or height a piece may have (cm), so that
// "L*W*H" and the volumetric letter fit the record's dimensions field.
inline constexpr int kMaxPieceDimension = 9999;

// The save's actual weight and dimensions text: the weight itself, or one
// piece's weight with its "L*W*H" (sides within kMaxPieceDimension), or the
// sum of the counted pieces' weights; then the volumetric letter appended.
void ApplyPieceWeights(ShipmentRecord& record, const std::vector<PieceWeightRecord>& pieces, char volumetricLetter);

}  // namespace tallux
