#include "preentry/GoodsLinesEditor.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <tuple>

#include "preentry/LocalShipmentWriter.h"
#include "store/GoodsLineStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"
#include "text/FixedPoint.h"
#include "text/GbkCodec.h"
#include "text/TextBudget.h"
#include "text/TextCheck.h"

namespace tallux {
namespace {

enum Column { kDescription, kQuantity, kUnitPrice, kDuty, kTaxRate, kAlias, kCodeA, kCodeB, kCodeC };

constexpr std::size_t kSummaryLines = 100;
constexpr std::size_t kSummaryCharacters = 254;
constexpr std::size_t kSummaryKept = 250;

std::u16string Format(const char* format, auto value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return Utf8ToUtf16(text);
}

// Numbers read back from the list's cells, as the dialog shows them.
double CellNumber(const std::u16string& cell) { return std::strtod(Utf16ToUtf8(cell).c_str(), nullptr); }
int CellInteger(const std::u16string& cell) {
    return static_cast<int>(std::strtol(Utf16ToUtf8(cell).c_str(), nullptr, 10));
}

template <std::size_t N>
std::span<char> Field(FixedText<N>& text) {
    return std::span<char>(text.bytes, N);
}

}  // namespace

GoodsLinesEditor::GoodsLinesEditor(const std::vector<GoodsLineRecord>& lines, int shipmentId, bool serverMode,
                                   int lastStoreId)
    : original_(lines), shipmentId_(shipmentId), serverMode_(serverMode), lastStoreId_(lastStoreId) {
    Reload();
}

std::array<std::u16string, 9> GoodsLinesEditor::CellsOf(const GoodsLineRecord& line) {
    return {GbkToUtf16(line.description.view()),
            Format("%d", static_cast<int>(line.quantity)),
            Format("%.2f", static_cast<double>(line.unitPrice)),
            Format("%.2f", static_cast<double>(line.duty)),
            Format("%.4f", static_cast<double>(line.dutyRate)),
            GbkToUtf16(line.alias.view()),
            GbkToUtf16(line.codeA.view()),
            GbkToUtf16(line.codeB.view()),
            GbkToUtf16(line.codeC.view())};
}

std::array<std::u16string, 9> GoodsLinesEditor::CellsOf(const GoodsLineInputs& inputs) {
    return {inputs.description,
            Format("%d", inputs.quantity),
            Format("%.2f", inputs.unitPrice),
            Format("%.2f", inputs.duty),
            Format("%.4f", inputs.taxRate),
            inputs.alias,
            inputs.codeA,
            inputs.codeB,
            inputs.codeC};
}

void GoodsLinesEditor::Reload() {
    rows_.clear();
    for (const GoodsLineRecord& line : original_) rows_.push_back({CellsOf(line), line.id});
    modified_ = -1;
    edits_ = 0;
}

std::u16string GoodsLinesEditor::StatusText() const {
    long long quantity = 0;
    for (const GoodsRow& row : rows_) quantity += CellInteger(row.cells[kQuantity]);
    char text[64];
    std::snprintf(text, sizeof text, "记录:%d;数量:%lld", static_cast<int>(rows_.size()), quantity);
    return Utf8ToUtf16(text);
}

GoodsLineInputs GoodsLinesEditor::BeginModify(int row) {
    GoodsLineInputs inputs;
    if (row < 0 || row >= static_cast<int>(rows_.size())) return inputs;
    modified_ = row;
    const auto& cells = rows_[static_cast<std::size_t>(row)].cells;
    inputs.description = cells[kDescription];
    inputs.quantity = CellInteger(cells[kQuantity]);
    inputs.unitPrice = CellNumber(cells[kUnitPrice]);
    inputs.duty = CellNumber(cells[kDuty]);
    inputs.taxRate = CellNumber(cells[kTaxRate]);
    inputs.alias = cells[kAlias];
    inputs.codeA = cells[kCodeA];
    inputs.codeB = cells[kCodeB];
    inputs.codeC = cells[kCodeC];
    return inputs;
}

std::optional<std::string> GoodsLinesEditor::AddOrModify(GoodsLineInputs& inputs) {
    GoodsLineRecord checked{};
    if (auto message = CheckAndStoreText(inputs.description, Field(checked.description), 1, 62, "物品名称", false))
        return message;
    ++edits_;
    const int count = static_cast<int>(rows_.size());
    if (modified_ < 0 || modified_ >= count) {
        // Only told apart within the dialog; a store whose ids are nearly
        // used up must not make them overflow.
        const long long next = static_cast<long long>(serverMode_ ? dialogCounter_ : lastStoreId_) + edits_ + count;
        const int provisional = next <= INT_MAX ? static_cast<int>(next) : -(edits_ + count);
        rows_.push_back({CellsOf(inputs), provisional});
    } else {
        rows_[static_cast<std::size_t>(modified_)].cells = CellsOf(inputs);
    }
    modified_ = -1;
    return std::nullopt;
}

bool GoodsLinesEditor::DeleteModified() {
    if (modified_ < 0 || modified_ >= static_cast<int>(rows_.size())) return false;
    rows_.erase(rows_.begin() + modified_);
    ++edits_;
    modified_ = -1;
    return true;
}

std::optional<std::string> GoodsLinesEditor::Confirm(std::vector<GoodsLineRecord>& lines, StoredShipmentTarget* stored,
                                                     bool& changed) const {
    changed = false;
    if (edits_ == 0) return std::nullopt;

    // Every row is checked before anything is replaced.
    std::vector<GoodsLineRecord> rebuilt;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        std::array<std::u16string, 9> cells = rows_[i].cells;
        GoodsLineRecord line{};
        line.id = static_cast<std::int32_t>(i);
        line.parentId = shipmentId_;
        const std::tuple<int, std::span<char>, int, const char*> texts[] = {
            {kDescription, Field(line.description), 1, "物品名称"},
            {kAlias, Field(line.alias), 0, "物品别名"},
            {kCodeA, Field(line.codeA), 0, "物品甲码"},
            {kCodeB, Field(line.codeB), 0, "物品乙码"},
            {kCodeC, Field(line.codeC), 0, "物品丙码"},
        };
        for (const auto& [column, field, minimum, name] : texts)
            if (auto message =
                    CheckAndStoreText(cells[static_cast<std::size_t>(column)], field, minimum, 62, name, false))
                return message;
        line.quantity = CellInteger(cells[kQuantity]);
        line.unitPrice = CellNumber(cells[kUnitPrice]);
        line.duty = CellNumber(cells[kDuty]);
        line.dutyRate = CellNumber(cells[kTaxRate]);
        rebuilt.push_back(line);
    }

