#include "net/LoginSession.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

#include "text/Md5.h"
#include "text/TextCheck.h"

namespace tallux {
namespace {

// What a redirect answered by another redirect is reported as (the cookie
// GET's code for an answer it does not take).
constexpr int kRedirectLoop = -102;

constexpr std::size_t kLoginAnswerBuffer = 4096;
constexpr std::size_t kCredentialField = 32;
constexpr int kCredentialMax = 30;

std::string_view TrimLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '\0'))
        text.remove_suffix(1);
    return text;
}

// Reads the decimal number at text[pos]: an optional "-" and digits, up to
// the first byte that is not one (left for the next field); beyond the
// int32 range it stays at the limit. Without a digit there is no number and
// pos stays.
std::optional<std::int32_t> ReadNumber(std::string_view text, std::size_t& pos) {
    std::size_t at = pos;
    const bool negative = at < text.size() && text[at] == '-';
    if (negative) ++at;
    if (at >= text.size() || text[at] < '0' || text[at] > '9') return std::nullopt;
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min<long long>(value * 10 + (text[at] - '0'), 1LL << 31);
    pos = at;
    if (negative) return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min<long long>(value, INT32_MAX));
}

// The number at text[pos], 0 when there is none; advances pos.
std::int32_t NumberOrZero(std::string_view text, std::size_t& pos) { return ReadNumber(text, pos).value_or(0); }

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// Stores the checkpoint lines that follow a result digit 1: each within its
// limit, the first even when empty, the others only when not; stops at the
// first line missing or too long.
void ReadCheckpointLines(const std::vector<std::string_view>& lines, SessionValues& session) {
    struct Target {
        std::string SessionValues::*field;
        std::size_t limit;
    } const targets[] = {
        {&SessionValues::stationCode, 15},    {&SessionValues::secondCode, 15},    {&SessionValues::placeChinese, 126},
        {&SessionValues::detailChinese, 254}, {&SessionValues::placeEnglish, 126}, {&SessionValues::detailEnglish, 254},
    };
    for (std::size_t i = 0; i < 6; ++i) {
        if (i + 1 >= lines.size() || lines[i + 1].size() > targets[i].limit) return;
        if (i == 0 || !lines[i + 1].empty()) session.*targets[i].field = std::string(lines[i + 1]);
    }
}

std::string Format(const char* format, int value) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace

std::optional<Redirect> ParseRedirect(std::string_view answer) {
    answer = TrimLineEnd(answer);
    std::string_view address = answer.substr(0, answer.find('|'));
    if (address.size() < 7 || address.size() >= ServerAddress::kRedirectHostField) return std::nullopt;
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= address.size() || address[pos] != '.') return std::nullopt;
            ++pos;
        }
        std::size_t start = pos;
        int value = 0;
        while (pos < address.size() && address[pos] >= '0' && address[pos] <= '9' && pos - start < 3)
            value = value * 10 + (address[pos++] - '0');
        if (pos == start || value > 255) return std::nullopt;
    }
    if (pos != address.size()) return std::nullopt;

    Redirect redirect{std::string(address), 80};
    if (address.size() < answer.size()) {
        std::string_view portText = answer.substr(address.size() + 1);
        int port = 0;
        auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (error == std::errc() && end == portText.data() + portText.size() && port >= 80 && port <= 65535)
            redirect.port = static_cast<std::uint16_t>(port);
    }
    return redirect;
}

bool ServerAddress::ApplyRedirect(std::string_view answer) {
    std::optional<Redirect> redirect = ParseRedirect(answer);
    if (!redirect) return false;
    redirectHost_ = redirect->host;
    port_ = redirect->port;
    return true;
}

std::string LoginDigest(long long t, std::string_view passwordGbk) {
    return Md5Hex(std::to_string(t) + "QrvTab" + std::string(passwordGbk));
}

std::string LoginPath(std::string_view site, std::string_view accountGbk, std::string_view digest, long long t) {
    static const char hex[] = "0123456789ABCDEF";
    std::string account;
    for (unsigned char c : accountGbk) {
        bool breaks =
            c < 0x20 || c == 0x7F || c == ' ' || c == '%' || c == '&' || c == '=' || c == '#' || c == '+' || c == '?';
        if (breaks) {
            account += '%';
            account += hex[c >> 4];
            account += hex[c & 15];
        } else {
            account += static_cast<char>(c);
        }
    }
    return "/cgi-bin/DIzur.dll?ECLogin&w=" + std::string(site) + "&ac=" + account + "&md5=" + std::string(digest) +
           "&it=" + std::to_string(t);
}

