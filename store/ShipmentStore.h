#pragma once

#include <string_view>

#include "store/RecordStore.h"
#include "store/ShipmentRecord.h"

namespace tallux {

// DATA/recinput.dat: the locally entered shipments.
class ShipmentStore : public RecordStore<ShipmentRecord> {
public:
    int IndexOfId(int id) const { return BinarySearchId(id); }
    const ShipmentRecord* FindById(int id) const { return At(IndexOfId(id)); }
    ShipmentRecord* FindById(int id) { return At(IndexOfId(id)); }
    // True when a record was removed. deferred: see RemoveAtDeferred.
    bool RemoveById(int id, bool deferred = false);

    // Exact, case-sensitive; the newest matching record wins.
    const ShipmentRecord* FindByWaybill(std::string_view text) const;
    // As FindByWaybill, but texts of 5 bytes or fewer never match.
    const ShipmentRecord* FindByReference(std::string_view text) const;
    const ShipmentRecord* FindByTransferNumber(std::string_view text) const;
};

}  // namespace tallux
