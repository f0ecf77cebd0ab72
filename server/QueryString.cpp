#include "server/QueryString.h"

namespace tallux::server {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

QueryString::QueryString(std::string_view query) {
    std::size_t start = 0;
    bool first = true;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos) end = query.size();
        std::string_view item = query.substr(start, end - start);
        if (first) {
            command_ = PercentDecode(item);
            first = false;
        } else if (!item.empty()) {
            std::size_t equals = item.find('=');
            std::string name = PercentDecode(item.substr(0, equals));
            std::string value =
                equals == std::string_view::npos ? std::string() : PercentDecode(item.substr(equals + 1));
            values_.emplace(std::move(name), std::move(value));
        }
        start = end + 1;
    }
}

std::optional<std::string> QueryString::Get(std::string_view name) const {
    auto found = values_.find(name);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

}  // namespace tallux::server
