#include "server/HttpRequest.h"

#include <strings.h>

namespace tallux::server {

const std::string* HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (key.size() == name.size() && strncasecmp(key.data(), name.data(), name.size()) == 0) return &value;
    return nullptr;
}

}  // namespace tallux::server
