#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tallux {

// The common input hints: short phrases, one per line of prompt.dat
// (UTF-16LE, no byte-order mark), offered in remark-like fields.
inline constexpr const char* kInputHintsFile = "prompt.dat";

// Splits a hint text into its entries: each entry runs to the next line
// feed; an entry shorter than 2 characters ends the list; carriage returns
// and blanks after a line feed are skipped. The carriage return at the end
// of an entry is not part of it.
std::vector<std::u16string> ParseHints(std::u16string_view text);
// Reads at most 63,999 characters of path and parses them; a missing file
// gives no hints.
std::vector<std::u16string> LoadHints(const std::string& path);
// Writes exactly the characters of text; false when it cannot be written.
bool SaveHintsText(const std::string& path, std::u16string_view text);

}  // namespace tallux
