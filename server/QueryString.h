#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tallux::server {

// Decodes %XX sequences (either case of hex digit). Everything else stays as
// it is: a malformed "%" sequence, "+" (the client does not form-encode) and
// raw bytes of 0x80 and above, which are GBK.
std::string PercentDecode(std::string_view text);

// The CGI query string: the first "&"-separated item is the command, the
// rest are name=value pairs. Values are percent-decoded; a repeated name
// keeps its first value.
class QueryString {
public:
    explicit QueryString(std::string_view query);

    const std::string& Command() const { return command_; }
    std::optional<std::string> Get(std::string_view name) const;

private:
    std::string command_;
    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace tallux::server
