#include "store/RecordFileSnapshot.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace tallux {

bool RecordFileSnapshot::Load(const std::string& path, int recordSize) {
    *this = RecordFileSnapshot{};
    recordSize_ = recordSize;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        if (errno == ENOENT) return true;
        error_ = path + ": " + std::strerror(errno);
        return false;
    }
    exists_ = true;
    fileSize_ = static_cast<std::int64_t>(in.tellg());
    unsigned char headerBytes[kHeaderSize] = {};
    in.seekg(0);
    in.read(reinterpret_cast<char*>(headerBytes), std::min<std::int64_t>(fileSize_, kHeaderSize));
    if (auto reason = ParseRecordFileHeader(headerBytes, fileSize_, recordSize, header_)) {
        error_ = path + ": header invalid: " + *reason;
        return false;
    }
    // A pending change is finished by the next writer; until then the file
    // may hold one record more than its header counts.
    int stored = header_.pending ? std::max(header_.pending->originalCount, header_.count) : header_.count;
    records_.resize(static_cast<std::size_t>(stored) * static_cast<std::size_t>(recordSize));
    in.seekg(static_cast<std::streamoff>(kHeaderSize));
    if (!records_.empty() &&
        !in.read(reinterpret_cast<char*>(records_.data()), static_cast<std::streamsize>(records_.size()))) {
        error_ = path + ": cannot read the records";
        return false;
    }
    count_ = header_.count;
    // A delete whose count is not written yet: the slots from progress on
    // are still to be closed up over the removed ones.
    if (const auto& pending = header_.pending;
        pending && pending->kind == PendingChange::Kind::Removal && header_.count == pending->originalCount) {
        const auto size = static_cast<std::size_t>(recordSize);
        const auto from =
            records_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(pending->progress) * size);
        records_.erase(from, from + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(pending->width) * size));
        count_ = pending->originalCount - pending->width;
    }
    return true;
}

}  // namespace tallux
