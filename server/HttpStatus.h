#pragma once

#include <string>
#include <string_view>

namespace tallux::server {

// Status codes this server answers with.
enum class HttpStatus : int {
    Ok = 200,
    BadRequest = 400,
    NotFound = 404,
    MethodNotAllowed = 405,
    RequestTimeout = 408,
    PayloadTooLarge = 413,
    HeaderTooLarge = 431,
    InternalError = 500,
    NotImplemented = 501,
    Unavailable = 503,
};

std::string_view ReasonPhrase(HttpStatus status);

// The whole answer: HTTP/1.0 status line, the fixed headers and the body.
// Every answer closes the connection.
std::string FormatHttpAnswer(HttpStatus status, std::string_view body);

// An error answer whose body is the reason phrase and a line feed.
std::string FormatHttpError(HttpStatus status);

}  // namespace tallux::server
