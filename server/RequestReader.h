#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "server/HttpRequest.h"
#include "server/HttpStatus.h"

namespace tallux::server {

// Collects the bytes of one request as they arrive and parses them: the
// head up to the empty line (CRLF or bare LF line ends), then a body of
// Content-Length bytes. Anything after the body is ignored; chunked bodies
// are not supported.
class RequestReader {
public:
    struct Limits {
        std::size_t maxHeadBytes = 16 * 1024;
        std::size_t maxBodyBytes = 8 * 1024 * 1024;
    };
    enum class State { NeedMore, Complete, Failed };

    RequestReader();
    explicit RequestReader(Limits limits);

    State Feed(std::string_view bytes);
    // The peer closed its side: a request still incomplete is truncated.
    State FinishInput();

    State GetState() const { return state_; }
    // Set when Failed: the status to answer with.
    HttpStatus Error() const { return error_; }
    const HttpRequest& Request() const { return request_; }
    std::size_t BytesSeen() const { return seen_; }

private:
    State Fail(HttpStatus status);
    State ParseHead(std::string_view head);

    Limits limits_;
    State state_ = State::NeedMore;
    HttpStatus error_ = HttpStatus::Ok;
    std::string buffer_;
    std::size_t seen_ = 0;
    std::size_t bodyStart_ = 0;  // 0 while the head is incomplete
    std::size_t contentLength_ = 0;
    HttpRequest request_;
};

}  // namespace tallux::server
