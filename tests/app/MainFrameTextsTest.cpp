#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "app/CaptionText.h"
#include "app/ClientState.h"
#include "app/ClockText.h"
#include "app/CommandIds.h"
#include "app/ExitQuestion.h"
#include "app/UploadAnimation.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

std::tm Local(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    time.tm_isdst = -1;
    std::mktime(&time);  // fills in the weekday
    return time;
}

TEST(ClockText, WeekdaysWithFiveLetterThursday) {
    struct Case {
        int day;
        const char* text;
    };
    // 2024-05-05 was a Sunday.
    const Case cases[] = {
        {5, "2024.05.05 07:08:09 Sun."},  {6, "2024.05.06 07:08:09 Mon."},  {7, "2024.05.07 07:08:09 Tue."},
        {8, "2024.05.08 07:08:09 Wed."},  {9, "2024.05.09 07:08:09 Thur."}, {10, "2024.05.10 07:08:09 Fri."},
        {11, "2024.05.11 07:08:09 Sat."},
    };
    for (const Case& c : cases) EXPECT_EQ(ClockText(Local(2024, 5, c.day, 7, 8, 9)), c.text);
}

TEST(ClockText, FitsTheClockPane) {
    // The pane is as wide as "0000.00.00 00:00:00-00000".
    EXPECT_LE(ClockTextNow().size(), std::string("0000.00.00 00:00:00-00000").size());
}

TEST(CaptionText, OfflineAndLoggedIn) {
    SessionValues session;
    EXPECT_EQ(CaptionText(kProgramTitle, session), "Tallux客户端系统 - 离线状态");
    session.account = Utf8ToGbk("柜台01");
    session.customerId = 1207;
    session.sessionNumber = 55;
    EXPECT_EQ(CaptionText(kProgramTitle, session), "Tallux客户端系统 - 已登入[柜台01 :: 1207]");
}

TEST(UploadAnimation, CyclesThroughTheSixFramesWhileOn) {
    UploadAnimation animation;
    EXPECT_EQ(animation.Current().command, kCmdUpload);
    animation.Tick();  // off: nothing moves
    EXPECT_EQ(animation.Current().image, 21);
    EXPECT_STREQ(animation.Current().text, "上传");

    animation.Set(true);
    EXPECT_EQ(animation.Current().command, kCmdUploadFrame0);
    EXPECT_EQ(animation.Current().image, 22);
    EXPECT_STREQ(animation.Current().text, "在传");
    const int commands[] = {32796, 32797, 32798, 32803, 32805, 32795, 32796};
    for (int i = 0; i < 7; ++i) {
        animation.Tick();
        EXPECT_EQ(animation.Current().command, commands[i]) << i;
        EXPECT_EQ(animation.Current().image, 22 + (i + 1) % 6) << i;
    }
    animation.Set(true);  // restarting begins at frame 0 again
    EXPECT_EQ(animation.Frame(), 0);

    animation.Set(false);
    EXPECT_FALSE(animation.Running());
    EXPECT_EQ(animation.Current().command, kCmdUpload);
    EXPECT_EQ(animation.Current().image, 21);
    EXPECT_STREQ(animation.Current().text, "上传");
}

TEST(ExitQuestion, CarriesTheCount) {
    EXPECT_EQ(ExitQuestionText(3), "有 3 条未上传的预录单信息\r\n━━━━━━━━━━━━━━━\r\n依然要关闭程序吗？请确认。");
}

}  // namespace
}  // namespace tallux
