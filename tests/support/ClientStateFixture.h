#pragma once

#include <memory>

#include "app/ClientState.h"
#include "tests/support/ShipmentFixtures.h"
#include "tests/support/TempDir.h"

namespace tallux::test {

// A ClientState as start-up leaves it for the pre-entry form, list and
// upload, with dir as its program directory: the shipment, goods-line and
// piece-weight stores open below DATA/ and the store lock released. The
// contact and scan stores and the goods-name dictionary stay closed. Null,
// after saying on stderr which store did not open, when one does not. dir
// must outlive the state.
inline std::unique_ptr<ClientState> ClientStateWithStores(const TempDir& dir) {
    auto state = std::make_unique<ClientState>();
    state->programDirectory = dir.Path().string() + "/";
    if (!OpenShipmentStores(dir.Path() / "DATA", state->shipments, state->goods, state->weights, state->storeLock))
        return nullptr;
    return state;
}

}  // namespace tallux::test
