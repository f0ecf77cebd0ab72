#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <string>
#include <vector>

#include "net/HttpTransport.h"
#include "tests/net/LoopbackPorts.h"
#include "tests/net/ScriptedPeer.h"

namespace tallux {
namespace {

constexpr TransportTimeouts kQuick{2000, 3000};

Endpoint Local(std::uint16_t port) { return {"127.0.0.1", port}; }

using test::UnusedLoopbackPort;

TEST(HttpPostText, SendsTheExactRequestAndReadsTheBody) {
    test::ScriptedPeer peer("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n1\nabcdef");
    HttpAnswer answer = HttpPostText(Local(peer.Port()), "/cgi-bin/DIzur.dll?ECTrans", "<XML>\x07", 1024, kQuick);
    EXPECT_EQ(answer.result, 5);
    EXPECT_EQ(answer.body, "1\nabc");
    EXPECT_EQ(peer.Request(),
              "POST /cgi-bin/DIzur.dll?ECTrans HTTP/1.0\r\nAccept: */*\r\nHost: 127.0.0.1\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\nContent-Length: 6\r\n"
              "Content-Type: text/xml; charset=gbk\r\nConnection: close\r\n\r\n<XML>\x07");
}

TEST(HttpPostText, AnswerCases) {
    const std::string big(3000, 'x');
    struct Case {
        const char* what;
        std::string answer;
        std::size_t size;
        int result;
        std::string body;
    } cases[] = {
        {"100 Continue first", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n42", 1024, 2,
         "42"},
        {"no Content-Length: read to the end", "HTTP/1.0 200 OK\r\n\r\nhello", 1024, 5, "hello"},
        {"no Content-Length: at most size - 1", "HTTP/1.0 200 OK\r\n\r\n" + big, 1024, 1023, big.substr(0, 1023)},
        {"Content-Length = size", "HTTP/1.0 200 OK\r\ncontent-length: 1024\r\n\r\n" + big, 1024, 1023,
         big.substr(0, 1023)},
        {"Content-Length > size", "HTTP/1.0 200 OK\r\nContent-Length: 99999\r\n\r\n" + big, 100, 99, big.substr(0, 99)},
        {"empty body", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", 1024, 0, ""},
        {"404", "HTTP/1.0 404 Not Found\r\nContent-Length: 3\r\n\r\nnop", 1024, -6, ""},
        {"420 is not 200", "HTTP/1.0 420 Odd\r\n\r\n1", 1024, -6, ""},
        {"garbage is malformed", "hello there\r\n\r\n", 1024, -1, ""},
        {"peer closes at once: no connection", "", 1024, -5, ""},
        {"header longer than the buffer", "HTTP/1.0 200 OK\r\nX-Long: " + big + "\r\n\r\nbody", 1024, -1, ""},
    };
    for (const Case& c : cases) {
        test::ScriptedPeer peer(c.answer);
        HttpAnswer answer = HttpPostText(Local(peer.Port()), "/p", "x", c.size, kQuick);
        EXPECT_EQ(answer.result, c.result) << c.what;
        EXPECT_EQ(answer.body, c.body) << c.what;
    }
}

TEST(HttpTransport, ConnectionFailuresHaveEachClientsCodes) {
    std::string cookies;
    EXPECT_EQ(HttpPostText(Local(UnusedLoopbackPort()), "/p", "x", 1024, kQuick).result, -5) << "refused";
    EXPECT_EQ(HttpGetWithCookies(Local(UnusedLoopbackPort()), "/p", 1024, cookies, std::nullopt, kQuick).result, -120);
    EXPECT_EQ(HttpPostText({"", 80}, "/p", "x", 1024, kQuick).result, -3) << "no such host";
    EXPECT_EQ(HttpGetWithCookies({"", 80}, "/p", 1024, cookies, std::nullopt, kQuick).result, -103);
    EXPECT_EQ(TransportErrorText(-5), "服务器连接失败。");
    EXPECT_EQ(TransportErrorText(-6), "服务器返回错误状态码,请求不支持或不存在。");
    EXPECT_EQ(TransportErrorText(-7), "");
}

TEST(HttpTransport, ConnectGivesUpAfterItsTimeout) {
    test::UnansweredListener listener;
    HttpAnswer answer = HttpPostText(Local(listener.Port()), "/p", "x", 1024, {300, 300});
    EXPECT_EQ(answer.result, -5);
}

TEST(HttpGetWithCookies, SendsCookiesAndRefererAndKeepsNewOnes) {
    test::ScriptedPeer peer(
        "HTTP/1.1 302 Found\r\nSet-Cookie: a=1; Path=/\r\nset-cookie:  b=2\r\nSet-Cookie: c = 3 "
        ";expires=Fri\r\n\r\nbody");
    std::string cookies = "old=9;";
    HttpAnswer answer = HttpGetWithCookies(Local(peer.Port()), "/q?x=1", 1024, cookies, "http://ref/", {2000, 3000});
    EXPECT_EQ(answer.result, 4);
    EXPECT_EQ(answer.body, "body");
    EXPECT_EQ(cookies, "a=1;b=2;c=3;");
    EXPECT_EQ(peer.Request(),
              "GET /q?x=1 HTTP/1.0\r\nAccept: */*\r\nHost: 127.0.0.1\r\nReferer: http://ref/\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\nCookie: old=9;\r\n\r\n");
}

TEST(HttpGetWithCookies, StatusCases) {
    const std::string longCookie(1100, 'k');
    struct Case {
        std::string answer;
        int result;
        std::string cookies;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\n\r\nok", 2, "keep;"},
        {"HTTP/1.0 200 OK\r\nSet-Cookie: s=" + longCookie + "\r\n\r\nok", 2, "keep;"},  // too long: kept
        {"HTTP/1.0 404 Not Found\r\n\r\n", -102, "keep;"},
        {"HTTP/1.0 420 Enhance\r\n\r\n", -102, "keep;"},  // contains "20", still no success
        {"", -120, "keep;"},                              // closed at once: the connection failed
    };
    for (const Case& c : cases) {
        test::ScriptedPeer peer(c.answer);
        std::string cookies = "keep;";
        EXPECT_EQ(HttpGetWithCookies(Local(peer.Port()), "/", 4096, cookies, std::nullopt, {2000, 3000}).result,
                  c.result)
            << c.answer.substr(0, 30);
        EXPECT_EQ(cookies, c.cookies);
    }
}

TEST(HttpGetWithCookies, BodyStopsAtSizeMinusOne) {
    test::ScriptedPeer peer("HTTP/1.0 200 OK\r\n\r\n" + std::string(5000, 'b'));
    std::string cookies;
    HttpAnswer answer = HttpGetWithCookies(Local(peer.Port()), "/", 4096, cookies, std::nullopt, {2000, 3000});
    EXPECT_EQ(answer.result, 4095);
}

}  // namespace
}  // namespace tallux
