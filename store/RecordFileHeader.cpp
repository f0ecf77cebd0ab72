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

    const std::int32_t mark = le::LoadInt32(raw + kJournalMarkOffset);
    if (mark == kRemovalMark || mark == kUpdateMark || mark == kRangeRemovalMark) {
        PendingChange p;
        p.kind = mark == kUpdateMark ? PendingChange::Kind::Update : PendingChange::Kind::Removal;
        p.index = le::LoadInt32(raw + kJournalIndexOffset);
        p.originalCount = le::LoadInt32(raw + kJournalCountOffset);
        p.progress = le::LoadInt32(raw + kJournalProgressOffset);
        p.width = mark == kRangeRemovalMark ? le::LoadInt32(raw + kJournalWidthOffset) : 1;
        bool consistent;
        if (p.kind == PendingChange::Kind::Removal) {
            consistent = p.originalCount > 0 && p.width >= 1 && p.width <= p.originalCount && p.index >= 0 &&
                         p.index <= p.originalCount - p.width && p.progress >= p.index &&
                         p.progress <= p.originalCount - p.width &&
                         (header.count == p.originalCount || header.count == p.originalCount - p.width) &&
                         static_cast<std::int64_t>(kHeaderSize) + p.originalCount * recordSize <= fileSize;
        } else {
            // The staged record sits in the slot after the last one.
            consistent = p.index >= 0 && p.index < p.originalCount && header.count == p.originalCount &&
                         static_cast<std::int64_t>(kHeaderSize) + (p.originalCount + 1) * recordSize <= fileSize;
        }
        if (!consistent) return "the journal of an interrupted change is inconsistent";
        header.pending = p;
    }
    if (le::LoadInt32(raw + kRemovalNoteOffset) == kRemovalNoteMark) {
        header.removalNote = le::LoadInt32(raw + kRemovalNoteIdOffset);
        if (header.removalNote <= 0 || header.removalNote > header.lastId)
            return "the note of an interrupted removal names id " + std::to_string(header.removalNote) +
                   ", which was never issued";
    }
    return std::nullopt;
}

}  // namespace tallux

namespace tallux {

void EncodeJournal(const PendingChange& change, unsigned char (&bytes)[kJournalSize]) {
    std::memset(bytes, 0, kJournalSize);
    const bool range = change.kind == PendingChange::Kind::Removal && change.width != 1;
    le::StoreInt32(bytes + (kJournalMarkOffset - kJournalOffset), change.kind == PendingChange::Kind::Update
                                                                      ? kUpdateMark
                                                                  : range ? kRangeRemovalMark
                                                                          : kRemovalMark);
    le::StoreInt32(bytes + (kJournalIndexOffset - kJournalOffset), change.index);
    le::StoreInt32(bytes + (kJournalCountOffset - kJournalOffset), change.originalCount);
    le::StoreInt32(bytes + (kJournalProgressOffset - kJournalOffset), change.progress);
    if (range) le::StoreInt32(bytes + (kJournalWidthOffset - kJournalOffset), change.width);
}

}  // namespace tallux
