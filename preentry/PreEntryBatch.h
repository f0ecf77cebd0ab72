#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "preentry/LocalShipmentWriter.h"
#include "store/ShipmentRecord.h"

namespace tallux {

class KindList;
struct NumberContext;
struct TransactionContext;

// The batch commands of the pre-entry list on the local stores. Every store
// access takes the store lock; none holds it while the network is asked.

// Changes the stored shipment id under the store lock: change gets a copy and
// returns whether to write it back. The written copy (or nullopt when the
// shipment is gone or change declined).
std::optional<ShipmentRecord> ChangeStoredShipment(LocalShipmentStores& stores, int id,
                                                   const std::function<bool(ShipmentRecord&)>& change);

// A copy of the stored shipment; nullopt when it is gone.
std::optional<ShipmentRecord> StoredShipment(LocalShipmentStores& stores, int id);

// Removes the shipments with their goods lines and piece weights; the
// number removed.
int DeleteShipments(LocalShipmentStores& stores, const std::vector<int>& ids);

struct TidyOutcome {
    bool found = false;    // the shipment is stored; record is its copy
    bool changed = false;  // its placeholder was replaced and stored
    int mode = -1;         // the number source's mode; -1: none reported
    ShipmentRecord record{};
};

// Replaces the placeholder left in a shipment's waybill number (see
// ReplacePlaceholder) and keeps the completed number, with what a server
// number brought along, in the store. Numbers without the placeholder are
// left as they are.
TidyOutcome TidyWaybillNumber(LocalShipmentStores& stores, const NumberContext& numbers, int id);

struct TransferOutcome {
    bool found = false;
    bool fetched = false;  // a new transfer number is stored
    ShipmentRecord record{};
};

// Fetches a transfer number for a shipment that has none (two tries). A
// number equal to previous (the one the row before got) counts as a failed
// try: the service answered the same number twice.
TransferOutcome FetchStoredTransferNumber(LocalShipmentStores& stores, const NumberContext& numbers, int id,
                                          std::string_view previous);

// The operation-3 request for a shipment: nullopt unless its weight is above
// 0, its destination is set and its kind is known.
std::optional<std::string> PreEntryPricingRequest(const TransactionContext& context, const ShipmentRecord& shipment,
                                                  const KindList& kinds);

// The fee in hundredths from a pricing answer: its leading decimal number x
// as (x + 0.001) x 100, truncated; 0 or less means no price.
int PriceHundredths(std::string_view answer);

}  // namespace tallux
