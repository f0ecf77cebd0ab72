#pragma once

#include <string>
#include <string_view>

namespace tallux {

// Writing files that must never be found half-written: the settings files,
// the printer bindings, pictures handed to the spreadsheet engine.

// Writes all of bytes to fd, going on after interrupted or partial writes;
// false on the first failed write.
bool WriteAll(int fd, std::string_view bytes);

// Replaces path with bytes: a new file beside it (mode 0644), written whole,
// synced and renamed over the old one, the folder synced after it. False,
// leaving the old file as it was and no new file behind, when any step
// fails.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace tallux
