#pragma once

#include <stdexcept>
#include <string>

namespace tallux::server {

// Any failure of the storage layer; request handlers turn it into the
// "server error" answer of the command.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace tallux::server
