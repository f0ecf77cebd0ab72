#pragma once

#include "query/gui/WorkPage.h"

namespace tallux {

// Work page 5: pre-entries uploaded but not yet processed by the carrier.
// For now it shows its title and columns; the server query, the server-mode
// form and deletion are not part of this build, so their flags stay off.
// The name is one of the client's shared names and keeps its C prefix.
class CPreQueryPage : public CWorkPage {
    Q_OBJECT
public:
    explicit CPreQueryPage(ClientState& state, QWidget* parent = nullptr);

    void OnFirstShow() override;
};

}  // namespace tallux
