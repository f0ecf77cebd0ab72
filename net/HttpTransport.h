#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "net/TcpConnection.h"

namespace tallux {

// The minimal HTTP/1.0 clients the server exchanges use: one request per
// connection, the server closes after its answer.

struct HttpAnswer {
    int result = 0;    // see each function
    std::string body;  // the answer body (empty on failure)
};

// The text of a POST transport failure (-1 to -6); empty for other codes.
std::string TransportErrorText(int code);

// Both clients read an answer whole or not at all. The answer must arrive
// within the receive timeout (ioMs) counted once from the moment the request
// was sent, however slowly its bytes come. A Content-Length is the body's
// length: fewer bytes before the connection ends is a failed connection,
// bytes after it are ignored, a value that is no length (negative, not a
// number) makes the answer malformed. Without a length the body ends where
// the peer closes in order; a reset or a timeout ends no answer. These
// HTTP/1.0 clients read no transfer coding, so a chunked answer is malformed.
//
// Failures and the code each client gives them:
//   what happened                                         POST   cookie GET
//   socket could not be created                            -2      -100
//   host name not resolved                                 -3      -103
//   socket options could not be set                        -4      -120
//   connection refused or not made within connectMs,
//   request not sent, connection reset, answer cut off
//   before its end, no whole answer within the deadline    -5      -120
//   answer that is no HTTP (garbage), a header longer
//   than the buffer, a length that is no length, chunked   -1      -102
//   a readable status the client does not take             -6      -102
//   (POST: other than 200; cookie GET: outside 200..399)

// POSTs a GBK text and reads the answer body, at most size - 1 bytes (size
// is the answer buffer the caller would have: 1024 for transaction answers).
// result > 0: body length; 0: empty body; below 0 the codes above, whose
// texts TransportErrorText gives.
HttpAnswer HttpPostText(const Endpoint& endpoint, std::string_view path, std::string_view body, std::size_t size,
                        const TransportTimeouts& timeouts = {});

inline constexpr std::size_t kMaxCookieText = 1023;

// GETs path sending cookies (when not empty) and an optional referer, and
// replaces cookies with those the answer sets (when they fit 1023 bytes).
// result >= 0: body length (at most size - 1); below 0 the codes above.
HttpAnswer HttpGetWithCookies(const Endpoint& endpoint, std::string_view path, std::size_t size, std::string& cookies,
                              std::optional<std::string_view> referer = std::nullopt,
                              const TransportTimeouts& timeouts = {60000, 300000});

// The cookie text for the Set-Cookie lines of an answer header: each
// name=value pair (attributes dropped, no blanks) followed by ";".
std::string CookiesFromHeader(std::string_view header);

}  // namespace tallux
