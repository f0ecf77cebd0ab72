#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include "store/MappedRecordFile.h"

namespace tallux {

// A MappedRecordFile of one record type, with the searches every typed
// store shares.
template <typename Record>
class RecordStore : public MappedRecordFile {
public:
    static constexpr int kRecordSize = static_cast<int>(sizeof(Record));

    int Open(const std::string& path) { return MappedRecordFile::Open(path, kRecordSize); }

    Record* At(int index) { return static_cast<Record*>(RecordAt(index)); }
    const Record* At(int index) const { return static_cast<const Record*>(MappedRecordFile::RecordAt(index)); }

    int Append(Record& record) { return MappedRecordFile::Append(&record); }
    int Update(int index, const Record& record) { return MappedRecordFile::Update(index, &record); }

protected:
    // Binary search on the ascending ids; -1 when absent.
    int BinarySearchId(int id) const {
        int lo = 0, hi = Count() - 1;
        while (lo <= hi) {
            int mid = lo + (hi - lo) / 2;
            int midId = At(mid)->id;
            if (midId == id) return mid;
            if (midId > id)
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        return -1;
    }

    // Scans from the last record towards the first; the newest match wins.
    template <typename Field>
    const Record* FindNewest(Field Record::*field, std::string_view text) const {
        for (int i = Count() - 1; i >= 0; --i) {
            const Record* record = At(i);
            if ((record->*field).view() == text) return record;
        }
        return nullptr;
    }

    using MappedRecordFile::Append;
    using MappedRecordFile::Update;
};

}  // namespace tallux
