#include <gtest/gtest.h>

#include <sys/time.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "net/SharedFileFetch.h"
#include "tests/net/LoopbackPorts.h"
#include "tests/net/ScriptedPeer.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

using test::ReadWholeFile;
using test::WriteWholeFile;

std::string Answer(std::string_view status, std::string_view body) {
    return "HTTP/1.1 " + std::string(status) + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nContent-Type: text/plain\r\n\r\n" + std::string(body);
}

// The request body as the peer received it.
std::string BodyOf(const std::string& request) {
    std::size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : request.substr(end + 4);
}

class SharedFileFetchTest : public ::testing::Test {
protected:
    int Fetch(std::uint16_t port, std::string_view title = "emskind.txt") {
        WebRequest request;
        request.connectTimeoutSeconds = 5;
        request.sendTimeoutMs = 5000;
        request.receiveTimeoutMs = 5000;
        return FetchSharedFile(Endpoint{"127.0.0.1", port}, "8001", path, title, request);
    }

    test::TempDir directory;
    std::string path = directory.File("emskind.txt");
};

TEST(FormEncodeTest, KeepsOnlyTheSafeBytes) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"emskind.txt", "emskind.txt"},
        {"AZaz09*-._", "AZaz09*-._"},
        {"a b", "a+b"},
        {"x/y~!&=+%", "x%2Fy%7E%21%26%3D%2B%25"},
        {"\xB9\xFA\xC4\xDA", "%B9%FA%C4%DA"},  // GBK bytes, upper-case hex
        {std::string("\x00\x1F\x7F\xFF", 4), "%00%1F%7F%FF"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FormEncode(c.in), c.out) << c.in;
}

TEST(SharedFileRequestBodyTest, HasTheFieldsInOrder) {
    LocalFileTime time{2024, 3, 7, 9, 5, 0};
    EXPECT_EQ(SharedFileRequestBody("8001", "tab 1.txt", time, 8095999),
              "w=8001&ctitle=tab+1.txt&year=2024&month=3&day=7&hour=9&minute=5&second=0&maxlen=8095999");
    EXPECT_EQ(SharedFileRequestBody("8001", "a", {}, 10),
              "w=8001&ctitle=a&year=0&month=0&day=0&hour=0&minute=0&second=0&maxlen=10");
}

TEST(SharedFileRequestBodyTest, ATitleThatCouldEncodeTooLongIsSentEmpty) {
    struct Case {
        std::size_t length;
        bool kept;
    } cases[] = {{133, true}, {134, false}, {400, false}};
    for (const Case& c : cases) {
        std::string title(c.length, 'a');  // short encoding: the bound is on the worst case
        std::string body = SharedFileRequestBody("8001", title, {});
        EXPECT_EQ(body.find("&ctitle=" + (c.kept ? title : std::string()) + "&year="), 6u) << c.length;
    }
}

TEST(LocalModificationTimeTest, LocalTimeOrZeros) {
    test::TempDir directory;
    std::string file = directory.File("f.txt");
    LocalFileTime missing = LocalModificationTime(file);
    EXPECT_EQ(missing.year + missing.month + missing.day + missing.hour + missing.minute + missing.second, 0);

    WriteWholeFile(file, "x");
    timeval times[2] = {{1700000000, 0}, {1700000000, 0}};  // 2023-11-14 22:13:20 UTC
    ASSERT_EQ(utimes(file.c_str(), times), 0);
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "CST-8", 1);
    tzset();
    LocalFileTime t = LocalModificationTime(file);
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(t.year, 2023);
    EXPECT_EQ(t.month, 11);
    EXPECT_EQ(t.day, 15);
    EXPECT_EQ(t.hour, 6);
    EXPECT_EQ(t.minute, 13);
    EXPECT_EQ(t.second, 20);
}

