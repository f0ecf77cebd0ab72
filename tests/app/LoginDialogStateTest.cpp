#include <gtest/gtest.h>

#include <string>

#include "app/LoginDialogState.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

TEST(LoginDialogState, NotLoggedInOffersTheLastAccount) {
    test::TempDir dir;
    const std::string last = dir.File("last.dat");
    SessionValues session;

    LoginDialogStart fresh = PrepareLoginDialog(session, last);  // no file yet
    EXPECT_EQ(fresh.status, "状态：没有登入！");
    EXPECT_FALSE(fresh.statusIsSuccess);
    EXPECT_EQ(fresh.account, "");
    EXPECT_EQ(fresh.focus, LoginDialogStart::Focus::Account);

    ASSERT_TRUE(SaveLastAccount(last, Utf8ToGbk("王芳")));
    EXPECT_EQ(test::ReadWholeFile(last), Utf8ToGbk("王芳")) << "no terminator";
    LoginDialogStart again = PrepareLoginDialog(session, last);
    EXPECT_EQ(again.account, Utf8ToGbk("王芳"));
    EXPECT_EQ(again.focus, LoginDialogStart::Focus::Password);

    // A longer file gives its first 31 bytes, never half a character.
    test::WriteWholeFile(last, "a" + Utf8ToGbk("一二三四五六七八九十一二三四五六七八"));
    EXPECT_EQ(PrepareLoginDialog(session, last).account, "a" + Utf8ToGbk("一二三四五六七八九十一二三四五"));
}

TEST(LoginDialogState, LoggedInShowsSuccessAndTheSession) {
    SessionValues session;
    session.account = "demo";
    session.password = "demo123";
    session.sessionNumber = 7;
    LoginDialogStart start = PrepareLoginDialog(session, "/nonexistent/last.dat");
    EXPECT_EQ(start.status, "状态：已登入成功！");
    EXPECT_TRUE(start.statusIsSuccess);
    EXPECT_EQ(start.account, "demo");
    EXPECT_EQ(start.password, "demo123");
    EXPECT_EQ(start.focus, LoginDialogStart::Focus::Confirm);
}

TEST(LoginDialogState, AfterAFailureTheFocusGoesToTheFieldToRetype) {
    struct Case {
        LoginOutcome outcome;
        LoginDialogStart::Focus focus;
    } cases[] = {
        {{LoginStatus::InputRejected, 0, "[帐号]不得短于 1 字符。", true}, LoginDialogStart::Focus::Account},
        {{LoginStatus::InputRejected, 0, "[密码]长度不得超过 30 字符。", false}, LoginDialogStart::Focus::Password},
        {{LoginStatus::ConnectionFailed, -120, "与服务器连接失败[ Ret:-120]"}, LoginDialogStart::Focus::Password},
        {{LoginStatus::BadAnswer, 0, "与服务器通讯失败(*检查DNS)。"}, LoginDialogStart::Focus::Password},
        {{LoginStatus::Refused, -4, "密码不正确。"}, LoginDialogStart::Focus::Password},
        {{LoginStatus::NotLinked, 0, "会员帐号没有与Varno客户进行有效关联。"}, LoginDialogStart::Focus::Password},
    };
    for (const Case& c : cases) EXPECT_EQ(FocusAfterFailure(c.outcome), c.focus) << c.outcome.message;
}

}  // namespace
}  // namespace tallux
