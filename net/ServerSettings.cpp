#include "net/ServerSettings.h"

#include <charconv>
#include <filesystem>
#include <fstream>

namespace tallux {

bool ServerSettings::SetServer(std::string_view text) {
    std::size_t colon = text.rfind(':');
    std::string_view hostPart = text.substr(0, colon);
    if (hostPart.empty()) return false;
    std::uint16_t newPort = port;
    if (colon != std::string_view::npos) {
        std::string_view portText = text.substr(colon + 1);
        unsigned value = 0;
        auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), value);
        if (error != std::errc() || end != portText.data() + portText.size() || value == 0 || value > 65535)
            return false;
        newPort = static_cast<std::uint16_t>(value);
    }
    host = std::string(hostPart);
    port = newPort;
    return true;
}

std::optional<std::string> ServerSettings::LoadFrom(const std::string& programDirectory) {
    std::ifstream in(std::filesystem::path(programDirectory) / kServerSettingsFile);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("server=", 0) == 0 && !SetServer(std::string_view(line).substr(7)))
            return std::string(kServerSettingsFile) + ": bad server address \"" + line.substr(7) + "\"";
        if (line.rfind("site=", 0) == 0) site = line.substr(5);
    }
    return std::nullopt;
}

}  // namespace tallux
