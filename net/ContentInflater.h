#pragma once

#include <cstddef>
#include <span>

namespace tallux {

// Content codings of an answer, as the web request reports them.
enum ContentCoding : int { kCodingNone = 0, kCodingGzip = 1, kCodingDeflate = 2 };

inline constexpr int kInflateNoMemory = -200;
inline constexpr int kInflateFailed = -201;

// Inflates the first length bytes of area in place (through a copy) and
// NUL-terminates the result. gzip takes any gzip header (file name,
// comment, extra field) and checks the trailer; deflate takes zlib-wrapped
// or raw data. The result must leave room for the NUL: an output of
// area.size() bytes or more is refused, and nothing is written past the
// area. Returns the inflated length (> 0), kInflateNoMemory, or
// kInflateFailed for broken, incomplete, empty or oversize output.
int InflateBody(std::span<char> area, std::size_t length, int coding);

}  // namespace tallux
