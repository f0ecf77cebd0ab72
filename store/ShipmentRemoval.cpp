#include "store/ShipmentRemoval.h"

#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentStore.h"

namespace tallux {

bool ShipmentRemoval::Remove(int id, bool deferred) {
    // One note at a time: an unfinished one must not be overwritten.
    if (!FinishInterrupted()) return false;
    // Only an id the file has issued can be noted (an open refuses others);
    // any other has no shipment whose removal could be lost.
    if (id > 0 && id <= shipments_.LastId() && !shipments_.WriteRemovalNote(id)) return false;
    bool removedShipment = false;
    RemoveNoted(id, deferred, removedShipment);
    return removedShipment;
}

bool ShipmentRemoval::FinishInterrupted() {
    const int id = shipments_.RemovalNote();
    if (id == 0) return shipments_.IsOpen();
    bool removedShipment = false;
    return RemoveNoted(id, false, removedShipment);
}

bool ShipmentRemoval::RemoveNoted(int id, bool deferred, bool& removedShipment) {
    const int index = shipments_.IndexOfId(id);
    if (index >= 0) {
        removedShipment = (deferred ? shipments_.RemoveAtDeferred(index) : shipments_.RemoveAt(index)) == 1;
        if (!removedShipment) return false;
    }
    // Each removal below returns only once it is durable, so the note goes
    // only after the last of them.
    if (!goods_.RemoveAllChildren(id, deferred) || !weights_.RemoveAllChildren(id, deferred)) return false;
    return shipments_.WriteRemovalNote(0);
}

void ShipmentRemoval::FinishPending() {
    shipments_.FinishPendingRemovals();
    goods_.FinishPendingRemovals();
    weights_.FinishPendingRemovals();
}

}  // namespace tallux