    const bool storedLocally = stored && shipmentId_ > 0 && !serverMode_;
    if (storedLocally) {
        StoreLockGuard guard(stored->lock);
        // A shipment uploaded or deleted while the dialog was open gets no
        // lines: they would belong to no shipment.
        const int index = stored->shipments.IndexOfId(shipmentId_);
        if (index < 0) return std::string(kVanishedRecordMessage);
        std::vector<GoodsLineRecord> previous;
        stored->goods.CollectChildren(shipmentId_, previous);
        stored->goods.RemoveChildren(shipmentId_);
        bool written = true;
        for (GoodsLineRecord& line : rebuilt) written = written && stored->goods.Append(line) >= 0;
        // The shipment counts its lines; it must not go stale with them.
        if (const ShipmentRecord* shipment = stored->shipments.At(index); written && shipment) {
            ShipmentRecord updated = *shipment;
            updated.goodsLineCount = static_cast<std::int32_t>(rebuilt.size());
            written = stored->shipments.Update(index, updated) == 1;
        }
        if (!written) {
            // Put back what was there rather than leave half the lines.
            stored->goods.RemoveChildren(shipmentId_);
            for (GoodsLineRecord& line : previous) stored->goods.Append(line);
            return std::string(kGoodsWriteMessage);
        }
    }
    lines = std::move(rebuilt);
    changed = true;
    return std::nullopt;
}

std::optional<GoodsSummary> SummariseGoods(const std::vector<GoodsLineRecord>& lines) {
    if (lines.empty()) return std::nullopt;
    GoodsSummary summary;
    long long quantity = 0;
    double declared = 0;
    const std::size_t counted = std::min(lines.size(), kSummaryLines);
    for (std::size_t i = 0; i < counted; ++i) {
        const GoodsLineRecord& line = lines[i];
        if (i > 0) {
            summary.description += u',';
            summary.consignmentRemark += u',';
        }
        summary.description += GbkToUtf16(line.description.view());
        summary.consignmentRemark += Format("%d", static_cast<int>(line.quantity));
        quantity += line.quantity;
        declared += line.quantity * static_cast<double>(line.unitPrice);
    }
    if (summary.description.size() > kSummaryCharacters) {
        std::size_t keep = kSummaryKept;
        if (summary.description[keep - 1] >= 0xD800 && summary.description[keep - 1] <= 0xDBFF) --keep;
        summary.description = summary.description.substr(0, keep) + u"...";
    }
    summary.quantity = quantity == 0 ? 1 : static_cast<int>(std::clamp<long long>(quantity, INT_MIN, INT_MAX));
    summary.declaredValue = declared;
    const std::optional<std::int32_t> average = ToFixed(declared / summary.quantity, kMoneyScale);
    summary.unitPrice = average ? *average * 0.01 : 0;
    LimitTextBytes(summary.description, 254);
    LimitTextBytes(summary.consignmentRemark, 62);
    return summary;
}

std::optional<std::string> ConfirmCollectCharges(CollectCharges& charges, bool collectPayment) {
    if (collectPayment) {
        if (charges.settlement > charges.fee) return kSettlementAboveFee;
        if (charges.settlement == 0) charges.settlement = charges.fee;
    } else {
        charges.settlement = 0;
    }
    if (charges.returned > charges.codAmount) return kReturnedAboveCod;
    if (charges.returned == 0) charges.returned = charges.codAmount;
    return std::nullopt;
}

}  // namespace tallux
