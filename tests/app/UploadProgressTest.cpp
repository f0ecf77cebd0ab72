#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "app/UploadProgress.h"
#include "net/HttpTransport.h"

namespace tallux {
namespace {

TEST(UploadProgress, CountsAndPercentages) {
    using Kind = UploadOutcome::Kind;
    struct Case {
        std::optional<Kind> end;  // nullopt: a progress report with the running totals
        int successes, failures, total;
        const char* text;
        bool runOver;
    };
    const Case cases[] = {
        {Kind::Stopped, 3, 7, 20, "共 20 条，已处理 10 条(50%)。3 成功; 7 失败。终止传送", true},
        {std::nullopt, 2, 1, 10, "共 10 条，已处理 3 条(30%)。2 成功; 1 失败。", false},
        {std::nullopt, 1, 1, 3, "共 3 条，已处理 2 条(66%)。1 成功; 1 失败。", false},  // truncated, not rounded
        {Kind::Completed, 4, 1, 5, "共 5 条，已处理 5 条(100%)。4 成功; 1 失败。", true},
        {Kind::Stopped, 0, 0, 5, "共 5 条，已处理 0 条(0%)。0 成功; 0 失败。终止传送", true},
        // No records handed over: no division by zero, and nothing is left to wait for.
        {Kind::Completed, 0, 0, 0, "共 0 条，已处理 0 条(0%)。0 成功; 0 失败。", true},
        // The largest failure count does not overflow the sum.
        {Kind::Stopped, 0, INT_MAX, 1,
         "共 1 条，已处理 2147483647 条(214748364700%)。0 成功; 2147483647 失败。终止传送", true},
    };
    for (const Case& c : cases) {
        const UploadProgress progress =
            c.end ? DescribeUploadProgress(UploadOutcome{*c.end, c.successes, c.failures, 0}, c.total)
                  : DescribeUploadProgress(c.successes, c.failures, c.total);
        EXPECT_EQ(progress.text, c.text) << c.successes << "," << c.failures << "," << c.total;
        EXPECT_EQ(progress.runOver, c.runOver) << c.successes << "," << c.failures << "," << c.total;
    }
}

TEST(UploadProgress, TransportFailuresShowTheirTextAndEndTheRun) {
    const auto unreachable = [](int code) { return UploadOutcome{UploadOutcome::Kind::Unreachable, 0, 0, code}; };
    struct Case {
        int code;
        int textCode;  // the transport code whose text is shown
    };
    for (const Case& c :
         {Case{-1, -1}, Case{-2, -2}, Case{-5, -5}, Case{-6, -6}, Case{-7, -1}, Case{-100, -1}, Case{INT_MIN, -1}}) {
        const UploadProgress progress = DescribeUploadProgress(unreachable(c.code), 10);
        EXPECT_EQ(progress.text, TransportErrorText(c.textCode)) << c.code;
        EXPECT_FALSE(progress.text.empty()) << c.code;
        EXPECT_TRUE(progress.runOver) << c.code;
    }
    EXPECT_EQ(DescribeUploadProgress(unreachable(-1), 10).text, "数据不正确或未知错误。");
    EXPECT_EQ(DescribeUploadProgress(unreachable(-5), 10).text, "服务器连接失败。");
}

}  // namespace
}  // namespace tallux
