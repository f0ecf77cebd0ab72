#include <gtest/gtest.h>

#include <string>

#include "net/LoginSession.h"
#include "tests/net/ScriptedPeer.h"
#include "text/GbkCodec.h"
#include "text/Md5.h"

namespace tallux {
namespace {

TEST(LoginAnswer, RefusalsShowTheirMessageAndChangeNothing) {
    struct Case {
        const char* answer;
        LoginStatus status;
        const char* message;
    } cases[] = {
        {"-1\n", LoginStatus::Refused, "网站不存在。"},
        {"-2\n", LoginStatus::Refused, "帐号不存在。"},
        {"-3", LoginStatus::Refused, "网站服务器错误。"},
        {"-4\n", LoginStatus::Refused, "密码不正确。"},
        {"-5\n", LoginStatus::Refused, "帐号没有快件操作权限。"},
        {"-6\n", LoginStatus::Refused, "本地系统时间错误，请核对订正。"},
        {"-7\n", LoginStatus::Refused, "网站服务器错误。"},
        {"<html>busy</html>", LoginStatus::BadAnswer, "与服务器通讯失败(*检查DNS)。"},
        {"0 0 77 1\t11N\n", LoginStatus::NotLinked, "会员帐号没有与Varno客户进行有效关联。"},
        {"0 x", LoginStatus::BadAnswer, "与服务器通讯失败(*检查DNS)。"},
    };
    for (const Case& c : cases) {
        SessionValues session;
        session.sessionNumber = 5;
        session.customerId = 9;
        LoginOutcome outcome = ApplyLoginAnswer(c.answer, "demo", "pw", session);
        EXPECT_EQ(outcome.status, c.status) << c.answer;
        EXPECT_EQ(outcome.message, c.message) << c.answer;
        EXPECT_EQ(session.sessionNumber, 5) << c.answer;
        EXPECT_EQ(session.customerId, 9) << c.answer;
        EXPECT_EQ(session.account, "") << c.answer;
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
    LoginOutcome longPassword = Login(nowhere, "8001", u"demo", std::u16string(31, u'p'), 1, session);
    EXPECT_EQ(longPassword.message, "[密码]长度不得超过 30 字符。");
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
