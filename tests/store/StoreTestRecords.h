#pragma once

#include <cstring>
#include <string_view>

#include "store/CheckScanRecord.h"
#include "store/ContactRecord.h"
#include "store/GoodsLineRecord.h"
#include "store/PieceWeightRecord.h"
#include "store/ShipmentRecord.h"

namespace tallux::test {

// Records cleared the way the forms clear them before filling.
template <typename Record>
Record Cleared() {
    Record r;
    std::memset(&r, 0, sizeof r);
    return r;
}

inline ShipmentRecord Shipment(std::string_view waybill, std::string_view reference = {},
                               std::string_view transfer = {}) {
    auto r = Cleared<ShipmentRecord>();
    r.waybillNumber = waybill;
    r.referenceNumber = reference;
    r.transferNumber = transfer;
    return r;
}

template <typename Record>
Record Child(int parentId, std::string_view description) {
    auto r = Cleared<Record>();
    r.parentId = parentId;
    r.description = description;
    return r;
}

inline ContactRecord Contact(std::string_view code, std::string_view name, std::string_view phone) {
    auto r = Cleared<ContactRecord>();
    r.code = code;
    r.name = name;
    r.phone = phone;
    return r;
}

}  // namespace tallux::test
