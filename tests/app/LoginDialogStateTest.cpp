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

}  // namespace
}  // namespace tallux
