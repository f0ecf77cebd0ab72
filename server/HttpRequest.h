#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tallux::server {

// One parsed request. Header names keep their spelling; lookups ignore case.
struct HttpRequest {
    std::string method;
    std::string target;  // as sent: path and query
    std::string path;
    std::string query;  // after the first "?", not decoded
    int minorVersion = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    const std::string* Header(std::string_view name) const;
};

}  // namespace tallux::server
