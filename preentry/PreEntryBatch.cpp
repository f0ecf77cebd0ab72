#include "preentry/PreEntryBatch.h"

#include <cmath>
#include <limits>

#include "net/DecimalText.h"
#include "net/ExpressKinds.h"
#include "net/ServerOperations.h"
#include "preentry/WaybillNumbers.h"
#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"

namespace tallux {
namespace {

// What a number brings along into its shipment besides itself.
void TakeExtraFields(const ShipmentRecord& from, ShipmentRecord& to) {
    to.reservedText = from.reservedText;
    to.spare1 = from.spare1;
    to.spare2 = from.spare2;
    to.spare3 = from.spare3;
    to.spare4 = from.spare4;
    to.spare5 = from.spare5;
}

// A completed waybill number may have been copied into the transfer number.
void TakeNumberFields(const ShipmentRecord& from, ShipmentRecord& to) {
    to.waybillNumber = from.waybillNumber;
    to.transferNumber = from.transferNumber;
    TakeExtraFields(from, to);
}

}  // namespace

std::optional<ShipmentRecord> ChangeStoredShipment(LocalShipmentStores& stores, int id,
                                                   const std::function<bool(ShipmentRecord&)>& change) {
    StoreLockGuard guard(stores.lock);
    const int index = stores.shipments.IndexOfId(id);
    const ShipmentRecord* stored = stores.shipments.At(index);
    if (!stored) return std::nullopt;
    ShipmentRecord copy = *stored;
    if (!change(copy)) return std::nullopt;
    if (stores.shipments.Update(index, copy) <= 0) return std::nullopt;
    return copy;
}

std::optional<ShipmentRecord> StoredShipment(LocalShipmentStores& stores, int id) {
    StoreLockGuard guard(stores.lock);
    const ShipmentRecord* stored = stores.shipments.FindById(id);
    if (!stored) return std::nullopt;
    return *stored;
}

int DeleteShipments(LocalShipmentStores& stores, const std::vector<int>& ids) {
    int removed = 0;
    // Deferred: the files are closed up once, not after every shipment.
    for (int id : ids)
        if (DeleteLocalShipment(stores, id, true)) ++removed;
    FinishShipmentRemovals(stores);
    return removed;
}

TidyOutcome TidyWaybillNumber(LocalShipmentStores& stores, const NumberContext& numbers, int id) {
    TidyOutcome outcome;
    std::optional<ShipmentRecord> shipment = StoredShipment(stores, id);
    if (!shipment) return outcome;
    outcome.found = true;
    outcome.record = *shipment;
    // Asked without the lock: the number service may take its time.
    std::string number(shipment->waybillNumber.view());
    if (!HasPlaceholder(number) || !ReplacePlaceholder(numbers, number, *shipment, outcome.mode)) return outcome;
    shipment->waybillNumber = number;
    // The shipment may have been changed or removed meanwhile: only the
    // number fields are written, into what is stored now.
    const std::optional<ShipmentRecord> stored = ChangeStoredShipment(stores, id, [&](ShipmentRecord& current) {
        TakeNumberFields(*shipment, current);
        return true;
    });
    if (!stored) {
        outcome.found = false;
        return outcome;
    }
    outcome.changed = true;
    outcome.record = *stored;
    return outcome;
}

TransferOutcome FetchStoredTransferNumber(LocalShipmentStores& stores, const NumberContext& numbers, int id,
                                          std::string_view previous) {
    TransferOutcome outcome;
    std::optional<ShipmentRecord> shipment = StoredShipment(stores, id);
    if (!shipment) return outcome;
    outcome.found = true;
    outcome.record = *shipment;
    bool fetched = false;
    for (int attempt = 0; attempt < 2 && !fetched; ++attempt) {
        if (!FetchTransferNumber(numbers, *shipment)) continue;
        if (!previous.empty() && shipment->transferNumber.view() == previous) {
            // The service repeated itself: not a number for this shipment.
            shipment->transferNumber = std::string_view();
            continue;
        }
        fetched = true;
    }
    if (!fetched) return outcome;
    const std::optional<ShipmentRecord> stored = ChangeStoredShipment(stores, id, [&](ShipmentRecord& current) {
        // Only into a shipment that still has no transfer number of its own.
        if (current.transferNumber.view().size() > 5) return false;
        current.transferNumber = shipment->transferNumber;
        TakeExtraFields(*shipment, current);
        return true;
    });
    if (!stored) return outcome;
    outcome.fetched = true;
    outcome.record = *stored;
    return outcome;
}

std::optional<std::string> PreEntryPricingRequest(const TransactionContext& context, const ShipmentRecord& shipment,
                                                  const KindList& kinds) {
    const ExpressKind* kind = kinds.FindKindByName(shipment.expressKind.view());
    if (!kind || shipment.destination.empty() || !(shipment.weight > 0.0)) return std::nullopt;
    return BuildPricingRequest(
        context, PricingShipment{shipment.itemType, shipment.weight, shipment.destination.view(), kind->code.view()});
}

int PriceHundredths(std::string_view answer) {
    const double hundredths = std::trunc((ReadDecimalReal(answer) + 0.001) * 100.0);
    // Beyond what a fee can be: no price rather than an undefined conversion.
    if (!(hundredths > 0.0) || hundredths > std::numeric_limits<int>::max()) return 0;
    return static_cast<int>(hundredths);
}

}  // namespace tallux
