#include "store/ShipmentStore.h"

namespace tallux {
namespace {
constexpr std::size_t kShortestSearchableNumber = 6;
}

bool ShipmentStore::RemoveById(int id, bool deferred) {
    int index = IndexOfId(id);
    return index >= 0 && (deferred ? RemoveAtDeferred(index) : RemoveAt(index)) == 1;
}

const ShipmentRecord* ShipmentStore::FindByWaybill(std::string_view text) const {
    return FindNewest(&ShipmentRecord::waybillNumber, text);
}

const ShipmentRecord* ShipmentStore::FindByReference(std::string_view text) const {
    if (text.size() < kShortestSearchableNumber) return nullptr;
    return FindNewest(&ShipmentRecord::referenceNumber, text);
}

const ShipmentRecord* ShipmentStore::FindByTransferNumber(std::string_view text) const {
    if (text.size() < kShortestSearchableNumber) return nullptr;
    return FindNewest(&ShipmentRecord::transferNumber, text);
}

}  // namespace tallux
