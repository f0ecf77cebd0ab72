#include "preentry/LocalShipmentWriter.h"

#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentRemoval.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"

namespace tallux {
namespace {

// Appends copies of the children under parentId; false at the first
// failure.
template <typename Store, typename Record>
bool AppendChildren(Store& store, const std::vector<Record>& children, int parentId) {
    for (Record child : children) {
        child.id = 0;
        child.parentId = parentId;
        if (store.Append(child) < 0) return false;
    }
    return true;
}

LocalSaveOutcome Failed(LocalSaveResult result, const char* message) {
    LocalSaveOutcome outcome;
    outcome.result = result;
    outcome.message = message;
    return outcome;
}

}  // namespace

LocalSaveOutcome SaveLocalShipment(LocalShipmentStores& stores, const ShipmentRecord& record,
                                   const std::vector<GoodsLineRecord>& goods,
                                   const std::vector<PieceWeightRecord>& pieces, bool piecesChanged) {
    StoreLockGuard guard(stores.lock);
    const ShipmentRecord* same = stores.shipments.FindByWaybill(record.waybillNumber.view());
    if (same && same->id != record.id) return Failed(LocalSaveResult::DuplicateWaybill, kDuplicateWaybillMessage);

    LocalSaveOutcome outcome;
    outcome.record = record;
    if (record.id == -1) {
        if (stores.shipments.Append(outcome.record) < 0)
            return Failed(LocalSaveResult::WriteFailed, kStoreWriteMessage);
        const int id = outcome.record.id;
        if (!AppendChildren(stores.goods, goods, id) || !AppendChildren(stores.weights, pieces, id)) {
            // A shipment without the children it counts would upload wrong:
            // take the whole save back.
            ShipmentRemoval(stores.shipments, stores.goods, stores.weights).Remove(id);
            return Failed(LocalSaveResult::WriteFailed, kStoreWriteMessage);
        }
    } else {
        const int index = stores.shipments.IndexOfId(record.id);
        if (index < 0) return Failed(LocalSaveResult::RecordVanished, kVanishedRecordMessage);
        if (stores.shipments.Update(index, record) != 1)
            return Failed(LocalSaveResult::WriteFailed, kStoreWriteMessage);
        if (piecesChanged) {
            stores.weights.RemoveChildren(record.id);
            if (!AppendChildren(stores.weights, pieces, record.id))
                return Failed(LocalSaveResult::WriteFailed, kStoreWriteMessage);
        }
    }
    outcome.result = LocalSaveResult::Saved;
    return outcome;
}

bool DeleteLocalShipment(LocalShipmentStores& stores, int id, bool deferred) {
    StoreLockGuard guard(stores.lock);
    return ShipmentRemoval(stores.shipments, stores.goods, stores.weights).Remove(id, deferred);
}

void FinishShipmentRemovals(LocalShipmentStores& stores) {
    StoreLockGuard guard(stores.lock);
    ShipmentRemoval(stores.shipments, stores.goods, stores.weights).FinishPending();
}

}  // namespace tallux
