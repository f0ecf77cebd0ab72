#pragma once

#include "query/gui/WorkPage.h"

namespace tallux {

// Work page 0: the locally entered shipments waiting for upload. For now it
// lists the records of the shipment store read-only; the entry form, the
// batch commands and the upload hand-off are not part of this build, so
// their flags stay off.
class CPreEntryPage : public CWorkPage {
    Q_OBJECT
public:
    explicit CPreEntryPage(ClientState& state, QWidget* parent = nullptr);

    void OnFirstShow() override;
    bool Offers(int command) const override;
    // Refills the list from the shipment store.
    void Refresh() override;
};

}  // namespace tallux
