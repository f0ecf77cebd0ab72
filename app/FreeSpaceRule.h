#pragma once

#include <cstdint>
#include <string>

namespace tallux {

inline constexpr const char* kFreeSpaceMessage =
    "注意：工作盘剩余空间太小(<150MB),\r\n不能满足数据处理最低要求!\r\n程序将不会被启动！\r\n";

// The working volume must offer more than this many bytes to the user.
inline constexpr std::uint64_t kFreeSpaceFloor = 149'999'999;

inline bool FreeSpaceSuffices(std::uint64_t availableBytes) { return availableBytes > kFreeSpaceFloor; }

// Bytes available to this user on the volume of directory (statvfs:
// f_bavail * f_frsize); 0 when the volume cannot be asked.
std::uint64_t AvailableBytesOnVolume(const std::string& directory);

}  // namespace tallux
