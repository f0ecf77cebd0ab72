#include <gtest/gtest.h>

#include <string>

#include "net/BaseDataDownload.h"
#include "tests/net/ScriptedPeer.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

constexpr TransportTimeouts kQuick{2000, 3000};

std::string Xored(std::string text) {
    for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) ^ kBaseDataCacheKey);
    return text;
}

class BaseDataDownloadTest : public ::testing::Test {
protected:
    std::string Cache() const { return dir.File("0.dat"); }
    test::TempDir dir;
};

TEST_F(BaseDataDownloadTest, StoresTheDataUpToItsEndMarkXored) {
    test::ScriptedPeer peer(
        "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nC\nD\nEMB\nK1\t标准\nEME\n\x07trailing");
    ServerAddress server("127.0.0.1", peer.Port());
    EXPECT_EQ(DownloadBaseData(server, "8001", Cache(), kQuick), 0);
    EXPECT_EQ(test::ReadWholeFile(Cache()), Xored("\nD\nEMB\nK1\t标准\nEME\n\x07"));
    EXPECT_EQ(peer.Request(),
              "GET /cgi-bin/DIzur.dll?ECGetSysData&w=8001&iver=1 HTTP/1.0\r\nAccept: */*\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST_F(BaseDataDownloadTest, FailuresKeepThePreviousCache) {
    struct Case {
        const char* what;
        std::string answer;
        int result;
    } cases[] = {
        {"404", "HTTP/1.0 404 Not Found\r\n\r\nCD\x07", -101},
        {"no data", "HTTP/1.0 200 OK\r\n\r\n", -101},
        {"data without its end mark", "HTTP/1.0 200 OK\r\n\r\nCD\nEMB\n", -101},
        {"neither data nor redirect", "HTTP/1.0 200 OK\r\n\r\n<html>busy</html>", -103},
        {"address that does not fit", "HTTP/1.0 200 OK\r\n\r\n1000.100.100.100|8080", -103},
    };
    for (const Case& c : cases) {
        test::WriteWholeFile(Cache(), "previous");
        test::ScriptedPeer peer(c.answer);
        ServerAddress server("127.0.0.1", peer.Port());
        EXPECT_EQ(DownloadBaseData(server, "8001", Cache(), kQuick), c.result) << c.what;
        EXPECT_EQ(test::ReadWholeFile(Cache()), "previous") << c.what;
    }
    ServerAddress nowhere("", 80);
    EXPECT_EQ(DownloadBaseData(nowhere, "8001", Cache(), kQuick), -100);
    test::ScriptedPeer peer("HTTP/1.0 200 OK\r\n\r\nCD\x07");
    ServerAddress server("127.0.0.1", peer.Port());
    EXPECT_EQ(DownloadBaseData(server, "8001", dir.File("missing/0.dat"), kQuick), -102);
}

TEST_F(BaseDataDownloadTest, FollowsARedirectOnceAndStaysThere) {
    test::ScriptedPeer target("HTTP/1.0 200 OK\r\n\r\nCT\x07");
    test::ScriptedPeer redirector("HTTP/1.0 200 OK\r\n\r\n127.0.0.1|" + std::to_string(target.Port()));
    ServerAddress server("localhost", redirector.Port());
    EXPECT_EQ(DownloadBaseData(server, "8001", Cache(), kQuick), 0);
    EXPECT_EQ(server.Current().port, target.Port());
    EXPECT_EQ(test::ReadWholeFile(Cache()), Xored("T\x07"));
}

}  // namespace
}  // namespace tallux
