#include "server/LoginHandler.h"

#include <gtest/gtest.h>

#include <map>

#include "server/DatabaseError.h"
#include "server/LoginAnswer.h"
#include "text/GbkCodec.h"

namespace tallux::server {
namespace {

constexpr std::int64_t kNow = 1700000000;
// MD5 of "1700000000QrvTabdemo123" and of "1700000000QrvTab" + GBK "密码".
constexpr const char* kDemoDigest = "a9772fd6a2436eb1d2e9b333a8c611f3";
constexpr const char* kChineseDigest = "5e2f074f404bbd0ffc71179159f4e12d";

class FakeDirectory : public AccountDirectory {
public:
    bool failing = false;
    std::map<std::string, Account, std::less<>> accounts;
    int sessionsCreated = 0;

    bool SiteExists(std::string_view siteId) override {
        if (failing) throw DatabaseError("disk I/O error");
        return siteId == "8001";
    }
    std::optional<Account> FindAccount(std::string_view, std::string_view name) override {
        auto found = accounts.find(name);
        if (found == accounts.end()) return std::nullopt;
        return found->second;
    }
    std::int32_t CreateSession(const Account&, std::int64_t) override {
        ++sessionsCreated;
        return 456;
    }
};

Account DemoAccount() {
    Account a;
    a.siteId = "8001";
    a.name = "demo";
    a.password = "demo123";
    a.customerId = 1001;
    a.pictureFlag = true;
    a.numberServiceFlag = true;
    a.shortCode = "SZ";
    return a;
}

class LoginHandlerTest : public ::testing::Test {
protected:
    LoginHandlerTest() {
        directory.accounts["demo"] = DemoAccount();
        Account chinese = DemoAccount();
        chinese.name = "张三";
        chinese.password = "密码";
        directory.accounts["张三"] = chinese;
        Account blocked = DemoAccount();
        blocked.permission = false;
        directory.accounts["blocked"] = blocked;
    }

    std::string Login(const std::string& query) { return handler.Handle(QueryString("ECLogin&" + query)); }

    FakeDirectory directory;
    LoginHandler handler{directory, [] { return kNow; }, 600};
};

TEST_F(LoginHandlerTest, AnswersEveryResultCode) {
    const std::string good = std::string("&md5=") + kDemoDigest + "&it=1700000000";
    const struct {
        const char* name;
        std::string query;
        std::string answer;
    } cases[] = {
        {"unknown site", "w=9999&ac=demo" + good, "-1\n"},
        {"missing site", "ac=demo" + good, "-1\n"},
        {"unknown account", "w=8001&ac=nobody" + good, "-2\n"},
        {"empty account", "w=8001&ac=" + good, "-2\n"},
        {"wrong digest", "w=8001&ac=demo&md5=00000000000000000000000000000000&it=1700000000", "-4\n"},
        {"digest of another time", "w=8001&ac=demo&md5=" + std::string(kDemoDigest) + "&it=1700000001", "-4\n"},
        {"missing digest", "w=8001&ac=demo&it=1700000000", "-4\n"},
        {"time not a number", "w=8001&ac=demo&md5=" + std::string(kDemoDigest) + "&it=17x", "-4\n"},
        {"no permission", "w=8001&ac=blocked" + good, "-5\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Login(c.query), c.answer);
    }
    EXPECT_EQ(directory.sessionsCreated, 0);
}

TEST_F(LoginHandlerTest, ClockWindowIsInclusive) {
    // Times at the window's edges with digests made for them.
    auto queryAt = [](std::int64_t it, const char* digest) {
        return "w=8001&ac=demo&md5=" + std::string(digest) + "&it=" + std::to_string(it);
    };
    FakeDirectory& d = directory;
    LoginHandler early(
        d, [] { return kNow + 600; }, 600);
    LoginHandler late(
        d, [] { return kNow - 600; }, 600);
    LoginHandler tooEarly(
        d, [] { return kNow + 601; }, 600);
    LoginHandler tooLate(
        d, [] { return kNow - 601; }, 600);
    QueryString q("ECLogin&" + queryAt(kNow, kDemoDigest));
    EXPECT_EQ(early.Handle(q).substr(0, 2), "0 ");
    EXPECT_EQ(late.Handle(q).substr(0, 2), "0 ");
    EXPECT_EQ(tooEarly.Handle(q), "-6\n");
    EXPECT_EQ(tooLate.Handle(q), "-6\n");
}

TEST_F(LoginHandlerTest, DatabaseFailureAnswersMinusThree) {
    directory.failing = true;
    EXPECT_EQ(Login(std::string("w=8001&ac=demo&md5=") + kDemoDigest + "&it=1700000000"), "-3\n");
}

TEST_F(LoginHandlerTest, SucceedsWithDigestInEitherCase) {
    std::string upper(kDemoDigest);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(Login("w=8001&ac=demo&md5=" + upper + "&it=1700000000"), "0 1001 456 0\t11NSZ\n");
    EXPECT_EQ(directory.sessionsCreated, 1);
}

TEST_F(LoginHandlerTest, GbkAccountAndPasswordRawOrEscaped) {
    // "张三" in GBK is D5 C5 C8 FD; the client sends it raw, escaping
    // is tolerated.
    std::string tail = std::string("&md5=") + kChineseDigest + "&it=1700000000";
    EXPECT_EQ(Login("w=8001&ac=\xD5\xC5\xC8\xFD" + tail).substr(0, 7), "0 1001 ");
    EXPECT_EQ(Login("w=8001&ac=%D5%c5\xC8\xFD" + tail).substr(0, 7), "0 1001 ");
}

TEST(LoginAnswer, SuccessLineVariants) {
    Account plain = DemoAccount();
    Account direct = DemoAccount();
    direct.memberMode = 1;
    direct.optionNumber = 3;
    direct.pictureFlag = false;
    direct.numberServiceFlag = false;
    direct.shortCode = "";
    Account withLines = DemoAccount();
    withLines.checkpoint = CheckpointLines{"SZX", "SZ1", "深圳宝安", "已收寄", "Shenzhen", "Accepted"};
    Account longCode = DemoAccount();
    longCode.shortCode = "ABCDE";
    longCode.optionNumber = 0;

    const struct {
        const char* name;
        const Account& account;
        std::string answer;
    } cases[] = {
        {"no lines, option 1 omitted", plain, "0 1001 456 0\t11NSZ\n"},
        {"option number and cleared flags", direct, "0 1001 456 1,3\t00N\n"},
        {"checkpoint lines", withLines,
         "1 1001 456 0\t11NSZ\nSZX\nSZ1\n" + Utf8ToGbk("深圳宝安") + "\n" + Utf8ToGbk("已收寄") +
             "\nShenzhen\nAccepted\n"},
        {"short code cut to three, option 0 shown", longCode, "0 1001 456 0,0\t11NABC\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatLoginSuccess(c.account, 456), c.answer);
    }
}

TEST(LoginAnswer, CheckpointLinesStayWithinClientLimits) {
    Account a = DemoAccount();
    // 16 ASCII bytes, then 8 double-byte characters (16 GBK bytes), and a
    // line break that would shift every later line.
    a.checkpoint = CheckpointLines{"ABCDEFGHIJKLMNOP", "宝安宝安宝安宝安", "a\nb", "", "", ""};
    std::string answer = FormatLoginSuccess(a, 1);
    EXPECT_EQ(answer, "1 1001 1 0\t11NSZ\nABCDEFGHIJKLMNO\n" + Utf8ToGbk("宝安宝安宝安宝") + "\na b\n\n\n\n");
}

}  // namespace
}  // namespace tallux::server
