#pragma once

#include <string>
#include <vector>

#include "store/GoodsLineRecord.h"
#include "store/PieceWeightRecord.h"
#include "store/ShipmentRecord.h"

namespace tallux {

class ShipmentStore;
class GoodsLineStore;
class PieceWeightStore;
class StoreLock;

inline constexpr const char* kDuplicateWaybillMessage = "相同运单号的记录已经存在。";
inline constexpr const char* kVanishedRecordMessage =
    "该记录已不在本地数据中(可能已被上传或删除)，本次修改没有保存。\r\n请新建后重新录入。";
inline constexpr const char* kStoreWriteMessage = "记录数据写入失败，本次修改没有保存。";

// The three stores a local shipment lives in, and the lock every write
// takes so that an upload never sees half a record.
struct LocalShipmentStores {
    ShipmentStore& shipments;
    GoodsLineStore& goods;
    PieceWeightStore& weights;
    StoreLock& lock;
};

enum class LocalSaveResult { Saved, DuplicateWaybill, RecordVanished, WriteFailed };

struct LocalSaveOutcome {
    LocalSaveResult result = LocalSaveResult::WriteFailed;
    ShipmentRecord record{};  // the record as saved, with its id (a copy)
    std::string message;      // empty when saved
};

// Saves a built record: refuses a waybill number another record holds;
// appends a new record (id -1) with its goods lines and piece weights, or
// replaces the stored one with that id (its piece weights too when
// piecesChanged). An id no longer stored is reported, nothing written.
LocalSaveOutcome SaveLocalShipment(LocalShipmentStores& stores, const ShipmentRecord& record,
                                   const std::vector<GoodsLineRecord>& goods,
                                   const std::vector<PieceWeightRecord>& pieces, bool piecesChanged);

// Removes the shipment and its children as one change that a kill cannot
// leave half done (store/ShipmentRemoval.h); false when it was not stored or
// could not be removed. deferred leaves the closing-up of the files for
// later, so that removing one uploaded shipment after the other does not move
// every later record each time (see MappedRecordFile::RemoveAtDeferred).
bool DeleteLocalShipment(LocalShipmentStores& stores, int id, bool deferred = false);
// Closes up what deferred deletes left in the three files.
void FinishShipmentRemovals(LocalShipmentStores& stores);

}  // namespace tallux
