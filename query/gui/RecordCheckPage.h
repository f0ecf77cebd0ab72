#pragma once

#include "query/gui/WorkPage.h"

namespace tallux {

// Work page 1: shipments the company has in the server's system. For now it
// shows its title and columns; the server query, the detail pane and the
// waybill printing are not part of this build, so their flags stay off.
// The name is one of the client's shared names and keeps its C prefix.
class CRecordCheckPage : public CWorkPage {
    Q_OBJECT
public:
    explicit CRecordCheckPage(ClientState& state, QWidget* parent = nullptr);

    void OnFirstShow() override;
};

}  // namespace tallux
