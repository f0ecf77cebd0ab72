#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "net/HttpAnswerReader.h"

namespace tallux {

// The size of a chunk from its size line ("1A;name=value\r\n" -> 26): hex
// digits read forwards, extensions after ";" and blanks ignored. Empty for
// a line without digits or a size beyond maxSize.
std::optional<std::size_t> ParseChunkSize(std::string_view line, std::size_t maxSize);

enum class ChunkedEnd {
    Complete,   // the last (0) chunk arrived
    Truncated,  // the connection ended (closed, reset, timed out) before the last chunk
    Malformed,  // a size line or a chunk's line end was not what it must be
    Oversize,   // the data would not fit the area
};

struct ChunkedOutcome {
    ChunkedEnd end = ChunkedEnd::Truncated;
    std::size_t length = 0;  // data bytes stored in the area
};

// Reads a chunked body into area, storing at most area.size() bytes of
// chunk data. Trailer lines after the last chunk are read and dropped.
ChunkedOutcome ReadChunkedBody(HttpAnswerReader& reader, std::span<char> area);

}  // namespace tallux
