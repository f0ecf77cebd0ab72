#pragma once

#include <cstddef>
#include <string>

#include "net/TcpConnection.h"

namespace tallux {

// Reads an HTTP answer from a connection: header blocks, then the body.
// Bytes read past a header are kept for the body.
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
    // Reads body bytes until maxBytes arrived or the peer closed.
    std::string ReadBody(std::size_t maxBytes);

private:
    bool Fill();  // false when the peer closed or failed

    TcpConnection& connection_;
    std::string pending_;
    bool closed_ = false;
};

// The status code of a status line ("HTTP/1.0 200 OK" -> 200), -1 without one.
int StatusCode(const std::string& statusLine);

}  // namespace tallux
