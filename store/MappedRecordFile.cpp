#include "store/MappedRecordFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

#include "store/LittleEndian.h"
#include "store/RecordFileHeader.h"

namespace tallux {
namespace {

constexpr int kSpareRecords = 500;
constexpr int kRemapAtModification = 500;

// Keeps the compiler from reordering the stores around it. A process that is
// killed leaves its stores to the shared mapping in the page cache in program
// order, so record bytes written before a header field are never missing
// when the header field is there.
inline void KeepWriteOrder() { std::atomic_signal_fence(std::memory_order_seq_cst); }

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

    std::int64_t capacity = static_cast<std::int64_t>(count_) + kSpareRecords;
    std::int64_t bytes = capacity * recordSize_ + static_cast<std::int64_t>(kHeaderSize);
    if (st.st_size < bytes) {
        // Reserve the blocks now: a write into a mapped hole on a full disk
        // would kill the process instead of failing here.
        int rc = posix_fallocate(fd_, 0, bytes);
        if (rc == EOPNOTSUPP || rc == EINVAL) rc = ftruncate(fd_, bytes) == 0 ? 0 : errno;
        if (rc != 0) {
            Fail("File(%s) mapping failed.");
            return false;
        }
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
        FinishRemoval(header.pending->originalCount, header.pending->progress);
        msync(view_, viewBytes_, MS_SYNC);
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

unsigned char* MappedRecordFile::Slot(int index) const {
    return view_ + kHeaderSize + static_cast<std::size_t>(index) * static_cast<std::size_t>(recordSize_);
}

void MappedRecordFile::WriteHeaderInt(std::size_t offset, std::int32_t value) { le::StoreInt32(view_ + offset, value); }

int MappedRecordFile::Count() const { return count_; }

bool MappedRecordFile::IsOpen() const { return isOpen_; }

void* MappedRecordFile::RecordAt(int index) {
    if (!isOpen_ || index < 0 || index >= count_) return nullptr;
    return Slot(index);
}

const void* MappedRecordFile::RecordAt(int index) const {
    return const_cast<MappedRecordFile*>(this)->RecordAt(index);
}

int MappedRecordFile::Update(int index, const void* record) {
    if (!isOpen_ || !record || index < 0 || index >= count_) return 0;
    std::memmove(Slot(index), record, static_cast<std::size_t>(recordSize_));
    CountModification();
    return 1;
}

int MappedRecordFile::Append(void* record) {
    if (!isOpen_ || !record || lastId_ == INT_MAX || count_ == INT_MAX) return -1;
    if (!EnsureRoomForOneMore()) return -1;
    const std::int32_t id = lastId_ + 1;
    le::StoreInt32(record, id);
    std::memcpy(Slot(count_), record, static_cast<std::size_t>(recordSize_));
    // Record first, then lastId, then count: an interruption anywhere leaves
    // a header that covers only complete records and never reissues an id.
    KeepWriteOrder();
    WriteHeaderInt(kLastIdOffset, id);
    KeepWriteOrder();
    WriteHeaderInt(kCountOffset, count_ + 1);
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
    WriteHeaderInt(kRemovalIndexOffset, index);
    WriteHeaderInt(kRemovalCountOffset, count_);
    WriteHeaderInt(kRemovalProgressOffset, index);
    KeepWriteOrder();
    WriteHeaderInt(kRemovalMarkOffset, kRemovalMark);
    KeepWriteOrder();
    FinishRemoval(count_, index);
    CountModification();
    return 1;
}

void MappedRecordFile::FinishRemoval(std::int32_t originalCount, std::int32_t progress) {
    const auto size = static_cast<std::size_t>(recordSize_);
    // Slot s+1 is read before anything overwrites it, so repeating the copy
    // of the slot named by progress after an interruption is harmless.
    for (std::int32_t s = progress; s < originalCount - 1; ++s) {
        std::memcpy(Slot(s), Slot(s + 1), size);
        KeepWriteOrder();
        WriteHeaderInt(kRemovalProgressOffset, s + 1);
        KeepWriteOrder();
    }
    WriteHeaderInt(kCountOffset, originalCount - 1);
    KeepWriteOrder();
    WriteHeaderInt(kRemovalMarkOffset, 0);
    KeepWriteOrder();
    WriteHeaderInt(kRemovalIndexOffset, 0);
    WriteHeaderInt(kRemovalCountOffset, 0);
    WriteHeaderInt(kRemovalProgressOffset, 0);
    count_ = originalCount - 1;
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
    bool synced = msync(view_, viewBytes_, MS_SYNC) == 0;
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
