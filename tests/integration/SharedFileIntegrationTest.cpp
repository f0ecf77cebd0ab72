// Fetches emskind.txt from a real tallux-server with demo data.

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/time.h>

#include <cstdlib>
#include <string>

#include "net/SharedFileFetch.h"
#include "tests/integration/DemoServerSuite.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

class SharedFileIntegrationTest : public test::DemoServerSuite<SharedFileIntegrationTest> {
public:
protected:
    int Fetch(std::string_view title = "emskind.txt", std::string_view site = "8001") {
        WebRequest request;
        request.connectTimeoutSeconds = 5;
        request.sendTimeoutMs = 5000;
        request.receiveTimeoutMs = 5000;
        return FetchSharedFile(Endpoint{"127.0.0.1", server->Port()}, site, path, title, request);
    }
    static std::filesystem::file_time_type ModifiedAt(const std::string& file) {
        return std::filesystem::last_write_time(file);
    }

    test::TempDir local;
    std::string path = local.File("emskind.txt");
};

TEST_F(SharedFileIntegrationTest, FetchesOnceThenKeepsTheCopy) {
    int length = Fetch();
    ASSERT_GT(length, 100);
    std::string content = test::ReadWholeFile(path);
    EXPECT_EQ(content.size(), static_cast<std::size_t>(length));
    EXPECT_EQ(content.rfind(Utf8ToGbk("<快递类别顺序定义开始>\r\n国内特快专递=1\r\n"), 0), 0u);
    EXPECT_NE(content.find(Utf8ToGbk("国际小包=6\r\n")), std::string::npos);

    // The copy is now newer than the stored file: answered "0", untouched.
    const auto before = ModifiedAt(path);
    EXPECT_EQ(Fetch(), 1);
    const auto after = ModifiedAt(path);
    EXPECT_EQ(test::ReadWholeFile(path), content);
    EXPECT_EQ(after, before);
}

TEST_F(SharedFileIntegrationTest, AnOutdatedCopyIsReplaced) {
    test::WriteWholeFile(path, "stale");
    timeval old[2] = {{946684800, 0}, {946684800, 0}};  // 2000-01-01
    ASSERT_EQ(utimes(path.c_str(), old), 0);
    int length = Fetch();
    ASSERT_GT(length, 100);
    EXPECT_EQ(test::ReadWholeFile(path).size(), static_cast<std::size_t>(length));
}

TEST_F(SharedFileIntegrationTest, RefusalsLeaveTheCopy) {
    struct Case {
        const char* title;
        const char* site;
        int result;
    } cases[] = {
        {"missing.txt", "8001", kSharedFileRefused},
        {"emskind.txt", "9999", 2},  // unknown site: the two-byte answer "-1"
    };
    for (const Case& c : cases) {
        test::WriteWholeFile(path, "keep me");
        timeval old[2] = {{946684800, 0}, {946684800, 0}};
        ASSERT_EQ(utimes(path.c_str(), old), 0);
        EXPECT_EQ(Fetch(c.title, c.site), c.result) << c.title << " " << c.site;
        EXPECT_EQ(test::ReadWholeFile(path), "keep me") << c.title << " " << c.site;
    }
}

}  // namespace
}  // namespace tallux
