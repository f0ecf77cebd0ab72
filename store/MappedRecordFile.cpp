#include "store/MappedRecordFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "store/LittleEndian.h"
#include "store/RecordFileHeader.h"

namespace tallux {
namespace {

constexpr int kSpareRecords = 500;
constexpr int kRemapAtModification = 500;

bool ReadFully(int fd, unsigned char* buffer, std::size_t size, off_t offset) {
    while (size > 0) {
        ssize_t n = pread(fd, buffer, size, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buffer += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

}  // namespace

MappedRecordFile::MappedRecordFile() = default;

MappedRecordFile::~MappedRecordFile() {
    // Left pending, the removals would still be finished by the next open;
    // closing them up now leaves a plain file for other readers.
    FinishPendingRemovals();
    Unmap();
    CloseFile();
}

int MappedRecordFile::Open(const std::string& path, int recordSize) {
    path_ = path;
    recordSize_ = recordSize;
    return Reopen() ? Count() : -1;
}

bool MappedRecordFile::Reopen() {
    Unmap();
    CloseFile();
    isOpen_ = false;
    modifications_ = 1;
    errorText_.clear();
    if (recordSize_ < 4) {
        Fail("File(%s) open failed.");
        return false;
    }

    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        Fail("File(%s) open failed.");
        return false;
    }
    // One writer per file: a second open, from this or another process,
    // fails here instead of silently sharing the file.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd_, F_OFD_SETLK, &lock) != 0) {
        CloseFile();
        Fail("File(%s) open failed.");
        return false;
    }
    posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return MapView();
}

bool MappedRecordFile::MapView() {
    struct stat st {};
    if (fstat(fd_, &st) != 0) {
        Fail("File(%s) open failed.");
        return false;
    }
    unsigned char headerBytes[kHeaderSize] = {};
    std::size_t headerRead = static_cast<std::size_t>(std::min<off_t>(st.st_size, kHeaderSize));
    if (headerRead > 0 && !ReadFully(fd_, headerBytes, headerRead, 0)) {
        Fail("File(%s) open failed.");
        return false;
    }
    RecordFileHeader header;
    if (auto reason = ParseRecordFileHeader(headerBytes, st.st_size, recordSize_, header)) {
        // Refuse before anything is mapped or extended, so the file stays
        // exactly as it was for whoever looks into it.
        errorText_ = "File(" + path_ + ") header invalid: " + *reason + "; the file was left unchanged.";
        CloseFile();
        return false;
    }
    count_ = header.count;
    lastId_ = header.lastId;
    deferredWidth_ = 0;

    std::int64_t capacity = static_cast<std::int64_t>(count_) + kSpareRecords;
    std::int64_t bytes = capacity * recordSize_ + static_cast<std::int64_t>(kHeaderSize);
    if (st.st_size < bytes && !WriteZeros(st.st_size, bytes)) {
        Fail("File(%s) mapping failed.");
        return false;
    }
    void* view = mmap(nullptr, static_cast<std::size_t>(bytes), PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (view == MAP_FAILED) {
        Fail("File(%s) mapview failed(0).");
        return false;
    }
    view_ = static_cast<unsigned char*>(view);
    ++changeSerial_;  // positions cached by derived stores are stale now
    viewBytes_ = static_cast<std::size_t>(bytes);
    capacity_ = static_cast<int>(std::min<std::int64_t>(capacity, INT_MAX));
    isOpen_ = true;

    if (header.pending) {
        if (!FinishChange(*header.pending) || fdatasync(fd_) != 0) {
            Fail("File(%s) mapping failed.");
            Unmap();
            CloseFile();
            isOpen_ = false;
            return false;
        }
    }
    return true;
}

void MappedRecordFile::Unmap() {
    if (view_) munmap(view_, viewBytes_);
    view_ = nullptr;
    viewBytes_ = 0;
    capacity_ = 0;
}

void MappedRecordFile::CloseFile() {
    if (fd_ >= 0) ::close(fd_);  // also releases the lock
    fd_ = -1;
}

void MappedRecordFile::Fail(const char* format) {
    std::string text = format;
    text.replace(text.find("%s"), 2, path_);
    errorText_ = text;
}

bool MappedRecordFile::InView(const void* p) const {
    auto address = reinterpret_cast<std::uintptr_t>(p);
    auto base = reinterpret_cast<std::uintptr_t>(view_);
    return view_ && address + static_cast<std::uintptr_t>(recordSize_) > base && address < base + viewBytes_;
}

off_t MappedRecordFile::SlotOffset(int index) const {
    return static_cast<off_t>(kHeaderSize) + static_cast<off_t>(index) * recordSize_;
}

bool MappedRecordFile::WriteZeros(off_t from, off_t to) {
    // The spare room is written, not just reserved: an append then overwrites
    // blocks that exist on disk, and its flush is one data write instead of a
    // data write plus a file system metadata commit. Synced once here, it
    // costs a fraction of what it saves over the next 499 appends.
    static const std::vector<unsigned char> zeros(1 << 20, 0);
    for (off_t at = from; at < to;) {
        auto chunk = static_cast<std::size_t>(std::min<off_t>(to - at, static_cast<off_t>(zeros.size())));
        if (!WriteAt(zeros.data(), chunk, at)) return false;
        at += static_cast<off_t>(chunk);
    }
    return fdatasync(fd_) == 0;
}

bool MappedRecordFile::WriteAt(const void* data, std::size_t size, off_t offset) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t n = pwrite(fd_, bytes, size, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

unsigned char* MappedRecordFile::Slot(int index) const {
    return view_ + kHeaderSize + static_cast<std::size_t>(index) * static_cast<std::size_t>(recordSize_);
}

// A file that could not be reopened after a failed write has no records to
// show: its old count would send readers to records that are not mapped.
int MappedRecordFile::Count() const { return isOpen_ ? count_ : 0; }

bool MappedRecordFile::IsOpen() const { return isOpen_; }

void* MappedRecordFile::RecordAt(int index) {
    if (!isOpen_ || index < 0 || index >= count_) return nullptr;
    return Slot(Physical(index));
}

const void* MappedRecordFile::RecordAt(int index) const { return const_cast<MappedRecordFile*>(this)->RecordAt(index); }

int MappedRecordFile::Update(int index, const void* record) {
    if (!isOpen_ || !record || index < 0 || index >= count_) return 0;
    if (!FinishPendingRemovals()) return 0;
    const auto size = static_cast<std::size_t>(recordSize_);
    // A record taken from the mapping itself is copied out first: staging
    // it below may overwrite where it lies, or a remap move it.
    std::vector<unsigned char> copy;
    const auto* bytes = static_cast<const unsigned char*>(record);
    if (InView(bytes)) {
        copy.assign(bytes, bytes + size);
        bytes = copy.data();
    }
    // Stage the new record in the spare slot after the last one, journal
    // the copy, then make it: a crash leaves the old record or the new one.
    if (!EnsureRoomForOneMore() || !WriteAt(bytes, size, SlotOffset(count_))) return 0;
    PendingChange change{PendingChange::Kind::Update, index, count_, 0};
    if (!WriteJournal(&change) || !FinishChange(change)) {
        Reopen();  // finishes the change from its journal, or leaves the file closed
        return 0;
    }
    CountModification();
    return 1;
}

int MappedRecordFile::Append(void* record) {
    if (!isOpen_ || !record || lastId_ == INT_MAX || count_ == INT_MAX) return -1;
    if (!FinishPendingRemovals()) return -1;
    const auto size = static_cast<std::size_t>(recordSize_);
    // The new id goes into the caller's buffer, unless that buffer is a
    // record of this file (a copy being appended): that one keeps its id.
    std::vector<unsigned char> copy;
    auto* bytes = static_cast<unsigned char*>(record);
    if (InView(bytes)) {
        copy.assign(bytes, bytes + size);
        bytes = copy.data();
    }
    if (!EnsureRoomForOneMore()) return -1;
    const std::int32_t id = lastId_ + 1;
    le::StoreInt32(bytes, id);
    // Record first, then count and lastId in one write: an interruption
    // anywhere leaves a header that covers only complete records and never
    // reissues an id.
    if (!WriteAt(bytes, size, SlotOffset(count_))) return -1;
    unsigned char header[8];
    le::StoreInt32(header + kCountOffset, count_ + 1);
    le::StoreInt32(header + kLastIdOffset, id);
    if (!WriteAt(header, sizeof header, 0)) return -1;
    lastId_ = id;
    ++count_;
    CountModification();
    return count_;
}

bool MappedRecordFile::EnsureRoomForOneMore() {
    if (count_ < capacity_) return true;
    // Only reachable when more appends than spare records happen between
    // remaps, which the flush rule prevents; remap rather than write past
    // the view.
    Unmap();
    isOpen_ = false;
    return MapView() && count_ < capacity_;
}

int MappedRecordFile::RemoveAt(int index) {
    if (!isOpen_ || index < 0 || index >= count_) return 0;
    if (!FinishPendingRemovals()) return 0;
    PendingChange change{PendingChange::Kind::Removal, index, count_, index};
    if (!WriteJournal(&change) || !FinishChange(change)) {
        // A write failed half-way: reopening finishes the delete from its
        // journal, or leaves the file closed when the disk refuses that too.
        Reopen();
        return 0;
    }
    CountModification();
    return 1;
}

int MappedRecordFile::RemoveAtDeferred(int index) {
    if (!isOpen_ || index < 0 || index >= count_) return 0;
    const int slot = Physical(index);
    PendingChange change{PendingChange::Kind::Removal, slot, count_, slot, 1};
    if (deferredWidth_ > 0) {
        if (slot == deferredIndex_ + deferredWidth_) {
            change = {PendingChange::Kind::Removal, deferredIndex_, deferredOriginal_, deferredIndex_,
                      deferredWidth_ + 1};
        } else if (slot == deferredIndex_ - 1) {
            change = {PendingChange::Kind::Removal, slot, deferredOriginal_, slot, deferredWidth_ + 1};
        } else {
            if (!FinishPendingRemovals()) return 0;
            change = {PendingChange::Kind::Removal, index, count_, index, 1};
        }
    }
    // The journal names every pending slot: once written, the removal
    // survives a crash (the next open finishes it) and readers skip it.
    if (!WriteJournal(&change)) {
        Reopen();
        return 0;
    }
    deferredIndex_ = change.index;
    deferredWidth_ = change.width;
    deferredOriginal_ = change.originalCount;
    --count_;
    CountModification();
    return 1;
}

bool MappedRecordFile::FinishPendingRemovals() {
    if (!isOpen_ || deferredWidth_ == 0) return isOpen_;
    PendingChange change{PendingChange::Kind::Removal, deferredIndex_, deferredOriginal_, deferredIndex_,
                         deferredWidth_};
    deferredWidth_ = 0;
    if (!FinishChange(change)) {
        Reopen();
        return false;
    }
    CountModification();
    return isOpen_;
}

bool MappedRecordFile::WriteJournal(const PendingChange* change) {
    // One write, so the journal is either whole or absent.
    unsigned char journal[kJournalSize] = {};
    if (change) EncodeJournal(*change, journal);
    return WriteAt(journal, sizeof journal, kJournalOffset);
}

bool MappedRecordFile::FinishChange(const PendingChange& change) {
    const auto size = static_cast<std::size_t>(recordSize_);
    std::vector<unsigned char> record(size);
    if (change.kind == PendingChange::Kind::Update) {
        std::memcpy(record.data(), Slot(change.originalCount), size);
        return WriteAt(record.data(), size, SlotOffset(change.index)) && WriteJournal(nullptr);
    }
    // Slot s+width is read before anything overwrites it, so repeating the
    // copy of the slot named by progress after an interruption is harmless.
    const std::int32_t width = change.width;
    unsigned char progress[4];
    for (std::int32_t s = change.progress; s < change.originalCount - width; ++s) {
        std::memcpy(record.data(), Slot(s + width), size);
        le::StoreInt32(progress, s + 1);
        if (!WriteAt(record.data(), size, SlotOffset(s)) || !WriteAt(progress, sizeof progress, kJournalProgressOffset))
            return false;
    }
    unsigned char count[4];
    le::StoreInt32(count, change.originalCount - width);
    if (!WriteAt(count, sizeof count, kCountOffset) || !WriteJournal(nullptr)) return false;
    count_ = change.originalCount - width;
    return true;
}

std::int32_t MappedRecordFile::RemovalNote() const {
    if (!isOpen_ || le::LoadInt32(view_ + kRemovalNoteOffset) != kRemovalNoteMark) return 0;
    return le::LoadInt32(view_ + kRemovalNoteIdOffset);
}

bool MappedRecordFile::WriteRemovalNote(std::int32_t id) {
    if (!isOpen_) return false;
    unsigned char note[kRemovalNoteSize] = {};
    if (id != 0) {
        le::StoreInt32(note, kRemovalNoteMark);
        le::StoreInt32(note + (kRemovalNoteIdOffset - kRemovalNoteOffset), id);
    }
    return WriteAt(note, sizeof note, kRemovalNoteOffset);
}

void MappedRecordFile::Touch() {
    if (isOpen_) CountModification();
}

void MappedRecordFile::CountModification() {
    ++modifications_;
    ++changeSerial_;
    Flush();
}

bool MappedRecordFile::Flush() {
    if (modifications_ <= 1) return true;
    if (!view_ || fd_ < 0) return false;
    // Linux has one page cache for the mapping and for write(), so this
    // also writes what was changed in place through the mapping.
    bool synced = fdatasync(fd_) == 0;
    if (modifications_ < kRemapAtModification) return synced;

    // Remap so that the next 499 appends find spare room. The file stays
    // open (and locked) across the remap.
    Unmap();
    isOpen_ = false;
    count_ = 0;
    lastId_ = 0;
    modifications_ = 1;
    return MapView() && synced;
}

}  // namespace tallux
