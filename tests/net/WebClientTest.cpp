#include <gtest/gtest.h>

#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cctype>
#include <charconv>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "net/WebRequest.h"
#include "tests/net/CompressedText.h"
#include "tests/net/LoopbackPorts.h"
#include "tests/net/ScriptedPeer.h"

namespace tallux {
namespace {

constexpr std::size_t kGuard = 64;

// A request against a loopback peer, with its own body area followed by
// guard bytes that must never be written.
struct Client {
    explicit Client(std::size_t area = 64 * 1024) : buffer(area + kGuard, 'G') {
        PrepareWebRequest(request, {buffer.data(), area}, 80, false);
        request.host = "127.0.0.1";
        request.path = "/cgi-bin/DIzur.dll?ECTrans";
        request.connectTimeoutSeconds = 5;
        request.sendTimeoutMs = 5000;
        request.receiveTimeoutMs = 5000;
    }
    int Send(test::ScriptedPeer& peer) {
        request.port = peer.Port();
        int result = SendWebRequest(request);
        for (std::size_t i = buffer.size() - kGuard; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], 'G') << "written past the body area at " << i;
        return result;
    }
    std::vector<char> buffer;
    WebRequest request;
};

std::string Answer(std::string_view fields, std::string_view body) {
    return "HTTP/1.1 200 OK\r\n" + std::string(fields) + "\r\n" + std::string(body);
}

TEST(WebClient, SendsTheExactPostRequest) {
    test::ScriptedPeer peer(Answer("Content-Length: 2\r\n", "ok"));
    Client client;
    client.request.body = "a=1&b=%D6%D0";
    client.request.cookieJar = "SID=1;LANG=zh; ";
    EXPECT_EQ(client.Send(peer), 2);
    EXPECT_EQ(peer.Request(),
              "POST /cgi-bin/DIzur.dll?ECTrans HTTP/1.1\r\n"
              "Accept: image/gif, image/jpeg, image/pjpeg, image/pjpeg, application/vnd.ms-excel, "
              "application/vnd.ms-powerpoint, application/msword, application/x-shockwave-flash, */*\r\n"
              "Accept-Language: zh-cn\r\n"
              "Accept-Encoding: gzip, deflate\r\n"
              "Host: 127.0.0.1:" +
                  std::to_string(peer.Port()) +
                  "\r\n"
                  "User-Agent: Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.2; Trident/4.0; .NET CLR 1.1.4322)\r\n"
                  "Content-Length: 12\r\n"
                  "Content-Type: application/x-www-form-urlencoded\r\n"
                  "Cache-Control: no-cache\r\n"
                  "Cookie: SID=1;LANG=zh\r\n"
                  "Connection: Close\r\n"
                  "\r\n"
                  "a=1&b=%D6%D0");
}

TEST(WebClient, GetWithoutCompressionOrCookies) {
    test::ScriptedPeer peer(Answer("", "plain"));
    Client client;
    client.request.acceptCompression = 0;
    client.request.path = "/emskind.txt";
    client.request.cookieJar = "x;";
    EXPECT_EQ(client.Send(peer), 5);
    EXPECT_EQ(peer.Request(),
              "GET /emskind.txt HTTP/1.1\r\n"
              "Accept: image/gif, image/jpeg, image/pjpeg, image/pjpeg, application/vnd.ms-excel, "
              "application/vnd.ms-powerpoint, application/msword, application/x-shockwave-flash, */*\r\n"
              "Accept-Language: zh-cn\r\n"
              "Host: 127.0.0.1:" +
                  std::to_string(peer.Port()) +
                  "\r\n"
                  "User-Agent: Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.2; Trident/4.0; .NET CLR 1.1.4322)\r\n"
                  "Connection: Close\r\n"
                  "\r\n");
    EXPECT_EQ(WebAnswerBody(client.request), "plain");
}

TEST(WebClient, HostLineCarriesThePortUnlessItIs80) {
    struct Case {
        int port;
        const char* line;
    } cases[] = {
        {80, "\r\nHost: h\r\n"},
        {8080, "\r\nHost: h:8080\r\n"},
        {65536 + 8080, "\r\nHost: h:8080\r\n"},  // only the low 16 bits count
        {65536 + 80, "\r\nHost: h\r\n"},
        {443, "\r\nHost: h:443\r\n"},
    };
    for (const Case& c : cases) {
        WebRequest request;
        request.host = "h";
        request.path = "/";
        request.port = c.port;
        std::string text = BuildWebRequestHeader(request);
        EXPECT_NE(text.find(c.line), std::string::npos) << c.port << "\n" << text;
        EXPECT_EQ(text.find("Host:"), text.rfind("Host:"));
    }
}

TEST(WebClient, InterimContinueIsSkipped) {
    struct Case {
        const char* name;
        std::string answer;
    } cases[] = {
        {"separate blocks", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"},
        {"two interim blocks",
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 100 Continue\r\n\r\n"
         "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"},
        {"final status on the next line", "HTTP/1.1 100 Continue\r\nHTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedPeer peer(c.answer);
        Client client;
        client.request.body = "q=1";
        EXPECT_EQ(client.Send(peer), 5);
        EXPECT_EQ(client.request.status, 200);
        EXPECT_EQ(WebAnswerBody(client.request), "hello");
        EXPECT_EQ(client.buffer[5], '\0');
    }
}

TEST(WebClient, StatusDecidesWhetherTheBodyIsRead) {
    struct Case {
        std::string answer;
        int result;
        int status;
        bool succeeded;
        const char* body;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\ndata", 4, 200, true, "data"},
        {"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 5\r\n\r\noops!", 5, 500, false, "oops!"},
        {"HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\nmoved", 5, 302, false, "moved"},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found", kWebBadStatus, 404, false, ""},
        {"HTTP/1.1 403 Forbidden\r\n\r\nno", kWebBadStatus, 403, false, ""},
        {"HTTP/1.1 600 Odd\r\nContent-Length: 3\r\n\r\nodd", 3, 600, false, "odd"},
        {"garbage\r\n\r\nbody", kWebBadStatus, 400, false, ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n", kWebBadStatus, 400, false, ""},  // header never ends
        {"", kWebBadStatus, 400, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        test::ScriptedPeer peer(c.answer);
        Client client;
        EXPECT_EQ(client.Send(peer), c.result);
        EXPECT_EQ(client.request.status, c.status);
        EXPECT_EQ(WebAnswerSucceeded(client.request), c.succeeded);
        EXPECT_EQ(WebAnswerBody(client.request), c.body);
    }
}

TEST(WebClient, ReadsChunkedAnswers) {
    struct Case {
        const char* name;
        std::string fields;
        std::string body;
        std::string expected;
    } cases[] = {
        {"one chunk", "Transfer-Encoding: chunked\r\n", "5\r\nhello\r\n0\r\n\r\n", "hello"},
        {"extension", "Transfer-Encoding: chunked\r\n", "5;x=1\r\nhello\r\n0\r\n\r\n", "hello"},
        {"several chunks, upper-case hex", "transfer-encoding: Chunked\r\n",
         "3\r\nhel\r\n2\r\nlo\r\nA\r\n0123456789\r\n0\r\n\r\n", "hello0123456789"},
        {"sizes of two digits", "Transfer-Encoding: chunked\r\n", "1a\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\n\r\n",
         "abcdefghijklmnopqrstuvwxyz"},
        {"trailer lines", "Transfer-Encoding: chunked\r\n", "5\r\nhello\r\n0\r\nX-Sum: 1\r\n\r\n", "hello"},
        {"length beside chunks is ignored", "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n",
         "5\r\nhello\r\n0\r\n\r\n", "hello"},
        {"line feeds only", "Transfer-Encoding: chunked\r\n", "5\nhello\n0\n\n", "hello"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedPeer peer(Answer(c.fields, c.body));
        Client client;
        EXPECT_EQ(client.Send(peer), static_cast<int>(c.expected.size()));
        EXPECT_EQ(client.request.chunked, 1);
        EXPECT_EQ(client.request.truncated, 0);
        EXPECT_EQ(WebAnswerBody(client.request), c.expected);
        EXPECT_EQ(client.buffer[c.expected.size()], '\0');
    }
}

TEST(WebClient, InflatesCompressedAnswers) {
    const std::string text = test::SampleText();
    const std::string gzip = test::Compress(text, 31);
    auto hex = [](std::size_t n, bool upper) {
        char digits[32];
        auto end = std::to_chars(digits, digits + sizeof digits, n, 16).ptr;
        std::string number(digits, end);
        if (upper)
            for (char& c : number) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return number;
    };
    auto chunked = [&hex](const std::string& data) {
        std::string first = data.substr(0, data.size() / 2), rest = data.substr(data.size() / 2);
        return hex(first.size(), false) + "\r\n" + first + "\r\n" + hex(rest.size(), true) + ";part=2\r\n" + rest +
               "\r\n0\r\n\r\n";
    };
    struct Case {
        const char* name;
        std::string fields;
        std::string body;
        int encoding;
    } cases[] = {
        {"gzip", "Content-Encoding: gzip\r\nContent-Length: " + std::to_string(gzip.size()) + "\r\n", gzip, 1},
        {"gzip with a file name", "Content-Encoding: gzip\r\n", test::GzipWithFileName(text, "emskind.txt"), 1},
        {"deflate", "Content-Encoding: deflate\r\n", test::Compress(text, 15), 2},
        {"raw deflate", "CONTENT-ENCODING: Deflate\r\n", test::Compress(text, -15), 2},
        {"chunked gzip", "Transfer-Encoding: chunked\r\nContent-Encoding: gzip\r\n", chunked(gzip), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedPeer peer(Answer(c.fields, c.body));
        Client client;
        ASSERT_EQ(client.Send(peer), 12'000);
        EXPECT_EQ(client.request.contentEncoding, c.encoding);
        EXPECT_EQ(client.request.contentLength, 12'000);
        EXPECT_EQ(WebAnswerBody(client.request), text);
        EXPECT_EQ(client.buffer[12'000], '\0');
    }
}

TEST(WebClient, AnAnswerThatEndsEarlyIsAFailure) {
    const std::string gzip = test::Compress(test::SampleText(), 31);
    struct Case {
        const char* name;
        std::string fields;
        std::string body;
        const char* stored;
    } cases[] = {
        {"Content-Length not reached", "Content-Length: 10\r\n", "hello", "hello"},
        {"no last chunk", "Transfer-Encoding: chunked\r\n", "5\r\nhello\r\n", "hello"},
        {"chunk cut short", "Transfer-Encoding: chunked\r\n", "5\r\nhel", "hel"},
        {"chunk without its line end", "Transfer-Encoding: chunked\r\n", "5\r\nhello", "hello"},
        {"compressed, length not reached",
         "Content-Encoding: gzip\r\nContent-Length: " + std::to_string(gzip.size() + 1) + "\r\n", gzip, nullptr},
        {"compressed, no last chunk", "Transfer-Encoding: chunked\r\nContent-Encoding: gzip\r\n",
         "10\r\n" + gzip.substr(0, 16) + "\r\n", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedPeer peer(Answer(c.fields, c.body));
        Client client;
        EXPECT_EQ(client.Send(peer), kWebEmptyOrTruncated);
        EXPECT_EQ(client.request.truncated, 1);
        if (c.stored) {
            EXPECT_EQ(WebAnswerBody(client.request), c.stored);
            EXPECT_EQ(client.buffer[std::strlen(c.stored)], '\0');
        }
    }
}

TEST(WebClient, ABrokenChunkIsMalformedNotTruncated) {
    struct Case {
        const char* name;
        std::string body;
    } cases[] = {
        {"chunk longer than its size", "3\r\nhello\r\n0\r\n\r\n"},
        {"size line without digits", "zz\r\nhello\r\n0\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedPeer peer(Answer("Transfer-Encoding: chunked\r\n", c.body));
        Client client;
        EXPECT_EQ(client.Send(peer), kWebBadStatus);
        EXPECT_EQ(client.request.truncated, 0);
        EXPECT_TRUE(WebAnswerBody(client.request).empty());
    }
}

TEST(WebClient, DeclaredEmptyBodyIsNotTruncated) {
    test::ScriptedPeer peer(Answer("Content-Length: 0\r\n", "ignored"));
    Client client;
    EXPECT_EQ(client.Send(peer), 0);
    EXPECT_EQ(client.request.truncated, 0);
    EXPECT_EQ(client.request.status, 200);
}

TEST(WebClient, RefusesAnswersLargerThanTheArea) {
    const std::string big(5000, 'b');
    const std::string fits(4095, 'f');
    struct Case {
        const char* name;
        std::string fields;
        std::string body;
        int result;
    } cases[] = {
        {"declared above the area", "Content-Length: 5000\r\n", big, kWebTooLarge},
        {"declared as large as the area", "Content-Length: 4096\r\n", big, kWebTooLarge},
        {"declared, one less than the area", "Content-Length: 4095\r\n", fits, 4095},
        {"undeclared, too much", "", big, kWebTooLarge},
        {"undeclared, just fits", "", fits, 4095},
        {"chunked, too much", "Transfer-Encoding: chunked\r\n", "1388\r\n" + big + "\r\n0\r\n\r\n", kWebTooLarge},
        {"chunked, too much in small chunks", "Transfer-Encoding: chunked\r\n",
         "800\r\n" + big.substr(0, 2048) + "\r\n800\r\n" + big.substr(0, 2048) + "\r\n0\r\n\r\n", kWebTooLarge},
        {"inflates beyond the area", "Content-Encoding: gzip\r\n", test::Compress(test::SampleText(), 31),
         kWebInflateFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedPeer peer(Answer(c.fields, c.body));
        Client client(4096);
        EXPECT_EQ(client.Send(peer), c.result);
        if (c.result > 0)
            EXPECT_EQ(WebAnswerBody(client.request).size(), static_cast<std::size_t>(c.result));
        else
            EXPECT_TRUE(WebAnswerBody(client.request).empty());
    }
}

TEST(WebClient, ConfiguredAreaRefusesADeclared9MB) {
    test::ScriptedPeer peer(Answer("Content-Length: 9000000\r\n", "x"));
    std::vector<char> buffer(8'097'152);
    WebRequest request;
    PrepareWebRequest(request, buffer, 80, false);
    EXPECT_EQ(request.receiveCapacity, 8'096'000);
    request.host = "127.0.0.1";
    request.path = "/";
    request.port = peer.Port();
    EXPECT_EQ(SendWebRequest(request), kWebTooLarge);
}

TEST(WebClient, AreaNeverExceedsTheCallersBuffer) {
    // The setting says 8 MB, the buffer holds 4 KB: the buffer wins.
    test::ScriptedPeer peer(Answer("", std::string(5000, 'b')));
    Client client(4096);
    client.request.receiveCapacity = kWebReceiveCapacity;
    EXPECT_EQ(client.Send(peer), kWebTooLarge);
}

TEST(WebClient, MergesSetCookiesAndSendsTheJarNextTime) {
    Client client;
    client.request.cookieJar = "SID=0;LANG=zh";
    {
        test::ScriptedPeer peer(
            Answer("Set-Cookie: SID=1; Path=/\r\nContent-Length: 2\r\n"
                   "set-cookie: T=2; expires=Fri, 01-Jan-2100 00:00:00 GMT\r\n",
                   "ok"));
        EXPECT_EQ(client.Send(peer), 2);
        EXPECT_EQ(client.request.cookieJar, "SID=1;T=2;LANG=zh");
    }
    {
        test::ScriptedPeer peer(Answer("Content-Length: 2\r\n", "ok"));
        EXPECT_EQ(client.Send(peer), 2);
        EXPECT_NE(peer.Request().find("\r\nCookie: SID=1;T=2;LANG=zh\r\n"), std::string::npos) << peer.Request();
        EXPECT_EQ(client.request.cookieJar, "SID=1;T=2;LANG=zh");
    }
    {
        // A refused answer leaves the jar alone.
        test::ScriptedPeer peer("HTTP/1.1 404 Not Found\r\nSet-Cookie: SID=9\r\n\r\n");
        EXPECT_EQ(client.Send(peer), kWebBadStatus);
        EXPECT_EQ(client.request.cookieJar, "SID=1;T=2;LANG=zh");
    }
}

TEST(WebClient, ParsesHeaderFieldsAtLineStarts) {
    WebRequest request;
    ParseResponseHeader(request,
                        "HTTP/1.1 200 OK\r\nX-Content-Type-Options: nosniff\r\nContent-Type: text/html; charset=GBK\r\n"
                        "X-Content-Length: 77\r\ncontent-length: 12\r\nX-Note: Transfer-Encoding: chunked\r\n\r\n");
    EXPECT_EQ(request.status, 200);
    EXPECT_EQ(request.contentType, "text/html; charset=GBK");
    EXPECT_EQ(request.contentLength, 12);
    EXPECT_EQ(request.chunked, 0);
    EXPECT_EQ(request.contentEncoding, 0);

    ParseResponseHeader(request, "HTTP/1.1 200 OK\r\nContent-Type: " + std::string(300, 't') + "\r\n\r\n");
    EXPECT_EQ(request.contentType, std::string(255, 't'));
    EXPECT_EQ(request.contentLength, -1);
}

TEST(WebClient, RefusesIncompleteRequests) {
    std::vector<char> buffer(8192);
    struct Case {
        const char* name;
        std::function<void(WebRequest&)> change;
        int result;
    } cases[] = {
        {"no host", [](WebRequest& r) { r.host.clear(); }, kWebNoArea},
        {"no body area", [](WebRequest& r) { r.requestBuffer = {}; }, kWebNoArea},
        {"no header area", [](WebRequest& r) { r.headerCapacity = 0; }, kWebNoArea},
        {"no path", [](WebRequest& r) { r.path.clear(); }, kWebNoPath},
        {"capacity below 4096", [](WebRequest& r) { r.receiveCapacity = 4095; }, kWebAreaTooSmall},
        {"buffer below 4096",
         [&buffer](WebRequest& r) {
             r.requestBuffer = {buffer.data(), 4095};
         },
         kWebAreaTooSmall},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WebRequest request;
        PrepareWebRequest(request, buffer, 1, false);
        request.host = "127.0.0.1";
        request.path = "/";
        c.change(request);
        EXPECT_EQ(SendWebRequest(request), c.result);
    }
}

TEST(WebClient, PrepareKeepsSettingsAndTheJarOnlyWhenAsked) {
    std::vector<char> first(8192), second(4096);
    WebRequest request;
    PrepareWebRequest(request, first, 80, false);
    request.cookieJar = "SID=1";
    request.receiveTimeoutMs = 7;
    request.body = "x=1";
    request.status = 200;
    request.contentLength = 9;
    request.headerCapacity = 12;

    PrepareWebRequest(request, second, 8080, true);
    EXPECT_EQ(request.cookieJar, "SID=1");
    EXPECT_EQ(request.receiveTimeoutMs, 7);
    EXPECT_EQ(request.requestBuffer.data(), second.data());
    EXPECT_EQ(request.port, 8080);
    EXPECT_FALSE(request.body);
    EXPECT_EQ(request.status, 0);
    EXPECT_EQ(request.contentLength, 0);
    EXPECT_EQ(request.headerCapacity, kWebHeaderCapacity);

    PrepareWebRequest(request, first, 80, false);
    EXPECT_EQ(request.cookieJar, "");
    EXPECT_EQ(request.receiveTimeoutMs, kWebReceiveTimeoutMs);
    EXPECT_EQ(request.sendTimeoutMs, kWebSendTimeoutMs);
    EXPECT_EQ(request.connectTimeoutSeconds, kWebConnectTimeoutSeconds);
    EXPECT_EQ(request.cookieCapacity, kWebCookieCapacity);
    EXPECT_EQ(request.acceptCompression, 1);
    EXPECT_DOUBLE_EQ(request.protocolVersion, 1.1);
}

TEST(WebClient, ConnectGivesUpAfterItsTimeout) {
    test::UnansweredListener listener;
    std::vector<char> buffer(8192);
    WebRequest request;
    PrepareWebRequest(request, buffer, listener.Port(), false);
    request.host = "127.0.0.1";
    request.path = "/";
    request.connectTimeoutSeconds = 1;
    EXPECT_EQ(SendWebRequest(request), kWebConnectTimedOut);
}

TEST(WebClient, RefusedConnectionIsAFailedConnect) {
    std::vector<char> buffer(8192);
    WebRequest request;
    PrepareWebRequest(request, buffer, test::UnusedLoopbackPort(), false);
    request.host = "127.0.0.1";
    request.path = "/";
    EXPECT_EQ(SendWebRequest(request), kWebConnectTimedOut);
}

}  // namespace
}  // namespace tallux
