#pragma once

#include "query/gui/WorkPage.h"

namespace tallux {

// Work page 2: checkpoint scans of waybill numbers. For now it shows its
// title and its columns with check boxes; the scan form and the upload of
// checked rows are not part of this build, so their flags stay off.
// The name is one of the client's shared names and keeps its C prefix.
class CCheckpointScanPage : public CWorkPage {
    Q_OBJECT
public:
    explicit CCheckpointScanPage(ClientState& state, QWidget* parent = nullptr);

    void OnFirstShow() override;
};

}  // namespace tallux
