#pragma once

#include <string_view>

#include "store/CheckScanRecord.h"
#include "store/RecordStore.h"

namespace tallux {

// DATA/reccheck.dat: checkpoint events waiting for upload.
class CheckScanStore : public RecordStore<CheckScanRecord> {
public:
    // True when a record was removed.
    bool RemoveById(int id) {
        int index = BinarySearchId(id);
        return index >= 0 && RemoveAt(index) == 1;
    }
    // Exact; the newest matching record wins.
    const CheckScanRecord* FindByNumber(std::string_view text) const {
        return FindNewest(&CheckScanRecord::waybillNumber, text);
    }
};

}  // namespace tallux
