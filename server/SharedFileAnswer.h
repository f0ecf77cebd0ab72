#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallux::server {

// EmsFileShare, a form-encoded POST body:
//   w=site&ctitle=title&year=..&month=..&day=..&hour=..&minute=..&second=..&maxlen=..
// The client replaces its copy with any answer longer than 2 bytes unless
// the answer is short and holds "Error 50", so every answer that must leave
// the copy alone is one of those.
struct SharedFileRequest {
    std::string site;
    std::string title;  // GBK, as the client names it
    // The client's copy, its local time; year 0: the client has none.
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::int64_t maxLength = 0;  // 0: not given
};

// "+" is a blank, then %XX decoded; unknown names ignored, a repeated name
// keeps its first value, numbers that do not parse are 0.
SharedFileRequest ParseSharedFileRequest(std::string_view formBody);

// The client's copy as Unix time, read as server local time (client and
// server share a time zone); nullopt when the client has no copy.
std::optional<std::int64_t> ClientCopyTime(const SharedFileRequest& request);

class SharedFileAnswer {
public:
    static constexpr std::string_view kUnknownSite = "-1";  // short: the copy stays
    static constexpr std::string_view kUpToDate = "0";
    static constexpr std::string_view kNoSuchFile = "Error 50: no such file";
    static constexpr std::string_view kTooLong = "Error 50: file longer than maxlen";

    explicit SharedFileAnswer(std::string databasePath);

    // The answer body: the stored GBK content when it is newer than the
    // client's copy, otherwise one of the texts above. Throws DatabaseError.
    std::string ForRequest(std::string_view formBody) const;

private:
    std::string databasePath_;
};

}  // namespace tallux::server
