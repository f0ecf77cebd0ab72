#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tallux {

// The 256-byte header of a record file: int32 count, int32 lastId, then
// reserved bytes that are zero except while a delete is in progress.
inline constexpr std::size_t kHeaderSize = 256;
inline constexpr std::size_t kCountOffset = 0;
inline constexpr std::size_t kLastIdOffset = 4;

// A delete moves every later record down by one slot, one record at a time.
// So that an interruption can be finished on the next open instead of
// leaving a record twice in the file, the move is journalled in the reserved
// header bytes: a mark, the index being removed, the count before the
// delete and the next slot to fill. Readers that ignore the reserved bytes
// are unaffected; the journal is zero again when the delete completes.
inline constexpr std::size_t kRemovalMarkOffset = 8;
inline constexpr std::size_t kRemovalIndexOffset = 12;
inline constexpr std::size_t kRemovalCountOffset = 16;
inline constexpr std::size_t kRemovalProgressOffset = 20;
inline constexpr std::int32_t kRemovalMark = 0x314C4544;  // "DEL1"

struct PendingRemoval {
    std::int32_t index = 0;          // the slot that was removed
    std::int32_t originalCount = 0;  // count before the delete
    std::int32_t progress = 0;       // next slot to fill from the one after it
};

struct RecordFileHeader {
    std::int32_t count = 0;
    std::int32_t lastId = 0;
    std::optional<PendingRemoval> pending;
};

// Parses the first min(fileSize, 256) bytes of a record file and checks that
// they can describe a file of fileSize bytes. Returns the reason when not.
// An empty file (fileSize 0) is a valid, empty store.
std::optional<std::string> ParseRecordFileHeader(const unsigned char* bytes, std::int64_t fileSize,
                                                 std::int64_t recordSize, RecordFileHeader& header);

}  // namespace tallux
