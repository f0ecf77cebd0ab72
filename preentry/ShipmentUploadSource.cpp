#include "preentry/ShipmentUploadSource.h"

#include <vector>

#include "net/ExpressKinds.h"
#include "net/UploadRequests.h"
#include "preentry/WaybillNumbers.h"
#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentRemoval.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"

namespace tallux {

std::optional<std::string> ShipmentUploadSource::Serialize(int id) {
    ShipmentRecord shipment{};
    std::vector<GoodsLineRecord> goods;
    std::vector<PieceWeightRecord> pieces;
    {
        StoreLockGuard guard(stores_.lock);
        // Children left by a removal that a kill interrupted go before the
        // run reads anything (a look at one header when there are none).
        ShipmentRemoval(stores_.shipments, stores_.goods, stores_.weights).FinishInterrupted();
        const ShipmentRecord* stored = stores_.shipments.FindById(id);
        if (!stored) return std::nullopt;
        shipment = *stored;
        stores_.goods.CollectChildren(id, goods);
        stores_.weights.CollectChildren(id, pieces);
    }
    if (shipment.destination.empty() || !kinds_.FindKindByName(shipment.expressKind.view())) return std::nullopt;

    std::string number(shipment.waybillNumber.view());
    int mode = -1;
    if (ReplacePlaceholder(numbers_, number, shipment, mode)) {
        shipment.waybillNumber = number;
        // The number is the shipment's from now on, whatever the upload's
        // outcome: keep it, with what came along, unless the shipment was
        // changed or removed meanwhile.
        StoreLockGuard guard(stores_.lock);
        const int index = stores_.shipments.IndexOfId(id);
        if (const ShipmentRecord* stored = stores_.shipments.At(index)) {
            ShipmentRecord updated = *stored;
            updated.waybillNumber = shipment.waybillNumber;
            updated.transferNumber = shipment.transferNumber;
            updated.reservedText = shipment.reservedText;
            updated.spare1 = shipment.spare1;
            updated.spare2 = shipment.spare2;
            updated.spare3 = shipment.spare3;
            updated.spare4 = shipment.spare4;
            updated.spare5 = shipment.spare5;
            stores_.shipments.Update(index, updated);
        }
    }
    return ShipmentUploadRequest(transaction_, shipment, goods, pieces, kinds_);
}

bool ShipmentUploadSource::ApplyResult(int id, int code) {
    if (code <= 0) return false;
    return DeleteLocalShipment(stores_, id, true);
}

}  // namespace tallux
