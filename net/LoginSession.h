#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/HttpTransport.h"
#include "net/TcpConnection.h"

namespace tallux {

// What a successful login establishes. Zero or empty until then; texts GBK.
struct SessionValues {
    std::string account;
    std::string password;
    std::int32_t customerId = 0;
    std::int32_t sessionNumber = 0;  // > 0: logged in; RAND of every transaction
    std::int32_t memberMode = 0;     // 1: direct-record member
    std::int32_t extraLines = 0;     // the answer carried checkpoint lines
    std::int32_t optionNumber = 1;
    bool pictureFlag = false;
    bool numberServiceFlag = false;
    std::string shortCode;    // up to 3 characters
    std::string stationCode;  // checkpoint lines 1 to 6
    std::string secondCode;
    std::string placeChinese;
    std::string detailChinese;
    std::string placeEnglish;
    std::string detailEnglish;

    bool IsLoggedIn() const { return sessionNumber > 0; }
};

// Where requests go: the configured host, or the redirect host once a
// redirect answer named one, always on the server port.
class ServerAddress {
public:
    static constexpr std::size_t kRedirectHostField = 16;  // bytes, with the terminator

    ServerAddress(std::string host, std::uint16_t port) : host_(std::move(host)), port_(port) {}
    Endpoint Current() const { return {redirectHost_.empty() ? host_ : redirectHost_, port_}; }
    const std::string& RedirectHost() const { return redirectHost_; }
    // Takes a redirect answer ("a.b.c.d" or "a.b.c.d|port"); false and no
    // change when the text is not one.
    bool ApplyRedirect(std::string_view answer);

private:
    std::string host_;
    std::uint16_t port_;
    std::string redirectHost_;
};

struct Redirect {
    std::string host;
    std::uint16_t port = 80;
};

// A redirect answer: a dotted IPv4 address of 7 to 15 bytes (so it fits the
// redirect field), optionally "|" and a port from 80 to 65535 (else 80).
std::optional<Redirect> ParseRedirect(std::string_view answer);

// MD5 hex of "<t>QrvTab<password>"; t is also sent, so the server can check
// the clock.
std::string LoginDigest(long long t, std::string_view passwordGbk);

// "/cgi-bin/DIzur.dll?ECLogin&w=…&ac=…&md5=…&it=…"; the account is
// percent-encoded where it would break the query string.
std::string LoginPath(std::string_view site, std::string_view accountGbk, std::string_view digest, long long t);

// The message for a negative login result code.
std::string LoginResultText(int code);

enum class LoginStatus { LoggedIn, InputRejected, ConnectionFailed, BadAnswer, Refused, NotLinked };

struct LoginOutcome {
    LoginStatus status = LoginStatus::BadAnswer;
    int code = 0;                  // transport result or server result code
    std::string message;           // what the dialog shows (UTF-8)
    bool accountRejected = false;  // InputRejected: the account, not the password
};

// Reads a login answer that is not a redirect. Only a complete success
// changes session.
LoginOutcome ApplyLoginAnswer(std::string_view answer, std::string_view accountGbk, std::string_view passwordGbk,
                              SessionValues& session);

// The whole login: checks the account (1 to 30 bytes, trimmed) and password
// (0 to 30), sends the request, follows one redirect answer (later requests
// then go there too), reads the answer. now is seconds since 1970 (UTC).
LoginOutcome Login(ServerAddress& server, std::string_view site, std::u16string account, std::u16string password,
                   long long now, SessionValues& session, const TransportTimeouts& timeouts = {60000, 300000});

}  // namespace tallux
