#include "server/HttpStatus.h"

namespace tallux::server {

std::string_view ReasonPhrase(HttpStatus status) {
    switch (status) {
    case HttpStatus::Ok: return "OK";
    case HttpStatus::BadRequest: return "Bad Request";
    case HttpStatus::NotFound: return "Not Found";
    case HttpStatus::MethodNotAllowed: return "Method Not Allowed";
    case HttpStatus::RequestTimeout: return "Request Timeout";
    case HttpStatus::PayloadTooLarge: return "Payload Too Large";
    case HttpStatus::HeaderTooLarge: return "Request Header Fields Too Large";
    case HttpStatus::InternalError: return "Internal Server Error";
    case HttpStatus::NotImplemented: return "Not Implemented";
    case HttpStatus::Unavailable: return "Service Unavailable";
    }
    return "Error";
}

std::string FormatHttpAnswer(HttpStatus status, std::string_view body) {
    std::string answer = "HTTP/1.0 " + std::to_string(static_cast<int>(status)) + " ";
    answer += ReasonPhrase(status);
    answer += "\r\nContent-Type: text/plain; charset=gbk\r\nContent-Length: ";
    answer += std::to_string(body.size());
    answer += "\r\nConnection: close\r\n\r\n";
    answer += body;
    return answer;
}

std::string FormatHttpError(HttpStatus status) {
    std::string body(ReasonPhrase(status));
    body += '\n';
    return FormatHttpAnswer(status, body);
}

}  // namespace tallux::server
