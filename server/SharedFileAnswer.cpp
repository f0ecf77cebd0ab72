#include "server/SharedFileAnswer.h"

#include <sqlite3.h>

#include <charconv>
#include <ctime>

#include "server/DatabaseError.h"
#include "server/QueryString.h"
#include "server/ReadOnlyConnection.h"
#include "server/SqliteStatement.h"
#include "text/GbkCodec.h"

namespace tallux::server {
namespace {

std::string FormDecode(std::string_view text) {
    std::string plus(text);
    for (char& c : plus)
        if (c == '+') c = ' ';
    return PercentDecode(plus);
}

template <typename Number>
Number ParseNumber(const std::string& text) {
    Number value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

}  // namespace

SharedFileRequest ParseSharedFileRequest(std::string_view formBody) {
    SharedFileRequest request;
    bool seen[9] = {};
    static constexpr std::string_view kNames[9] = {"w",    "ctitle", "year",   "month", "day",
                                                   "hour", "minute", "second", "maxlen"};
    int* times[6] = {&request.year, &request.month, &request.day, &request.hour, &request.minute, &request.second};
    while (!formBody.empty()) {
        std::size_t amp = formBody.find('&');
        std::string_view item = formBody.substr(0, amp);
        formBody = amp == std::string_view::npos ? std::string_view() : formBody.substr(amp + 1);
        std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) continue;
        std::string name = FormDecode(item.substr(0, eq));
        std::string value = FormDecode(item.substr(eq + 1));
        for (int i = 0; i < 9; ++i) {
            if (name != kNames[i] || seen[i]) continue;
            seen[i] = true;
            if (i == 0)
                request.site = value;
            else if (i == 1)
                request.title = value;
            else if (i < 8)
                *times[i - 2] = ParseNumber<int>(value);
            else
                request.maxLength = ParseNumber<std::int64_t>(value);
        }
    }
    return request;
}

std::optional<std::int64_t> ClientCopyTime(const SharedFileRequest& request) {
    if (request.year <= 0) return std::nullopt;
    std::tm local{};
    local.tm_year = request.year - 1900;
    local.tm_mon = request.month - 1;
    local.tm_mday = request.day;
    local.tm_hour = request.hour;
    local.tm_min = request.minute;
    local.tm_sec = request.second;
    local.tm_isdst = -1;
    std::time_t t = std::mktime(&local);
    // An impossible time cannot vouch for the copy.
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<std::int64_t>(t);
}

SharedFileAnswer::SharedFileAnswer(std::string databasePath) : databasePath_(std::move(databasePath)) {}

std::string SharedFileAnswer::ForRequest(std::string_view formBody) const {
    SharedFileRequest request = ParseSharedFileRequest(formBody);
    ReadOnlyConnection connection(databasePath_);
    sqlite3* db = connection.Handle();
    SqliteStatement site(db, "SELECT 1 FROM sites WHERE site_id = ?");
    site.Bind(1, request.site);
    if (!site.Step()) return std::string(kUnknownSite);

    // Titles are stored as UTF-8 text; the client sends GBK.
    SqliteStatement file(db, "SELECT content, modified_at FROM shared_files WHERE site_id = ? AND title = ?");
    file.Bind(1, request.site).Bind(2, GbkToUtf8(request.title));
    if (request.title.empty() || !file.Step()) return std::string(kNoSuchFile);

    std::optional<std::int64_t> copy = ClientCopyTime(request);
    if (copy && file.Int(1) <= *copy) return std::string(kUpToDate);
    std::string content = file.Text(0);
    if (request.maxLength > 0 && static_cast<std::int64_t>(content.size()) > request.maxLength)
        return std::string(kTooLong);
    return content;
}

}  // namespace tallux::server
