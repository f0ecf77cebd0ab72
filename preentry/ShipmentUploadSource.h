#pragma once

#include <optional>
#include <string>

#include "preentry/LocalShipmentWriter.h"

namespace tallux {

class KindList;
struct NumberContext;
struct TransactionContext;

// The shipment side of an upload run: the request of one stored shipment,
// and what an accepted one leaves behind (nothing). Safe to call from the
// upload thread: the stores are only touched under the store lock, and the
// lock is never held while the network is asked for a number.
class ShipmentUploadSource {
public:
    ShipmentUploadSource(LocalShipmentStores& stores, const KindList& kinds, const TransactionContext& transaction,
                         const NumberContext& numbers)
        : stores_(stores), kinds_(kinds), transaction_(transaction), numbers_(numbers) {}

    // nullopt when the shipment is gone, has no destination, an unknown
    // kind, or does not fit one request. A placeholder left in its waybill
    // number is replaced first, and the completed number kept in the store.
    std::optional<std::string> Serialize(int id);

    // A result above 0 means the server took the shipment: it and its
    // children leave the stores at once for every reader, as one change
    // that a kill cannot leave half done (the next Serialize or removal
    // finishes one that was); the files are closed up by Finish. True when
    // something was removed.
    bool ApplyResult(int id, int code);
    // At the end of a run.
    void Finish() { FinishShipmentRemovals(stores_); }

private:
    LocalShipmentStores& stores_;
    const KindList& kinds_;
    const TransactionContext& transaction_;
    const NumberContext& numbers_;
};

}  // namespace tallux
