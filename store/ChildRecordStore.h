#pragma once

#include <vector>

#include "store/RecordStore.h"

namespace tallux {

// A store of records that belong to a shipment through parentId (the int32
// right after id). A shipment's children are appended together, so they
// form one run in the file.
template <typename Record>
class ChildRecordStore : public RecordStore<Record> {
public:
    // Index of the first record of parentId, scanning from the start; -1 when none.
    int FirstIndexOfParent(int parentId) const {
        for (int i = 0, n = this->Count(); i < n; ++i)
            if (this->At(i)->parentId == parentId) return i;
        return -1;
    }

    // Removes every record of parentId; returns how many were removed.
    // deferred: see RemoveAtDeferred.
    int RemoveChildren(int parentId, bool deferred = false) {
        int removed = 0;
        RemoveAllChildren(parentId, deferred, &removed);
        return removed;
    }

    // As RemoveChildren, counting into removed when given; false when a
    // removal failed or the file is closed, so that records of parentId may
    // be left in it.
    bool RemoveAllChildren(int parentId, bool deferred = false, int* removed = nullptr) {
        for (int i = FirstIndexOfParent(parentId); i >= 0; i = FirstIndexOfParent(parentId)) {
            if ((deferred ? this->RemoveAtDeferred(i) : this->RemoveAt(i)) != 1) return false;
            if (removed) ++*removed;
        }
        return this->IsOpen();
    }

    // Replaces list's contents with copies of the run of parentId's records
    // that starts at FirstIndexOfParent. Returns that index, or -1 (list empty).
    int CollectChildren(int parentId, std::vector<Record>& list) const {
        list.clear();
        list.shrink_to_fit();
        int first = FirstIndexOfParent(parentId);
        if (first < 0) return -1;
        for (int i = first, n = this->Count(); i < n && this->At(i)->parentId == parentId; ++i)
            list.push_back(*this->At(i));
        return first;
    }
};

}  // namespace tallux
