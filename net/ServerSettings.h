#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallux {

// Where the central server is and which site this installation belongs to.
// Built in: 127.0.0.1:8080 (the local server stand-in) and site "8001";
// a line "server=HOST:PORT" or "site=ID" in tallux.conf in the program
// directory overrides them, and the command line overrides both.
struct ServerSettings {
    std::string host = "127.0.0.1";
    std::uint16_t port = 8080;
    std::string site = "8001";

    // Applies "HOST:PORT" (or "HOST", keeping the port); false when malformed.
    bool SetServer(std::string_view text);
    // Reads tallux.conf below programDirectory when it exists; unknown lines
    // are ignored. Returns an error text for a malformed value.
    std::optional<std::string> LoadFrom(const std::string& programDirectory);
};

inline constexpr const char* kServerSettingsFile = "tallux.conf";

}  // namespace tallux
