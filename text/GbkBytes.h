#pragma once

#include <cstddef>
#include <string_view>

namespace tallux {

// Byte-level helpers for GBK text that never split a double-byte character.
// A lead byte is 0x81..0xFE; it takes the following byte with it whenever
// one follows and it is not NUL. Everything else is a single-byte character.

inline bool IsGbkLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Length in bytes (1 or 2) of the character starting at text[pos].
std::size_t GbkCharLength(std::string_view text, std::size_t pos);

// The longest prefix of text of at most maxBytes bytes that ends on a
// character boundary.
std::string_view CutAtCharBoundary(std::string_view text, std::size_t maxBytes);

// Compares like strcmp after folding single-byte A..Z to a..z; bytes of
// double-byte characters are compared unfolded (a trail byte that looks like
// an ASCII letter is not a letter). When limit is given only the first limit
// bytes of each side take part, like strncmp.
int CompareNoCase(std::string_view a, std::string_view b, std::size_t limit = std::string_view::npos);

// True when text starts with prefix under CompareNoCase rules.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Position of the first occurrence of needle in haystack that starts on a
// character boundary of haystack, or npos. caseless selects CompareNoCase
// rules. An empty needle is found at 0.
std::size_t FindAtCharBoundary(std::string_view haystack, std::string_view needle, bool caseless);

}  // namespace tallux
