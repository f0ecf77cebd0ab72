#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace tallux {

struct PendingChange;

// A file of fixed-size records kept wholly mapped into memory.
//
// Layout: a 256-byte header (int32 count, int32 lastId, reserved) followed by
// the records. Every record starts with an int32 id that Append assigns as
// lastId + 1, so ids ascend in file order and are never reused. Pointers
// returned by RecordAt point into the live mapping and are valid only until
// the next modifying call.
//
// Reads go through the mapping; changes are written with pwrite (the mapping
// shows them at once) in an order that a killed process cannot tear: a
// record before the header that counts it; updates and deletes journalled in
// the header's reserved bytes and finished on the next open. Every counted modification is flushed to disk
// (fdatasync) before the call returns, so a change whose call returned
// survives a crash or power loss. The mapping holds 500 spare records,
// written out when the file grows; on the 499th modification after an open
// it is remapped to make room again.
//
// The file is locked for writing by this object (an open-file-description
// lock, which also conflicts within one process); other processes may read it.
class MappedRecordFile {
public:
    MappedRecordFile();
    virtual ~MappedRecordFile();
    MappedRecordFile(const MappedRecordFile&) = delete;
    MappedRecordFile& operator=(const MappedRecordFile&) = delete;

    // Copies one record over record index. Returns 1, or 0 without writing
    // anything when index is not a valid record index or the file is closed.
    virtual int Update(int index, const void* record);
    // The record at index, or null when index is outside 0..count-1.
    virtual void* RecordAt(int index);
    // The records readers see; 0 while the file is closed.
    virtual int Count() const;
    virtual bool Reopen();
    virtual bool IsOpen() const;
    // Assigns lastId + 1 as the record's id (also in the caller's buffer,
    // unless it is a record of this file) and stores it after the last record. Returns the new count, -1 when the
    // file is closed or no id is left.
    virtual int Append(void* record);
    // Removes record index, moving the later ones down. Returns 1, or 0 when
    // index is not a valid record index or the file is closed.
    virtual int RemoveAt(int index);
    // Removes record index like RemoveAt, but when it borders on the removals
    // left pending before (an upload removing one record after the other),
    // the records behind are not moved yet: the removal is journalled, durable
    // and invisible to every reader at once, and the whole run is closed up
    // later in one pass. Any other change, FinishPendingRemovals, a remap or
    // the next open closes it up. Returns 1, or 0 as RemoveAt.
    int RemoveAtDeferred(int index);
    bool FinishPendingRemovals();
    virtual bool Flush();

    // The id of a record whose removal takes records of other files along
    // and may not be finished (see store/ShipmentRemoval.h); 0 when none.
    // Kept in the header's reserved bytes after the journal, which this
    // file's own changes leave alone.
    std::int32_t RemovalNote() const;
    // Writes the note (0 clears it) in one write. Not a counted
    // modification: it becomes durable with the next flush, which a removal
    // written after it makes before it returns. False when closed or the
    // write failed.
    bool WriteRemovalNote(std::int32_t id);

    // Opens (creating when missing) and maps path. Returns the count, or -1
    // with ErrorText() set.
    int Open(const std::string& path, int recordSize);

    const void* RecordAt(int index) const;
    int LastId() const { return lastId_; }
    // The id the next append gets; -1 when no id is left (the last id is the
    // largest int, and Append refuses).
    int NextId() const { return lastId_ == INT32_MAX ? -1 : lastId_ + 1; }
    // Counts a modification made in place through RecordAt.
    void Touch();

    const std::string& ErrorText() const { return errorText_; }
    const std::string& Path() const { return path_; }
    int RecordSize() const { return recordSize_; }
    // Grows with every counted modification and never resets; lets derived
    // stores notice that cached positions are out of date.
    std::uint64_t ChangeSerial() const { return changeSerial_; }

private:
    void CountModification();
    void Unmap();
    void CloseFile();
    bool MapView();
    bool EnsureRoomForOneMore();
    bool WriteJournal(const PendingChange* change);
    bool FinishChange(const PendingChange& change);
    unsigned char* Slot(int index) const;
    // The slot of record index while removals are pending.
    int Physical(int index) const {
        return deferredWidth_ > 0 && index >= deferredIndex_ ? index + deferredWidth_ : index;
    }
    off_t SlotOffset(int index) const;
    bool InView(const void* p) const;
    bool WriteAt(const void* data, std::size_t size, off_t offset);
    bool WriteZeros(off_t from, off_t to);
    void Fail(const char* format);

    int recordSize_ = 0;
    std::string path_;
    int fd_ = -1;
    unsigned char* view_ = nullptr;
    std::size_t viewBytes_ = 0;
    int capacity_ = 0;  // records that fit in the view
    int count_ = 0;     // records as readers see them, pending removals left out
    int lastId_ = 0;
    int deferredIndex_ = 0;     // first slot of the pending removals
    int deferredWidth_ = 0;     // how many; 0 when none
    int deferredOriginal_ = 0;  // the count before them
    bool isOpen_ = false;
    int modifications_ = 0;
    std::uint64_t changeSerial_ = 0;
    std::string errorText_;
};

}  // namespace tallux
