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

// POSTs a GBK text and reads the answer body, at most size - 1 bytes (size
// is the answer buffer the caller would have: 1024 for transaction answers).
// result > 0: body length; 0: empty body; -2 socket, -3 name resolution,
// -4 socket options, -5 connection (or sending) failed, -6 a status other
// than 200; -1 an answer whose header does not end within size bytes.
HttpAnswer HttpPostText(const Endpoint& endpoint, std::string_view path, std::string_view body, std::size_t size,
                        const TransportTimeouts& timeouts = {});

inline constexpr std::size_t kMaxCookieText = 1023;

// GETs path sending cookies (when not empty) and an optional referer, and
// replaces cookies with those the answer sets (when they fit 1023 bytes).
// result >= 0: body length (at most size - 1); -100 socket, -103 name
// resolution, -120 socket options or connection failed, -102 a status
// outside 200..399 or an answer without a status line.
HttpAnswer HttpGetWithCookies(const Endpoint& endpoint, std::string_view path, std::size_t size, std::string& cookies,
                              std::optional<std::string_view> referer = std::nullopt,
                              const TransportTimeouts& timeouts = {60000, 300000});

// The cookie text for the Set-Cookie lines of an answer header: each
// name=value pair (attributes dropped, no blanks) followed by ";".
std::string CookiesFromHeader(std::string_view header);

}  // namespace tallux
