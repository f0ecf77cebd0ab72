#pragma once

namespace tallux {

// The index of each work page in the main view.
enum PageKind : int {
    kPreEntryPage = 0,
    kRecordCheckPage = 1,
    kCheckpointScanPage = 2,
    kAddressBookPage = 3,
    kSettlementPage = 4,
    kPreQueryPage = 5,
    kPageCount = 6,
};

}  // namespace tallux
