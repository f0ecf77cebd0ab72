#pragma once

#include "query/gui/WorkPage.h"

namespace tallux {

// Work page 4: the settlement records booked for the company. For now it
// shows its title and columns; the server query is not part of this build,
// so its flags stay off.
// The name is one of the client's shared names and keeps its C prefix.
class CSettlementPage : public CWorkPage {
    Q_OBJECT
public:
    explicit CSettlementPage(ClientState& state, QWidget* parent = nullptr);

    void OnFirstShow() override;
};

}  // namespace tallux
