#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "net/TcpConnection.h"

namespace tallux {

// How the connection under a reader ended; Open while it has not.
enum class AnswerEnd {
    Open,
    Closed,    // the peer closed in order
    Failed,    // reset, or another receive error
    TimedOut,  // a receive timeout or the exchange's deadline passed
};

// Reads an HTTP answer from a connection: header blocks, then the body.
// Bytes read past a header are kept for the body. A read that stops short of
// what was asked tells through End() why: only a peer that closed in order
// may have ended an answer that carries no length.
class HttpAnswerReader {
public:
    explicit HttpAnswerReader(TcpConnection& connection) : connection_(connection) {}

    // Reads one header block: up to the empty line (a line feed less than 5
    // bytes after the previous one), the peer closing, or limit bytes.
    // complete tells whether the empty line was seen. afterStatusLine: the
    // status line was read on its own, so an empty line may come first.
    std::string ReadHeader(std::size_t limit, bool& complete, bool afterStatusLine = false);
    // Reads the status line only (up to its line feed or limit bytes).
    std::string ReadLine(std::size_t limit);
    // Reads body bytes until maxBytes arrived or the connection ended.
    std::string ReadBody(std::size_t maxBytes);

    AnswerEnd End() const { return end_; }
    // The connection broke off (reset or timed out) instead of ending in order.
    bool BrokeOff() const { return end_ == AnswerEnd::Failed || end_ == AnswerEnd::TimedOut; }

private:
    bool Fill();  // false once the connection ended

    TcpConnection& connection_;
    std::string pending_;
    AnswerEnd end_ = AnswerEnd::Open;
};

// The status code of a status line ("HTTP/1.0 200 OK" -> 200), -1 without one.
int StatusCode(const std::string& statusLine);

// False once the bytes received can no longer be the start of an HTTP
// answer ("HTTP/"): garbage, as opposed to an answer cut off early.
bool CouldStartAnswer(std::string_view received);

// The value of header field name (any letter case, blanks after the colon
// skipped, the line end dropped). Fields are matched at line starts only, so
// "X-Content-Type-Options" is never taken for "Content-Type".
std::optional<std::string_view> HeaderFieldValue(std::string_view header, std::string_view name);

// True when the header names a transfer coding other than identity (such
// as chunked), which the HTTP/1.0 clients do not read.
bool HasTransferCoding(std::string_view header);

// A Content-Length value: decimal digits, blanks around them allowed. Empty
// for anything else (a sign, other characters, no digits): such an answer
// has no length a reader could trust. Lengths beyond kMostContentLength are
// taken as kMostContentLength, far above any buffer.
inline constexpr long long kMostContentLength = 1'000'000'000'000'000LL;
std::optional<long long> ParseContentLength(std::string_view value);

}  // namespace tallux
