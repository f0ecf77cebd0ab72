#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/PieceWeightRecord.h"

namespace tallux {

// The inputs of the piece-weights dialog, as the operator typed them.
struct PieceInputs {
    double weightKg = 0;
    std::int64_t length = 0;  // cm
    std::int64_t width = 0;
    std::int64_t height = 0;
    int percent = 100;  // weighting of the volumetric weight
    int count = 1;      // identical pieces entered at once
    std::u16string description;
    std::u16string alias;
    std::u16string codeA;
    std::u16string codeB;
    std::u16string codeC;
    int quantity = 1;
    double unitPrice = 1.0;
    double duty = 0;
    double taxRate = 0;

    bool operator==(const PieceInputs&) const = default;
};

enum class PieceField {
    None,
    Weight,
    Length,
    Width,
    Height,
    Percent,
    Description,
    Alias,
    CodeA,
    CodeB,
    CodeC,
    UnitPrice
};

// A refused confirmation: the message to show (empty: refused silently)
// and the field that gets the focus.
struct PieceRefusal {
    std::string message;
    PieceField field = PieceField::None;
};

inline constexpr int kMaxPiecePercent = 255;

// The piece-weights dialog without its window: N pieces of one shipment,
// the current piece (a new one while fewer than N exist, else cycling
// through them), the running total of chargeable weights.
class PieceWeightsSession {
public:
    // pieces is the form's array, changed in place by every confirmation.
    PieceWeightsSession(std::vector<PieceWeightRecord>& pieces, int formPieces, char letter);

    int PieceCount() const { return count_; }  // N, at least 1
    int CurrentIndex() const { return current_; }
    bool Adding() const { return adding_; }
    bool Changed() const { return changed_; }
    const PieceInputs& Inputs() const { return inputs_; }
    char Letter() const { return letter_; }

    // Double-click on a row: that piece becomes current and its values the
    // inputs.
    void Select(int index);
    // "重输": a new piece's defaults, keeping the percent.
    void ResetInputs();
    // "确认当前件": checks and stores the inputs into the current piece (or
    // new pieces, count of them, never more than N in all), then moves on.
    std::optional<PieceRefusal> Confirm(PieceInputs inputs);

    // Sum of the chargeable weights of all pieces, grams.
    std::int64_t TotalGrams() const;
    // "第% 2d 件/共% 2d 件"; shown dark red while an existing piece is current.
    std::u16string CurrentPieceText() const;
    // "累计重量：%.3f公斤".
    std::u16string TotalText() const;
    // The list's 16 cells of piece index.
    std::vector<std::u16string> RowTexts(int index) const;

    static std::int64_t ChargeableGrams(const PieceWeightRecord& piece, char letter);

private:
    void AfterConfirm();
    void LoadInputs(const PieceWeightRecord& piece);

    std::vector<PieceWeightRecord>& pieces_;
    int count_;
    char letter_;
    int current_ = 0;
    bool adding_ = true;
    bool changed_ = false;
    PieceInputs inputs_;
};

}  // namespace tallux
