#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "app/UploadProgress.h"
#include "net/HttpTransport.h"

namespace tallux {
namespace {

TEST(UploadProgress, CountsAndPercentages) {
    struct Case {
        int a, b, total;
        const char* text;
        bool runOver;
    };
    const Case cases[] = {
        {3, -8, 20, "共 20 条，已处理 10 条(50%)。3 成功; 7 失败。终止传送", true},
        {2, 1, 10, "共 10 条，已处理 3 条(30%)。2 成功; 1 失败。", false},
        {1, 1, 3, "共 3 条，已处理 2 条(66%)。1 成功; 1 失败。", false},  // truncated, not rounded
        {4, 1, 5, "共 5 条，已处理 5 条(100%)。4 成功; 1 失败。", true},
        {0, -1, 5, "共 5 条，已处理 0 条(0%)。0 成功; 0 失败。终止传送", true},
        // No records handed over: no division by zero, and nothing is left to wait for.
        {0, 0, 0, "共 0 条，已处理 0 条(0%)。0 成功; 0 失败。", true},
        // The most negative b does not overflow the failure count.
        {0, INT_MIN, 1, "共 1 条，已处理 2147483647 条(214748364700%)。0 成功; 2147483647 失败。终止传送", true},
    };
    for (const Case& c : cases) {
        const UploadProgress progress = DescribeUploadProgress(c.a, c.b, c.total);
        EXPECT_EQ(progress.text, c.text) << c.a << "," << c.b << "," << c.total;
        EXPECT_EQ(progress.runOver, c.runOver) << c.a << "," << c.b << "," << c.total;
    }
}

TEST(UploadProgress, TransportFailuresShowTheirTextAndEndTheRun) {
    struct Case {
        int a;
        int textCode;  // the transport code whose text is shown
    };
    for (const Case& c : {Case{-1, -1}, Case{-2, -2}, Case{-5, -5}, Case{-6, -6}, Case{-7, -1}, Case{-100, -1},
                          Case{INT_MIN, -1}}) {
        const UploadProgress progress = DescribeUploadProgress(c.a, 0, 10);
        EXPECT_EQ(progress.text, TransportErrorText(c.textCode)) << c.a;
        EXPECT_FALSE(progress.text.empty()) << c.a;
        EXPECT_TRUE(progress.runOver) << c.a;
    }
    EXPECT_EQ(DescribeUploadProgress(-1, 0, 10).text, "数据不正确或未知错误。");
    EXPECT_EQ(DescribeUploadProgress(-5, 0, 10).text, "服务器连接失败。");
}

}  // namespace
}  // namespace tallux
