#include "net/ChunkedDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace tallux {
namespace {

// Size lines carry extensions, but nothing sensible needs more than this.
constexpr std::size_t kMaxSizeLine = 1024;
// Reading is done in pieces so a huge chunk is never held twice.
constexpr std::size_t kPiece = 64 * 1024;
// Trailer lines after the last chunk; the peer closes anyway.
constexpr int kMaxTrailerLines = 64;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool EndsWithLineFeed(const std::string& line) { return !line.empty() && line.back() == '\n'; }

}  // namespace

std::optional<std::size_t> ParseChunkSize(std::string_view line, std::size_t maxSize) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::size_t size = 0;
    bool digits = false;
    for (; i < line.size() && HexValue(line[i]) >= 0; ++i) {
        digits = true;
        auto digit = static_cast<std::size_t>(HexValue(line[i]));
        if (size > maxSize / 16 || digit > maxSize - size * 16) return std::nullopt;
        size = size * 16 + digit;
    }
    if (!digits) return std::nullopt;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    // After the digits only an extension or the line end may follow.
    if (i < line.size() && line[i] != ';' && line[i] != '\r' && line[i] != '\n') return std::nullopt;
    return size;
}

ChunkedOutcome ReadChunkedBody(HttpAnswerReader& reader, std::span<char> area) {
    ChunkedOutcome outcome;
    while (true) {
        std::string line = reader.ReadLine(kMaxSizeLine);
        if (!EndsWithLineFeed(line)) {
            outcome.end = line.size() >= kMaxSizeLine ? ChunkedEnd::Malformed : ChunkedEnd::Truncated;
            return outcome;
        }
        // Sizes beyond the room left are refused before any byte is read.
        std::optional<std::size_t> size = ParseChunkSize(line, SIZE_MAX / 2);
        if (!size) {
            outcome.end = ChunkedEnd::Malformed;
            return outcome;
        }
        if (*size == 0) break;
        if (*size > area.size() - outcome.length) {
            outcome.end = ChunkedEnd::Oversize;
            return outcome;
        }
        std::size_t left = *size;
        while (left > 0) {
            std::string piece = reader.ReadBody(std::min(left, kPiece));
            std::memcpy(area.data() + outcome.length, piece.data(), piece.size());
            outcome.length += piece.size();
            left -= piece.size();
            if (piece.empty()) {
                outcome.end = ChunkedEnd::Truncated;
                return outcome;
            }
        }
        std::string lineEnd = reader.ReadLine(2);
        if (lineEnd != "\r\n" && lineEnd != "\n") {
            outcome.end = lineEnd.empty() || lineEnd == "\r" ? ChunkedEnd::Truncated : ChunkedEnd::Malformed;
            return outcome;
        }
    }
    outcome.end = ChunkedEnd::Complete;
    for (int i = 0; i < kMaxTrailerLines; ++i) {
        std::string trailer = reader.ReadLine(kMaxSizeLine);
        if (trailer.empty() || trailer == "\r\n" || trailer == "\n") break;
    }
    return outcome;
}

}  // namespace tallux
