// Logs in to a real tallux-server with demo data.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "net/LoginSession.h"
#include "tests/integration/DemoServerSuite.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

class LoginIntegrationTest : public test::DemoServerSuite<LoginIntegrationTest> {
public:
protected:
    LoginOutcome LogIn(const std::u16string& account, const std::u16string& password,
                       long long now = std::time(nullptr), std::uint16_t port = 0) {
        ServerAddress address("127.0.0.1", port ? port : server->Port());
        return Login(address, "8001", account, password, now, session, {3000, 5000});
    }

    SessionValues session;
};

TEST_F(LoginIntegrationTest, EachDemoAccountLogsIn) {
    LoginOutcome demo = LogIn(u"demo", u"demo123");
    ASSERT_EQ(demo.status, LoginStatus::LoggedIn) << demo.message;
    EXPECT_EQ(session.customerId, 1001);
    EXPECT_GT(session.sessionNumber, 0);
    EXPECT_EQ(session.memberMode, 0);
    EXPECT_EQ(session.extraLines, 1);
    EXPECT_FALSE(session.stationCode.empty());
    EXPECT_EQ(demo.message, "登入验证成功！[0]");

    SessionValues first = session;
    LoginOutcome direct = LogIn(u"direct", u"direct123");
    ASSERT_EQ(direct.status, LoginStatus::LoggedIn) << direct.message;
    EXPECT_EQ(session.customerId, 1002);
    EXPECT_EQ(session.memberMode, 1);
    EXPECT_NE(session.sessionNumber, first.sessionNumber);
}

TEST_F(LoginIntegrationTest, RefusalsGiveTheirMessages) {
    const long long now = std::time(nullptr);
    struct Case {
        std::u16string account, password;
        long long time;
        const char* message;
    } cases[] = {
        {u"demo", u"wrong", now, "密码不正确。"},
        {u"nobody", u"demo123", now, "帐号不存在。"},
        {u"demo", u"demo123", now - 3600, "本地系统时间错误，请核对订正。"},
        {u"nopermission", u"nope123", now, "帐号没有快件操作权限。"},
    };
    for (const Case& c : cases) {
        LoginOutcome outcome = LogIn(c.account, c.password, c.time);
        EXPECT_EQ(outcome.status, LoginStatus::Refused) << c.message;
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_FALSE(session.IsLoggedIn());
    }
    ServerAddress address("127.0.0.1", server->Port());
    LoginOutcome otherSite = Login(address, "9999", u"demo", u"demo123", now, session, {3000, 5000});
    EXPECT_EQ(otherSite.message, "网站不存在。");
}

TEST_F(LoginIntegrationTest, RedirectSendsThisAndLaterRequestsElsewhere) {
    test::ServerProcess redirector(TALLUX_SERVER, {"--db", directory->File("redirector.db"), "--listen", "127.0.0.1:0",
                                                   "--redirect", "127.0.0.1|" + std::to_string(server->Port())});
    ASSERT_NE(redirector.Port(), 0) << redirector.FirstLine();
    ServerAddress address("127.0.0.1", redirector.Port());
    LoginOutcome outcome = Login(address, "8001", u"demo", u"demo123", std::time(nullptr), session, {3000, 5000});
    ASSERT_EQ(outcome.status, LoginStatus::LoggedIn) << outcome.message;
    EXPECT_EQ(address.Current().port, server->Port());
    EXPECT_EQ(session.customerId, 1001);
}

TEST_F(LoginIntegrationTest, ARedirectToARedirectSaysTheAnswerWasNotTaken) {
    test::ServerProcess second(TALLUX_SERVER, {"--db", directory->File("second.db"), "--listen", "127.0.0.1:0",
                                               "--redirect", "127.0.0.1|" + std::to_string(server->Port())});
    ASSERT_NE(second.Port(), 0) << second.FirstLine();
    test::ServerProcess first(TALLUX_SERVER, {"--db", directory->File("first.db"), "--listen", "127.0.0.1:0",
                                              "--redirect", "127.0.0.1|" + std::to_string(second.Port())});
    ASSERT_NE(first.Port(), 0) << first.FirstLine();
    ServerAddress address("127.0.0.1", first.Port());
    const SessionValues before = session;
    LoginOutcome outcome = Login(address, "8001", u"demo", u"demo123", std::time(nullptr), session, {3000, 5000});
    EXPECT_EQ(outcome.status, LoginStatus::BadAnswer);
    EXPECT_EQ(outcome.message, "与服务器连接失败[ Ret:-102]");
    EXPECT_EQ(session.customerId, before.customerId);
}

