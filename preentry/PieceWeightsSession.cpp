#include "preentry/PieceWeightsSession.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>

#include "preentry/ChargeableWeight.h"
#include "preentry/PreEntryRecordBuilder.h"
#include "text/FixedPoint.h"
#include "text/GbkCodec.h"
#include "text/TextCheck.h"

namespace tallux {
namespace {

std::u16string Format(const char* format, auto... arguments) {
    char text[128];
    std::snprintf(text, sizeof text, format, arguments...);
    return Utf8ToUtf16(text);
}

template <std::size_t N>
std::span<char> Field(FixedText<N>& text) {
    return std::span<char>(text.bytes, N);
}

PieceInputs NewPieceInputs(int percent = 100) {
    PieceInputs inputs;
    inputs.percent = percent;
    return inputs;
}

}  // namespace

PieceWeightsSession::PieceWeightsSession(std::vector<PieceWeightRecord>& pieces, int formPieces, char letter)
    : pieces_(pieces), count_(std::max(formPieces, 1)), letter_(letter), current_(-1) {
    AfterConfirm();
}

std::int64_t PieceWeightsSession::ChargeableGrams(const PieceWeightRecord& piece, char letter) {
    return ChargeableWeight(piece.length, piece.width, piece.height, piece.weightGrams, piece.volumetricPercent,
                            letter);
}

void PieceWeightsSession::LoadInputs(const PieceWeightRecord& piece) {
    inputs_ = PieceInputs{};
    inputs_.weightKg = piece.weightGrams / 1000.0;
    inputs_.length = piece.length;
    inputs_.width = piece.width;
    inputs_.height = piece.height;
    inputs_.percent = piece.volumetricPercent;
    inputs_.description = GbkToUtf16(piece.description.view());
    inputs_.alias = GbkToUtf16(piece.alias.view());
    inputs_.codeA = GbkToUtf16(piece.codeA.view());
    inputs_.codeB = GbkToUtf16(piece.codeB.view());
    inputs_.codeC = GbkToUtf16(piece.codeC.view());
    inputs_.quantity = piece.goodsQuantity;
    inputs_.unitPrice = FromFixed(piece.goodsUnitPrice, kMoneyScale);
    inputs_.duty = piece.duty;
    inputs_.taxRate = piece.dutyRate;
}

void PieceWeightsSession::Select(int index) {
    if (index < 0 || index >= static_cast<int>(pieces_.size())) return;
    current_ = index;
    adding_ = false;
    LoadInputs(pieces_[static_cast<std::size_t>(index)]);
}

void PieceWeightsSession::ResetInputs() { inputs_ = NewPieceInputs(inputs_.percent); }

void PieceWeightsSession::AfterConfirm() {
    const int stored = static_cast<int>(pieces_.size());
    if (stored < count_) {
        current_ = stored;
        adding_ = true;
        inputs_ = NewPieceInputs();
        return;
    }
    current_ = (current_ + 1) % stored;
    adding_ = false;
    LoadInputs(pieces_[static_cast<std::size_t>(current_)]);
}

std::optional<PieceRefusal> PieceWeightsSession::Confirm(PieceInputs inputs) {
    // Every check comes before the first change, so a refused piece leaves
    // the pieces as they were.
    std::replace(inputs.description.begin(), inputs.description.end(), u'\'', u'`');
    PieceWeightRecord piece{};
    if (auto message = CheckAndStoreText(inputs.description, Field(piece.description), 0, 62, "物品名称", false)) {
        inputs_ = inputs;
        return PieceRefusal{*message, PieceField::Description};
    }
    const std::pair<std::int64_t, PieceField> sides[] = {
        {inputs.length, PieceField::Length}, {inputs.width, PieceField::Width}, {inputs.height, PieceField::Height}};
    for (const auto& [side, field] : sides) {
        if (side < 0 || side > kMaxPieceDimension) {
            inputs_ = inputs;
            return PieceRefusal{"[长宽高]每边应在 0 到 9999 厘米之间。", field};
        }
    }
    if (inputs.percent < 0 || inputs.percent > kMaxPiecePercent) {
        inputs_ = inputs;
        return PieceRefusal{"[泡重权重]应在 0 到 255 之间。", PieceField::Percent};
    }
    const std::optional<std::int32_t> grams = ToFixed(inputs.weightKg, kGramScale);
    if (!grams) {
        inputs_ = inputs;
        return PieceRefusal{std::string("[称重]") + kFixedOutOfRange + "。", PieceField::Weight};
    }
    if (ChargeableWeight(inputs.length, inputs.width, inputs.height, *grams, inputs.percent, letter_) <= 0) {
        inputs_ = inputs;
        return PieceRefusal{{}, PieceField::Weight};
    }
    const std::optional<std::int32_t> unitPrice = ToFixed(inputs.unitPrice, kMoneyScale);
    if (!unitPrice) {
        inputs_ = inputs;
        return PieceRefusal{std::string("[单价]") + kFixedOutOfRange + "。", PieceField::UnitPrice};
    }
    const std::pair<std::u16string*, std::pair<std::span<char>, std::pair<const char*, PieceField>>> texts[] = {
        {&inputs.alias, {Field(piece.alias), {"物品别名", PieceField::Alias}}},
        {&inputs.codeA, {Field(piece.codeA), {"物品甲码", PieceField::CodeA}}},
        {&inputs.codeB, {Field(piece.codeB), {"物品乙码", PieceField::CodeB}}},
        {&inputs.codeC, {Field(piece.codeC), {"物品丙码", PieceField::CodeC}}},
    };
    for (const auto& [text, target] : texts) {
        if (auto message = CheckAndStoreText(*text, target.first, 0, 62, target.second.first, false)) {
            inputs_ = inputs;
            return PieceRefusal{*message, target.second.second};
        }
    }

    piece.length = static_cast<std::int32_t>(inputs.length);
    piece.width = static_cast<std::int32_t>(inputs.width);
    piece.height = static_cast<std::int32_t>(inputs.height);
    piece.weightGrams = *grams;
    piece.volumetricPercent = static_cast<std::uint8_t>(inputs.percent);
    piece.goodsQuantity = inputs.quantity;
    piece.goodsUnitPrice = *unitPrice;
    piece.duty = inputs.duty;
    piece.dutyRate = inputs.taxRate;

    const bool adding = adding_ || current_ >= static_cast<int>(pieces_.size());
    if (adding) {
        const int before = static_cast<int>(pieces_.size());
        pieces_.push_back(piece);
        const int room = count_ - before;
        if (inputs.count > 1 && room > 1) {
            const int copies = std::min(inputs.count, room) - 1;
            for (int i = 0; i < copies; ++i) pieces_.push_back(piece);
        }
        current_ = static_cast<int>(pieces_.size()) - 1;
    } else {
        PieceWeightRecord& stored = pieces_[static_cast<std::size_t>(current_)];
        // The piece keeps its identity and the numbers printed for it.
        piece.id = stored.id;
        piece.parentId = stored.parentId;
        piece.pieceReference = stored.pieceReference;
        piece.pieceWaybill = stored.pieceWaybill;
        piece.pieceTransfer = stored.pieceTransfer;
        stored = piece;
    }
    changed_ = true;
    AfterConfirm();
    return std::nullopt;
}

std::int64_t PieceWeightsSession::TotalGrams() const {
    std::int64_t total = 0;
    for (const PieceWeightRecord& piece : pieces_) total += ChargeableGrams(piece, letter_);
    return total;
}

std::u16string PieceWeightsSession::CurrentPieceText() const {
    return Format("第% 2d 件/共% 2d 件", current_ + 1, count_);
}

std::u16string PieceWeightsSession::TotalText() const {
    return Format("累计重量：%.3f公斤", static_cast<double>(TotalGrams()) / 1000.0);
}

std::vector<std::u16string> PieceWeightsSession::RowTexts(int index) const {
    if (index < 0 || index >= static_cast<int>(pieces_.size())) return {};
    const PieceWeightRecord& piece = pieces_[static_cast<std::size_t>(index)];
    return {
        Format("%d", index + 1),
        Format("%.3f", static_cast<double>(ChargeableGrams(piece, letter_)) / 1000.0),
        Format("%.3f", piece.weightGrams / 1000.0),
        Format("%d", static_cast<int>(piece.length)),
        Format("%d", static_cast<int>(piece.width)),
        Format("%d", static_cast<int>(piece.height)),
        Format("%d", static_cast<int>(piece.volumetricPercent)),
        GbkToUtf16(piece.description.view()),
        Format("%d", static_cast<int>(piece.goodsQuantity)),
        Format("%.2f", FromFixed(piece.goodsUnitPrice, kMoneyScale)),
        Format("%.2f", static_cast<double>(piece.duty)),
        Format("%.4f", static_cast<double>(piece.dutyRate)),
        GbkToUtf16(piece.alias.view()),
        GbkToUtf16(piece.codeA.view()),
        GbkToUtf16(piece.codeB.view()),
        GbkToUtf16(piece.codeC.view()),
    };
}

}  // namespace tallux