std::string LoginResultText(int code) {
    switch (code) {
    case -1: return "网站不存在。";
    case -2: return "帐号不存在。";
    case -4: return "密码不正确。";
    case -5: return "帐号没有快件操作权限。";
    case -6: return "本地系统时间错误，请核对订正。";
    default: return "网站服务器错误。";
    }
}

LoginOutcome ApplyLoginAnswer(std::string_view answer, std::string_view accountGbk, std::string_view passwordGbk,
                              SessionValues& session) {
    const LoginOutcome badAnswer{LoginStatus::BadAnswer, 0, "与服务器通讯失败(*检查DNS)。"};
    // Not a result at all: a page of a proxy, a name server's answer, ...
    if (answer.empty() || !(answer[0] == '-' || (answer[0] >= '0' && answer[0] <= '9'))) return badAnswer;
    std::vector<std::string_view> lines = Lines(answer);
    std::string_view first = lines.front();

    // The leading number decides: negative is a refusal, whatever follows it.
    std::size_t pos = 0;
    const std::int32_t result = NumberOrZero(first, pos);
    if (result < 0) return {LoginStatus::Refused, result, LoginResultText(result)};

    // Anything else is a success line, read field by field from its fixed
    // start: the result digit, one separator, the customer id, ...
    SessionValues next = session;
    next.extraLines = result != 0 ? 1 : 0;
    pos = 2;
    const std::int32_t customer = NumberOrZero(first, pos);
    if (customer <= 0) return {LoginStatus::NotLinked, 0, "会员帐号没有与Varno客户进行有效关联。"};
    ++pos;
    next.sessionNumber = NumberOrZero(first, pos);
    // Without a session number nothing can be sent: not a login to report
    // as a success.
    if (next.sessionNumber <= 0) return badAnswer;
    ++pos;
    next.customerId = customer;
    next.memberMode = NumberOrZero(first, pos);
    next.optionNumber = 1;
    if (pos < first.size() && first[pos] == ',') {
        ++pos;
        next.optionNumber = ReadNumber(first, pos).value_or(1);
    }
    std::size_t tab = first.find('\t', std::min(pos, first.size()));
    next.pictureFlag = next.numberServiceFlag = false;
    if (tab != std::string_view::npos) {
        std::string_view flags = first.substr(tab + 1);
        next.pictureFlag = flags.size() > 0 && flags[0] == '1';
        next.numberServiceFlag = flags.size() > 1 && flags[1] == '1';
        if (flags.size() > 3 && flags[2] == 'N') next.shortCode = std::string(flags.substr(3, 3));
    }
    next.account = std::string(accountGbk);
    next.password = std::string(passwordGbk);
    if (next.extraLines) ReadCheckpointLines(lines, next);
    session = std::move(next);
    return {LoginStatus::LoggedIn, session.memberMode, Format("登入验证成功！[%d]", session.memberMode)};
}

LoginOutcome Login(ServerAddress& server, std::string_view site, std::u16string account, std::u16string password,
                   long long now, SessionValues& session, const TransportTimeouts& timeouts) {
    char accountField[kCredentialField] = {};
    char passwordField[kCredentialField] = {};
    if (auto message = CheckAndStoreText(account, accountField, 1, kCredentialMax, "帐号", false))
        return {LoginStatus::InputRejected, 0, *message, true};
    if (auto message = CheckAndStoreText(password, passwordField, 0, kCredentialMax, "密码", false))
        return {LoginStatus::InputRejected, 0, *message};
    const std::string accountGbk = accountField, passwordGbk = passwordField;
    const std::string path = LoginPath(site, accountGbk, LoginDigest(now, passwordGbk), now);

    auto exchange = [&]() {
        std::string cookies;
        return HttpGetWithCookies(server.Current(), path, kLoginAnswerBuffer, cookies, std::nullopt, timeouts);
    };
    HttpAnswer answer = exchange();
    if (answer.result < 1)
        return {LoginStatus::ConnectionFailed, answer.result, Format("与服务器连接失败[ Ret:%d]", answer.result)};
    if (server.ApplyRedirect(answer.body)) {
        answer = exchange();
        if (answer.result < 1)
            return {LoginStatus::ConnectionFailed, answer.result, Format("与服务器连接失败[ Ret:%d]", answer.result)};
        // A second redirect would look like a success line; never read it as
        // one. Redirects that go on are an answer the client cannot take: the
        // malformed-answer code of the login request.
        if (ParseRedirect(answer.body))
            return {LoginStatus::BadAnswer, kRedirectLoop, Format("与服务器连接失败[ Ret:%d]", kRedirectLoop)};
    }
    return ApplyLoginAnswer(answer.body, accountGbk, passwordGbk, session);
}

}  // namespace tallux