TEST_F(LoginIntegrationTest, CliPrintsTheSessionOrTheMessage) {
    const std::string base = std::string(TALLUX_CLI) + " --home '" + directory->Path().string() +
                             "' --server 127.0.0.1:" + std::to_string(server->Port()) + " --account demo ";
    const std::string out = directory->File("cli.out"), err = directory->File("cli.err");
    int ok = std::system((base + "--password demo123 login >'" + out + "' 2>'" + err + "'").c_str());
    EXPECT_EQ(WEXITSTATUS(ok), 0);
    EXPECT_NE(test::ReadWholeFile(out).find("\"customerId\":1001"), std::string::npos) << test::ReadWholeFile(out);
    int refused = std::system((base + "--password nope login >'" + out + "' 2>'" + err + "'").c_str());
    EXPECT_EQ(WEXITSTATUS(refused), 1);
    EXPECT_EQ(test::ReadWholeFile(err), "tallux-cli: 密码不正确。\n");
}

TEST_F(LoginIntegrationTest, CliDownloadsTheBaseData) {
    const std::string home = directory->File("cli-home");
    const std::string base = std::string(TALLUX_CLI) + " --home '" + home +
                             "' --server 127.0.0.1:" + std::to_string(server->Port()) +
                             " --account demo --password demo123 basedata";
    const std::string out = directory->File("basedata.out"), err = directory->File("basedata.err");
    int status = std::system((base + " >'" + out + "' 2>'" + err + "'").c_str());
    ASSERT_EQ(WEXITSTATUS(status), 0) << test::ReadWholeFile(err);
    const std::string printed = test::ReadWholeFile(out);
    EXPECT_EQ(printed.rfind("{\"kinds\":", 0), 0u) << printed;
    EXPECT_EQ(printed.find("\"kinds\":0,"), std::string::npos) << printed;
    EXPECT_NE(printed.find("\"volumetricLetter\":\"D\""), std::string::npos) << printed;
    EXPECT_NE(printed.find("系统基本数据更新完成。"), std::string::npos) << printed;
    EXPECT_FALSE(test::ReadWholeFile(home + "/DATA_SYS/0.dat").empty());
    EXPECT_FALSE(test::ReadWholeFile(home + "/emskind.txt").empty());
}

TEST_F(LoginIntegrationTest, CliFetchesNumbersFromTheNumberService) {
    const std::string base = std::string(TALLUX_CLI) + " --home '" + directory->Path().string() +
                             "' --server 127.0.0.1:" + std::to_string(server->Port());
    const std::string out = directory->File("number.out"), err = directory->File("number.err");
    auto run = [&](const std::string& arguments) {
        int status = std::system((base + " " + arguments + " >'" + out + "' 2>'" + err + "'").c_str());
        return WEXITSTATUS(status);
    };
    ASSERT_EQ(run("--account demo --password demo123 number '1*'"), 0) << test::ReadWholeFile(err);
    const std::string first = test::ReadWholeFile(out);
    ASSERT_EQ(run("--account demo --password demo123 number '1*'"), 0);
    EXPECT_NE(test::ReadWholeFile(out), first) << "a number is never handed out twice";
    EXPECT_EQ(run("--account demo --password demo123 number 'no-such-key'"), 1);
    EXPECT_EQ(test::ReadWholeFile(err), "tallux-cli: 没有取到单号。\n");
    EXPECT_EQ(run("--account direct --password direct123 number '1*'"), 1) << "no number service for this account";
}

}  // namespace
}  // namespace tallux