TEST_F(SharedFileFetchTest, PostsTheFormToTheConfiguredHostAndPort) {
    // The peer's port is never 80: reaching it at all shows the port used.
    test::ScriptedPeer peer(Answer("200 OK", "new content"));
    ASSERT_NE(peer.Port(), 80);
    ASSERT_EQ(Fetch(peer.Port()), 11);
    const std::string& request = peer.Request();
    EXPECT_EQ(request.rfind("POST /cgi-bin/DIzur.dll?EmsFileShare HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nHost: 127.0.0.1:" + std::to_string(peer.Port()) + "\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
    EXPECT_EQ(BodyOf(request), "w=8001&ctitle=emskind.txt&year=0&month=0&day=0&hour=0&minute=0&second=0&maxlen=" +
                                   std::to_string(kWebReceiveCapacity - 1));
}

TEST_F(SharedFileFetchTest, SettingsOverloadUsesConfiguredServerAndSite) {
    test::ScriptedPeer peer(Answer("200 OK", "abc"));
    ServerSettings settings;
    settings.host = "127.0.0.1";
    settings.port = peer.Port();
    settings.site = "8123";
    EXPECT_EQ(FetchSharedFile(settings, path, "emskind.txt"), 3);
    EXPECT_EQ(BodyOf(peer.Request()).rfind("w=8123&ctitle=emskind.txt&", 0), 0u);
    EXPECT_EQ(ReadWholeFile(path), "abc");
}

TEST_F(SharedFileFetchTest, SendsTheLocalFileTime) {
    WriteWholeFile(path, "old");
    LocalFileTime t = LocalModificationTime(path);
    test::ScriptedPeer peer(Answer("200 OK", "0"));
    Fetch(peer.Port());
    EXPECT_EQ(BodyOf(peer.Request()), SharedFileRequestBody("8001", "emskind.txt", t));
    EXPECT_GT(t.year, 2000);
}

TEST_F(SharedFileFetchTest, AGoodAnswerReplacesTheFileWholly) {
    WriteWholeFile(path, std::string(5000, 'o'));  // longer than the new content
    std::string content = "\xBF\xEC\xB5\xDD\r\nline two\r\n" + std::string(3000, 'z');
    test::ScriptedPeer peer(Answer("200 OK", content));
    EXPECT_EQ(Fetch(peer.Port()), static_cast<int>(content.size()));
    EXPECT_EQ(ReadWholeFile(path), content);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST_F(SharedFileFetchTest, AnswersThatMustNotTouchTheFile) {
    struct Case {
        const char* name;
        std::string answer;
        int result;
    } cases[] = {
        {"one byte", Answer("200 OK", "0"), 1},
        {"two bytes", Answer("200 OK", "no"), 2},
        {"empty", Answer("200 OK", ""), kWebEmptyOrTruncated},
        {"refusal", Answer("200 OK", "Error 50: no such file"), kSharedFileRefused},
        {"refusal inside", Answer("200 OK", "xx Error 50"), kSharedFileRefused},
        {"404 page", Answer("404 Not Found", "<html>404 Not Found</html>"), kWebBadStatus},
        {"500 page", Answer("500 Internal Server Error", "<html>500 Internal Server Error</html>"), kWebBadStatus},
        {"503 page", Answer("503 Service Unavailable", "busy, try later"), kWebBadStatus},
        {"cut answer", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly part of it", kWebEmptyOrTruncated},
        {"cut chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nabcde\r\n", kWebEmptyOrTruncated},
    };
    for (const Case& c : cases) {
        WriteWholeFile(path, "keep me");
        test::ScriptedPeer peer(c.answer);
        EXPECT_EQ(Fetch(peer.Port()), c.result) << c.name;
        EXPECT_EQ(ReadWholeFile(path), "keep me") << c.name;
        EXPECT_FALSE(std::filesystem::exists(path + ".part")) << c.name;
    }
}

TEST_F(SharedFileFetchTest, RefusalTextInALongFileIsContent) {
    std::string content = "Error 50 " + std::string(1200, 'x');
    test::ScriptedPeer peer(Answer("200 OK", content));
    EXPECT_EQ(Fetch(peer.Port()), static_cast<int>(content.size()));
    EXPECT_EQ(ReadWholeFile(path), content);
}

TEST_F(SharedFileFetchTest, NoFileIsCreatedWithoutContent) {
    test::ScriptedPeer peer(Answer("404 Not Found", "<html>missing</html>"));
    EXPECT_EQ(Fetch(peer.Port()), kWebBadStatus);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SharedFileFetchTest, EmptyTitleAndNoServer) {
    WriteWholeFile(path, "keep me");
    EXPECT_EQ(Fetch(test::UnusedLoopbackPort(), ""), kSharedFileNoTitle);
    EXPECT_EQ(Fetch(test::UnusedLoopbackPort()), kWebConnectTimedOut);
    EXPECT_EQ(ReadWholeFile(path), "keep me");
}

TEST_F(SharedFileFetchTest, UnwritableTargetIsReported) {
    std::string inMissingDirectory = directory.File("no/such/dir/emskind.txt");
    test::ScriptedPeer peer(Answer("200 OK", "content"));
    WebRequest request;
    request.receiveTimeoutMs = 5000;
    EXPECT_EQ(FetchSharedFile(Endpoint{"127.0.0.1", peer.Port()}, "8001", inMissingDirectory, "emskind.txt", request),
              kSharedFileNotWritten);
}

}  // namespace
}  // namespace tallux
