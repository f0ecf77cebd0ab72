#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/RecordFileHeader.h"

namespace tallux {

// A read-only copy of a record file's header and valid records, taken
// without locking, so that a file can be inspected while the client runs.
class RecordFileSnapshot {
public:
    // A missing file reads as an empty store. Returns false with Error()
    // when the file cannot be read or its header cannot be true.
    bool Load(const std::string& path, int recordSize);

    bool Exists() const { return exists_; }
    const std::string& Error() const { return error_; }
    const RecordFileHeader& Header() const { return header_; }
    std::int64_t FileSize() const { return fileSize_; }
    // The records a reader sees: a pending delete is left out.
    int Count() const { return count_; }
    const unsigned char* Record(int index) const {
        return records_.data() + static_cast<std::size_t>(index) * static_cast<std::size_t>(recordSize_);
    }

private:
    bool exists_ = false;
    std::string error_;
    RecordFileHeader header_;
    std::int64_t fileSize_ = 0;
    int count_ = 0;
    int recordSize_ = 0;
    std::vector<unsigned char> records_;
};

}  // namespace tallux
