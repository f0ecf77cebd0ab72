#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "net/LoginSession.h"
#include "tests/net/ScriptedPeer.h"
#include "text/GbkCodec.h"
#include "text/Md5.h"

namespace tallux {
namespace {

// An answer is read step by step: its first byte decides whether it is a
// result at all, its leading number whether it is a refusal; anything else
// is a success line read field by field from its fixed start, whatever
// follows the numbers. Only a complete success changes the session.
TEST(LoginAnswer, ReadStepByStep) {
    const char* const dns = "与服务器通讯失败(*检查DNS)。";
    const char* const notLinked = "会员帐号没有与Varno客户进行有效关联。";
    constexpr std::int32_t kOldCustomer = 9, kOldSession = 5;
    struct Case {
        const char* answer;
        LoginStatus status;
        int code;
        const char* message;
        std::int32_t customerId = kOldCustomer;  // afterwards
        std::int32_t sessionNumber = kOldSession;
        std::int32_t memberMode = 0;
        std::int32_t optionNumber = 1;
    } cases[] = {
        {"-1\n", LoginStatus::Refused, -1, "网站不存在。"},
        {"-2\n", LoginStatus::Refused, -2, "帐号不存在。"},
        {"-3", LoginStatus::Refused, -3, "网站服务器错误。"},
        {"-4\n", LoginStatus::Refused, -4, "密码不正确。"},
        {"-5\r\n", LoginStatus::Refused, -5, "帐号没有快件操作权限。"},
        {"-6\n", LoginStatus::Refused, -6, "本地系统时间错误，请核对订正。"},
        {"-7\n", LoginStatus::Refused, -7, "网站服务器错误。"},
        {"-4garbage", LoginStatus::Refused, -4, "密码不正确。"},
        {"-2 1 2 3\n", LoginStatus::Refused, -2, "帐号不存在。"},
        {"-99999999999\n", LoginStatus::Refused, INT32_MIN, "网站服务器错误。"},
        // Not a result at all.
        {"", LoginStatus::BadAnswer, 0, dns},
        {"<html>busy</html>", LoginStatus::BadAnswer, 0, dns},
        {" -4\n", LoginStatus::BadAnswer, 0, dns},
        {"+4\n", LoginStatus::BadAnswer, 0, dns},
        // No negative number: a success line whose customer id is not above 0.
        {"0 0 77 1\t11N\n", LoginStatus::NotLinked, 0, notLinked},
        {"0 x", LoginStatus::NotLinked, 0, notLinked},
        {"0x", LoginStatus::NotLinked, 0, notLinked},
        {"0", LoginStatus::NotLinked, 0, notLinked},
        {"1 abc", LoginStatus::NotLinked, 0, notLinked},
        {"1 -5 6 1\t00N\n", LoginStatus::NotLinked, 0, notLinked},
        {"1\n123 456 1\n", LoginStatus::NotLinked, 0, notLinked},
        {"-", LoginStatus::NotLinked, 0, notLinked},
        {"-x", LoginStatus::NotLinked, 0, notLinked},
        // A linked customer but no session to work with.
        {"1 123", LoginStatus::BadAnswer, 0, dns},
        {"1 123 abc 1\t00N\n", LoginStatus::BadAnswer, 0, dns},
        {"0 123 0 1\t00N\n", LoginStatus::BadAnswer, 0, dns},
        // Successes: garbage behind the numbers is not looked at.
        {"0 1001 5 0\t11NSZ\n", LoginStatus::LoggedIn, 0, "登入验证成功！[0]", 1001, 5, 0},
        {"0 1001 6 1xyz", LoginStatus::LoggedIn, 1, "登入验证成功！[1]", 1001, 6, 1},
        {"0 1001 7", LoginStatus::LoggedIn, 0, "登入验证成功！[0]", 1001, 7, 0},
        {"0 1001 5 0,x\t00N", LoginStatus::LoggedIn, 0, "登入验证成功！[0]", 1001, 5, 0, 1},
        {"0 1001 5 0,4garbage", LoginStatus::LoggedIn, 0, "登入验证成功！[0]", 1001, 5, 0, 4},
        {"0;1001;5;1,2\t00N", LoginStatus::LoggedIn, 1, "登入验证成功！[1]", 1001, 5, 1, 2},
    };
    for (const Case& c : cases) {
        SessionValues session;
        session.sessionNumber = kOldSession;
        session.customerId = kOldCustomer;
        LoginOutcome outcome = ApplyLoginAnswer(c.answer, "demo", "pw", session);
        EXPECT_EQ(outcome.status, c.status) << c.answer;
        EXPECT_EQ(outcome.code, c.code) << c.answer;
        EXPECT_EQ(outcome.message, c.message) << c.answer;
        EXPECT_EQ(session.customerId, c.customerId) << c.answer;
        EXPECT_EQ(session.sessionNumber, c.sessionNumber) << c.answer;
        EXPECT_EQ(session.memberMode, c.memberMode) << c.answer;
        EXPECT_EQ(session.optionNumber, c.optionNumber) << c.answer;
        EXPECT_EQ(session.extraLines, 0) << c.answer;
        EXPECT_EQ(session.account, c.status == LoginStatus::LoggedIn ? "demo" : "") << c.answer;
    }
}

TEST(LoginAnswer, SuccessLineAndCheckpointLines) {
    SessionValues session;
    session.shortCode = "OLD";
    LoginOutcome outcome =
        ApplyLoginAnswer("1 123 456 1\t10N\nSZX\nSZ1\n深圳\n到达\nShenzhen\nArrived\n", "demo", "pw", session);
    EXPECT_EQ(outcome.status, LoginStatus::LoggedIn);
    EXPECT_EQ(outcome.message, "登入验证成功！[1]");
    EXPECT_EQ(session.customerId, 123);
    EXPECT_EQ(session.sessionNumber, 456);
    EXPECT_EQ(session.memberMode, 1);
    EXPECT_TRUE(session.pictureFlag);
    EXPECT_FALSE(session.numberServiceFlag);
    EXPECT_EQ(session.shortCode, "OLD") << "an N directly before the line end leaves the short code";
    EXPECT_EQ(session.extraLines, 1);
    EXPECT_EQ(session.stationCode, "SZX");
    EXPECT_EQ(session.detailEnglish, "Arrived");
    EXPECT_EQ(session.account, "demo");
    EXPECT_TRUE(session.IsLoggedIn());

    SessionValues other;
    ApplyLoginAnswer("0 1001 77 0,3\t01NSZ\n", "a", "", other);
    EXPECT_EQ(other.optionNumber, 3);
    EXPECT_FALSE(other.pictureFlag);
    EXPECT_TRUE(other.numberServiceFlag);
    EXPECT_EQ(other.shortCode, "SZ");
    EXPECT_EQ(other.extraLines, 0);

    // A checkpoint line over its limit stops the reading there.
    SessionValues limited;
    ApplyLoginAnswer("1 5 6 0\t00N\nSTATION\n" + std::string(16, 'x') + "\nplace\n", "a", "", limited);
    EXPECT_EQ(limited.stationCode, "STATION");
    EXPECT_EQ(limited.secondCode, "");
    EXPECT_EQ(limited.placeChinese, "");
}

TEST(LoginRedirect, AcceptsOnlyDottedAddressesThatFitTheField) {
    struct Case {
        const char* answer;
        const char* host;  // nullptr: not a redirect
        std::uint16_t port;
    } cases[] = {
        {"192.0.2.8|8080", "192.0.2.8", 8080},
        {"192.0.2.8\n", "192.0.2.8", 80},
        {"192.0.2.8|79", "192.0.2.8", 80},
        {"192.0.2.8|70000", "192.0.2.8", 80},
        {"100.100.100.100|80", "100.100.100.100", 80},
        {"256.1.1.1", nullptr, 0},
        {"1.2.3", nullptr, 0},
        {"1.2.3.4.5", nullptr, 0},
        {"1234.1.1.1", nullptr, 0},
        {"1 123 456 1\t10N", nullptr, 0},
        {"-4", nullptr, 0},
        {"1.1.1.1x", nullptr, 0},
    };
    for (const Case& c : cases) {
        auto redirect = ParseRedirect(c.answer);
        ASSERT_EQ(redirect.has_value(), c.host != nullptr) << c.answer;
        if (!redirect) continue;
        EXPECT_EQ(redirect->host, c.host);
        EXPECT_EQ(redirect->port, c.port);
    }
    ServerAddress server("server.example", 8080);
    EXPECT_FALSE(server.ApplyRedirect("1000.0.0.1"));
    EXPECT_EQ(server.Current().host, "server.example");
    EXPECT_TRUE(server.ApplyRedirect("192.0.2.8|8081"));
    EXPECT_EQ(server.Current().host, "192.0.2.8");
    EXPECT_EQ(server.Current().port, 8081);
}

TEST(LoginRequest, DigestAndPath) {
    EXPECT_EQ(LoginDigest(1700000000, "secret"), Md5Hex("1700000000QrvTabsecret"));
    EXPECT_NE(LoginDigest(1700000000, "secret"), LoginDigest(1700000001, "secret"));
    EXPECT_EQ(LoginPath("8001", "demo", "abc", 42), "/cgi-bin/DIzur.dll?ECLogin&w=8001&ac=demo&md5=abc&it=42");
    EXPECT_EQ(LoginPath("8001", "a&b=c d%#+?", "h", 1),
              "/cgi-bin/DIzur.dll?ECLogin&w=8001&ac=a%26b%3Dc%20d%25%23%2B%3F&md5=h&it=1");
    const std::string chinese = Utf8ToGbk("王芳");
    EXPECT_EQ(LoginPath("1", chinese, "h", 1), "/cgi-bin/DIzur.dll?ECLogin&w=1&ac=" + chinese + "&md5=h&it=1");
}

TEST(Login, ChecksInputBeforeSendingAndReportsTransportFailures) {
    SessionValues session;
    ServerAddress nowhere("", 80);
    LoginOutcome empty = Login(nowhere, "8001", u"  ", u"pw", 1, session);
    EXPECT_EQ(empty.status, LoginStatus::InputRejected);
    EXPECT_EQ(empty.message, "[帐号]不得短于 1 字符。");
    EXPECT_TRUE(empty.accountRejected);
    LoginOutcome longAccount = Login(nowhere, "8001", std::u16string(16, u'王'), u"pw", 1, session);
    EXPECT_EQ(longAccount.message, "[帐号]长度不得超过 30 字符。");
    EXPECT_TRUE(longAccount.accountRejected);
    LoginOutcome longPassword = Login(nowhere, "8001", u"demo", std::u16string(31, u'p'), 1, session);
    EXPECT_EQ(longPassword.message, "[密码]长度不得超过 30 字符。");
    EXPECT_FALSE(longPassword.accountRejected);
    LoginOutcome unreachable = Login(nowhere, "8001", u"demo", u"pw", 1, session, {500, 500});
    EXPECT_EQ(unreachable.status, LoginStatus::ConnectionFailed);
    EXPECT_EQ(unreachable.message, "与服务器连接失败[ Ret:-103]");
    EXPECT_FALSE(session.IsLoggedIn());
}

TEST(Login, SendsTheRequestTheServerExpects) {
    test::ScriptedPeer peer("HTTP/1.0 200 OK\r\n\r\n0 1001 5 0\t11NSZ\n");
    SessionValues session;
    ServerAddress server("127.0.0.1", peer.Port());
    LoginOutcome outcome = Login(server, "8001", u" demo ", u"demo123", 1700000000, session, {2000, 3000});
    EXPECT_EQ(outcome.status, LoginStatus::LoggedIn) << outcome.message;
    EXPECT_EQ(peer.Request(), "GET /cgi-bin/DIzur.dll?ECLogin&w=8001&ac=demo&md5=" + Md5Hex("1700000000QrvTabdemo123") +
                                  "&it=1700000000 HTTP/1.0\r\nAccept: */*\r\nHost: 127.0.0.1\r\n"
                                  "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n\r\n");
    EXPECT_EQ(session.sessionNumber, 5);
}

TEST(Login, FollowsOneRedirectAndStaysThere) {
    test::ScriptedPeer target("HTTP/1.0 200 OK\r\n\r\n0 1001 6 1\t00N\n");
    test::ScriptedPeer redirector("HTTP/1.0 200 OK\r\n\r\n127.0.0.1|" + std::to_string(target.Port()));
    SessionValues session;
    ServerAddress server("localhost", redirector.Port());
    LoginOutcome outcome = Login(server, "8001", u"demo", u"pw", 1, session, {2000, 3000});
    EXPECT_EQ(outcome.status, LoginStatus::LoggedIn) << outcome.message;
    EXPECT_EQ(server.Current().host, "127.0.0.1");
    EXPECT_EQ(server.Current().port, target.Port());
    EXPECT_EQ(session.sessionNumber, 6);
}

}  // namespace
}  // namespace tallux
