#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "store/GoodsLineRecord.h"

namespace tallux {

class GoodsLineStore;
class ShipmentStore;
class StoreLock;

// The inputs of the goods-lines dialog.
struct GoodsLineInputs {
    std::u16string description;
    std::u16string alias;
    std::u16string codeA;
    std::u16string codeB;
    std::u16string codeC;
    double duty = 0;
    double taxRate = 0;
    int quantity = 1;
    double unitPrice = 1.0;

    bool operator==(const GoodsLineInputs&) const = default;
};

// One row of the dialog's list: its nine cells as shown ("物品名称", "数量",
// "单价", "关税", "税率", "物品别名", "物品甲码", "物品乙码", "物品丙码")
// and the line id it stands for (provisional for rows added here).
struct GoodsRow {
    std::array<std::u16string, 9> cells;
    int id = 0;
};

// Where confirmed lines of a shipment already stored go at once.
struct StoredShipmentTarget {
    ShipmentStore& shipments;
    GoodsLineStore& goods;
    StoreLock& lock;
};

inline constexpr const char* kGoodsWriteMessage = "物品信息写入失败，原有物品信息未改变。";

// The goods-lines dialog without its window: the rows, the row being
// modified, the edit counter, and the rebuild of the form's lines on
// confirmation.
class GoodsLinesEditor {
public:
    // lastStoreId: the last id the goods store assigned (provisional ids of
    // new rows count on from it).
    GoodsLinesEditor(const std::vector<GoodsLineRecord>& lines, int shipmentId, bool serverMode, int lastStoreId);

    const std::vector<GoodsRow>& Rows() const { return rows_; }
    int ModifiedRow() const { return modified_; }
    int EditCount() const { return edits_; }
    // "记录:%d;数量:%d": rows and the sum of the quantity column.
    std::u16string StatusText() const;

    // Double-click: the row's cells as inputs; it is then being modified.
    GoodsLineInputs BeginModify(int row);
    // Back to no row being modified.
    void EndModify() { modified_ = -1; }
    // "添加"/"修改": the description must be 1 to 62 bytes (the message
    // otherwise, nothing changes); appends a row or rewrites the modified one.
    std::optional<std::string> AddOrModify(GoodsLineInputs& inputs);
    // "删除": removes the modified row; false when none is being modified.
    bool DeleteModified();
    // "刷新原值": back to the lines the dialog opened with.
    void Reload();

    // "确认数据": when anything was edited, lines becomes the rows (ids 0..,
    // parent the shipment). For a stored local shipment its lines in the
    // goods store are replaced too and its goods-line count updated, under
    // the store lock. changed tells whether lines were rebuilt. A row whose
    // texts fail their checks stops the whole confirmation with its message
    // (the dialog stays open, nothing is changed); so does a stored shipment
    // that is no longer in the store.
    std::optional<std::string> Confirm(std::vector<GoodsLineRecord>& lines, StoredShipmentTarget* stored,
                                       bool& changed) const;

    static std::array<std::u16string, 9> CellsOf(const GoodsLineRecord& line);

private:
    static std::array<std::u16string, 9> CellsOf(const GoodsLineInputs& inputs);

    const std::vector<GoodsLineRecord>& original_;
    int shipmentId_;
    bool serverMode_;
    int lastStoreId_;
    int dialogCounter_ = 0;
    std::vector<GoodsRow> rows_;
    int modified_ = -1;
    int edits_ = 0;
};

// What the form takes from its goods lines (label "数量:"): descriptions
// and quantities joined with ",", the total quantity, the declared value
// and the average unit price. nullopt without lines.
struct GoodsSummary {
    std::u16string description;        // at most 254 bytes
    std::u16string consignmentRemark;  // at most 62 bytes
    int quantity = 1;
    double declaredValue = 0;
    double unitPrice = 0;
};
std::optional<GoodsSummary> SummariseGoods(const std::vector<GoodsLineRecord>& lines);

// The collect-charges dialog's "确定": fee F, collect-freight settlement S,
// cash-on-delivery amount C and the part returned R.
struct CollectCharges {
    double fee = 0;
    double settlement = 0;
    double codAmount = 0;
    double returned = 0;
};
inline constexpr const char* kSettlementAboveFee = "到付运费错误：下家结算小于向客户返款。";
inline constexpr const char* kReturnedAboveCod = "返还客户货款错误：大于实收代收货款。";
// Checks and completes the values; the message when the dialog must stay.
std::optional<std::string> ConfirmCollectCharges(CollectCharges& charges, bool collectPayment);

}  // namespace tallux
