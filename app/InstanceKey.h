#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tallux {

// Identifies the one running client of a program directory. Both values are
// taken from the lower-cased directory text; the directory itself keeps its
// case for file access (Linux paths are case-sensitive).
struct InstanceKey {
    // MD5 of the lower-cased directory as UTF-16LE bytes (no terminator), as
    // 32 lower-case hex digits: names the lock and the activation channel.
    std::string name;
    // CRC-32 of the first 16 digits of name as UTF-16LE bytes: a second start
    // must present it to bring the running window forward.
    std::uint32_t key = 0;

    static InstanceKey For(std::string_view programDirectoryUtf8);
};

// The common CRC-32 (reflected 0xEDB88320, initial 0xFFFFFFFF, final
// complement).
std::uint32_t Crc32(std::string_view bytes);

}  // namespace tallux
