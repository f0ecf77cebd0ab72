#include "store/RecordFileHeader.h"

#include <algorithm>
#include <cstring>

#include "store/LittleEndian.h"

namespace tallux {

std::optional<std::string> ParseRecordFileHeader(const unsigned char* bytes, std::int64_t fileSize,
                                                 std::int64_t recordSize, RecordFileHeader& header) {
    header = RecordFileHeader{};
    if (fileSize <= 0) return std::nullopt;

    // A short file counts with zeros for the bytes it lacks.
    unsigned char raw[kHeaderSize] = {};
    std::memcpy(raw, bytes, static_cast<std::size_t>(std::min<std::int64_t>(fileSize, kHeaderSize)));
    header.count = le::LoadInt32(raw + kCountOffset);
    header.lastId = le::LoadInt32(raw + kLastIdOffset);

    if (header.count < 0) return "header count " + std::to_string(header.count) + " is negative";
    if (header.lastId < 0) return "header lastId " + std::to_string(header.lastId) + " is negative";
    if (header.count > header.lastId)
        return "header count " + std::to_string(header.count) + " exceeds lastId " + std::to_string(header.lastId);

    std::int64_t recordsEnd = static_cast<std::int64_t>(kHeaderSize) + header.count * recordSize;
    if (header.count > 0 && recordsEnd > fileSize)
        return "header count " + std::to_string(header.count) + " needs " + std::to_string(recordsEnd) +
               " bytes but the file has " + std::to_string(fileSize);

    if (le::LoadInt32(raw + kRemovalMarkOffset) == kRemovalMark) {
        PendingRemoval p;
        p.index = le::LoadInt32(raw + kRemovalIndexOffset);
        p.originalCount = le::LoadInt32(raw + kRemovalCountOffset);
        p.progress = le::LoadInt32(raw + kRemovalProgressOffset);
        bool consistent = p.originalCount > 0 && p.index >= 0 && p.index < p.originalCount &&
                          p.progress >= p.index && p.progress <= p.originalCount - 1 &&
                          (header.count == p.originalCount || header.count == p.originalCount - 1) &&
                          static_cast<std::int64_t>(kHeaderSize) + p.originalCount * recordSize <= fileSize;
        if (!consistent) return "the journal of an interrupted delete is inconsistent";
        header.pending = p;
    }
    return std::nullopt;
}

}  // namespace tallux
