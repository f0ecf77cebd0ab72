#pragma once

#include <string>
#include <string_view>

namespace tallux {

// MD5 of bytes as 32 lower-case hexadecimal digits. Used where the server
// or the platform expects it (login digest, instance key), not for secrecy.
std::string Md5Hex(std::string_view bytes);

}  // namespace tallux
