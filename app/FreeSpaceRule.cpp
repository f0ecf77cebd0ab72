#include "app/FreeSpaceRule.h"

#include <sys/statvfs.h>

#include <limits>

namespace tallux {

std::uint64_t AvailableBytesOnVolume(const std::string& directory) {
    struct statvfs volume {};
    if (statvfs(directory.c_str(), &volume) != 0) return 0;
    std::uint64_t bytes = 0;
    if (__builtin_mul_overflow(static_cast<std::uint64_t>(volume.f_bavail), static_cast<std::uint64_t>(volume.f_frsize),
                               &bytes))
        return std::numeric_limits<std::uint64_t>::max();
    return bytes;
}

}  // namespace tallux
