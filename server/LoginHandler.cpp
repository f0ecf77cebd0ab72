#include "server/LoginHandler.h"

#include <cctype>
#include <charconv>

#include "server/DatabaseError.h"
#include "server/LoginAnswer.h"
#include "text/GbkCodec.h"
#include "text/Md5.h"

namespace tallux::server {

namespace {

std::optional<std::int64_t> ParseTime(const std::optional<std::string>& text) {
    if (!text || text->empty()) return std::nullopt;
    std::int64_t value = 0;
    const char* end = text->data() + text->size();
    auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

bool SameDigest(std::string_view expected, std::string_view given) {
    if (expected.size() != given.size()) return false;
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (expected[i] != std::tolower(static_cast<unsigned char>(given[i]))) return false;
    return true;
}

}  // namespace

LoginHandler::LoginHandler(AccountDirectory& directory, Clock clock, std::int64_t clockWindowSeconds)
    : directory_(directory), clock_(std::move(clock)), clockWindow_(clockWindowSeconds) {}

std::string LoginHandler::Handle(const QueryString& query) {
    try {
        return HandleChecked(query);
    } catch (const DatabaseError&) {
        return FormatLoginFailure(LoginResult::ServerError);
    }
}

std::string LoginHandler::HandleChecked(const QueryString& query) {
    // The wire carries GBK; the database keeps UTF-8.
    std::string site = GbkToUtf8(query.Get("w").value_or(""));
    if (site.empty() || !directory_.SiteExists(site)) return FormatLoginFailure(LoginResult::UnknownSite);

    std::string name = GbkToUtf8(query.Get("ac").value_or(""));
    std::optional<Account> account = name.empty() ? std::nullopt : directory_.FindAccount(site, name);
    if (!account) return FormatLoginFailure(LoginResult::UnknownAccount);

    // The digest covers the time value as the client formatted it ("%d"),
    // so a value outside int32 cannot have come from a client.
    std::optional<std::int64_t> time = ParseTime(query.Get("it"));
    bool timeFits = time && *time >= INT32_MIN && *time <= INT32_MAX;
    std::string expected =
        timeFits ? Md5Hex(std::to_string(*time) + "QrvTab" + Utf8ToGbk(account->password)) : std::string();
    if (!timeFits || !SameDigest(expected, query.Get("md5").value_or("")))
        return FormatLoginFailure(LoginResult::WrongPassword);

    if (!account->permission) return FormatLoginFailure(LoginResult::NoPermission);

    std::int64_t now = clock_();
    std::int64_t skew = now > *time ? now - *time : *time - now;
    if (skew > clockWindow_) return FormatLoginFailure(LoginResult::ClockSkew);

    std::int32_t session = directory_.CreateSession(*account, now);
    return FormatLoginSuccess(*account, session);
}

}  // namespace tallux::server
