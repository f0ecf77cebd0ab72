#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tallux {

// The 256-byte header of a record file: int32 count, int32 lastId, then
// reserved bytes that are zero except while a change is in progress.
inline constexpr std::size_t kHeaderSize = 256;
inline constexpr std::size_t kCountOffset = 0;
inline constexpr std::size_t kLastIdOffset = 4;

// Changes that rewrite records in place are journalled in the reserved
// header bytes, so that one interrupted by a crash is finished on the next
// open instead of leaving a record torn or twice in the file:
// - a delete moves every later record down by one slot, one at a time; the
//   journal holds the index removed, the count before the delete and the
//   next slot to fill;
// - an update first writes the new record into the spare slot after the
//   last record; the journal holds the index to copy it to and the count;
// - a run of adjacent deletes may be left pending (an upload removes one
//   accepted record after the other from the front): the journal holds the
//   first slot, the count before, the next slot to fill and the number of
//   slots removed, and the records are moved down once for the whole run.
// Readers that ignore the reserved bytes are unaffected; the journal is zero
// again when the change completes.
inline constexpr std::size_t kJournalOffset = 8;
inline constexpr std::size_t kJournalSize = 20;
inline constexpr std::size_t kJournalMarkOffset = 8;
inline constexpr std::size_t kJournalIndexOffset = 12;
inline constexpr std::size_t kJournalCountOffset = 16;
inline constexpr std::size_t kJournalProgressOffset = 20;
inline constexpr std::size_t kJournalWidthOffset = 24;
inline constexpr std::int32_t kRemovalMark = 0x314C4544;       // "DEL1"
inline constexpr std::int32_t kUpdateMark = 0x31445055;        // "UPD1"
inline constexpr std::int32_t kRangeRemovalMark = 0x4E4C4544;  // "DELN"

// The removal of a shipment takes its goods lines and piece weights in two
// other files along (see store/ShipmentRemoval.h). From just before the
// shipment's own removal until its last child's is durable, the header of
// the shipment file names the shipment here, after the journal: a mark and
// the id. Zero when no such removal is under way.
inline constexpr std::size_t kRemovalNoteOffset = 28;
inline constexpr std::size_t kRemovalNoteSize = 8;
inline constexpr std::size_t kRemovalNoteIdOffset = 32;
inline constexpr std::int32_t kRemovalNoteMark = 0x434C4544;  // "DELC"

struct PendingChange {
    enum class Kind { Removal, Update };
    Kind kind = Kind::Removal;
    std::int32_t index = 0;          // the slot removed or rewritten
    std::int32_t originalCount = 0;  // count before the change
    std::int32_t progress = 0;       // removal: next slot to fill from the one width slots after it
    std::int32_t width = 1;          // removal: adjacent slots removed from index on
};

struct RecordFileHeader {
    std::int32_t count = 0;
    std::int32_t lastId = 0;
    std::optional<PendingChange> pending;
    std::int32_t removalNote = 0;  // the id a removal note names, 0 when none
};

// The 20 journal bytes for a change (all zero clears the journal).
void EncodeJournal(const PendingChange& change, unsigned char (&bytes)[kJournalSize]);

// Parses the first min(fileSize, 256) bytes of a record file and checks that
// they can describe a file of fileSize bytes. Returns the reason when not.
// An empty file (fileSize 0) is a valid, empty store.
std::optional<std::string> ParseRecordFileHeader(const unsigned char* bytes, std::int64_t fileSize,
                                                 std::int64_t recordSize, RecordFileHeader& header);

}  // namespace tallux
