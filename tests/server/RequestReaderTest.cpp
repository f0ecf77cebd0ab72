#include "server/RequestReader.h"

#include <gtest/gtest.h>

#include <string>

namespace tallux::server {
namespace {

using State = RequestReader::State;

struct GoodCase {
    const char* name;
    std::string bytes;
    std::string method, path, query, body;
};

TEST(RequestReader, ParsesGoodRequests) {
    const std::string clientGet =
        "GET /cgi-bin/DIzur.dll?ECLogin&w=8001&ac=demo&md5=ab&it=1 HTTP/1.0\r\nAccept: */*\r\nHost: 127.0.0.1\r\n"
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n\r\n";
    const GoodCase cases[] = {
        {"client login GET", clientGet, "GET", "/cgi-bin/DIzur.dll", "ECLogin&w=8001&ac=demo&md5=ab&it=1", ""},
        {"POST with body and trailing bytes",
         "POST /cgi-bin/DIzur.dll?ECTrans HTTP/1.0\r\nContent-Length: 5\r\nContent-Type: text/xml; charset=gbk\r\n\r\n"
         "<WER>extra",
         "POST", "/cgi-bin/DIzur.dll", "ECTrans", "<WER>"},
        {"HTTP/1.1, bare LF, header without blank", "GET /x HTTP/1.1\nhost:a\n\n", "GET", "/x", "", ""},
        {"leading empty lines", "\r\n\r\nGET / HTTP/1.0\r\n\r\n", "GET", "/", "", ""},
        {"raw GBK bytes in the account", "GET /c?ECLogin&ac=\xD5\xC5\xC8\xFD HTTP/1.0\r\n\r\n", "GET", "/c",
         "ECLogin&ac=\xD5\xC5\xC8\xFD", ""},
        {"repeated equal Content-Length", "POST /p HTTP/1.0\r\nContent-Length: 2\r\ncontent-length: 2\r\n\r\nab",
         "POST", "/p", "", "ab"},
        {"POST without length has an empty body", "POST /p HTTP/1.0\r\n\r\n", "POST", "/p", "", ""},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Whole, and split into single bytes: the result must not depend on
        // how the bytes arrive.
        for (bool byteWise : {false, true}) {
            RequestReader reader;
            State state = State::NeedMore;
            if (byteWise) {
                for (char b : c.bytes) state = reader.Feed(std::string_view(&b, 1));
            } else {
                state = reader.Feed(c.bytes);
            }
            ASSERT_EQ(state, State::Complete);
            EXPECT_EQ(reader.Request().method, c.method);
            EXPECT_EQ(reader.Request().path, c.path);
            EXPECT_EQ(reader.Request().query, c.query);
            EXPECT_EQ(reader.Request().body, c.body);
        }
    }
}

TEST(RequestReader, HeaderLookupIgnoresCase) {
    RequestReader reader;
    ASSERT_EQ(reader.Feed("GET / HTTP/1.0\r\nUser-Agent:  x y \r\n\r\n"), State::Complete);
    ASSERT_NE(reader.Request().Header("user-agent"), nullptr);
    EXPECT_EQ(*reader.Request().Header("user-agent"), "x y");
    EXPECT_EQ(reader.Request().Header("Host"), nullptr);
}

struct BadCase {
    const char* name;
    std::string bytes;
    HttpStatus status;
};

TEST(RequestReader, RejectsMalformedRequests) {
    const BadCase cases[] = {
        {"no version", "GET /\r\n\r\n", HttpStatus::BadRequest},
        {"unknown version", "GET / HTTP/2.0\r\n\r\n", HttpStatus::BadRequest},
        {"lower-case version", "GET / http/1.0\r\n\r\n", HttpStatus::BadRequest},
        {"double blank", "GET  / HTTP/1.0\r\n\r\n", HttpStatus::BadRequest},
        {"four parts", "GET / x HTTP/1.0\r\n\r\n", HttpStatus::BadRequest},
        {"relative target", "GET cgi-bin HTTP/1.0\r\n\r\n", HttpStatus::BadRequest},
        {"control byte in target", std::string("GET /a\x01 HTTP/1.0\r\n\r\n"), HttpStatus::BadRequest},
        {"header without colon", "GET / HTTP/1.0\r\nHost\r\n\r\n", HttpStatus::BadRequest},
        {"blank in header name", "GET / HTTP/1.0\r\nHo st: a\r\n\r\n", HttpStatus::BadRequest},
        {"folded header line", "GET / HTTP/1.0\r\nA: b\r\n c\r\n\r\n", HttpStatus::BadRequest},
        {"negative length", "POST / HTTP/1.0\r\nContent-Length: -1\r\n\r\n", HttpStatus::BadRequest},
        {"length with letters", "POST / HTTP/1.0\r\nContent-Length: 12a\r\n\r\n", HttpStatus::BadRequest},
        {"huge length digits", "POST / HTTP/1.0\r\nContent-Length: 99999999999999999999\r\n\r\n",
         HttpStatus::BadRequest},
        {"conflicting lengths", "POST / HTTP/1.0\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n",
         HttpStatus::BadRequest},
        {"body over 8 MiB announced", "POST / HTTP/1.0\r\nContent-Length: 8388609\r\n\r\n",
         HttpStatus::PayloadTooLarge},
        {"chunked body", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", HttpStatus::NotImplemented},
        {"other method", "DELETE / HTTP/1.0\r\n\r\n", HttpStatus::MethodNotAllowed},
        {"binary garbage", std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\r\n\r\n", 15),
         HttpStatus::BadRequest},
        {"head over 16 KiB without end", "GET /" + std::string(17 * 1024, 'a'), HttpStatus::HeaderTooLarge},
        {"head over 16 KiB with end", "GET / HTTP/1.0\r\nX: " + std::string(16 * 1024, 'a') + "\r\n\r\n",
         HttpStatus::HeaderTooLarge},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        RequestReader reader;
        EXPECT_EQ(reader.Feed(c.bytes), State::Failed);
        EXPECT_EQ(reader.Error(), c.status);
    }
}

TEST(RequestReader, ExactlyBodyLimitIsAccepted) {
    RequestReader reader(RequestReader::Limits{64, 4});
    EXPECT_EQ(reader.Feed("POST / HTTP/1.0\r\nContent-Length: 4\r\n\r\n"), State::NeedMore);
    EXPECT_EQ(reader.Feed("abcd"), State::Complete);
    RequestReader over(RequestReader::Limits{64, 4});
    EXPECT_EQ(over.Feed("POST / HTTP/1.0\r\nContent-Length: 5\r\n\r\n"), State::Failed);
    EXPECT_EQ(over.Error(), HttpStatus::PayloadTooLarge);
}

TEST(RequestReader, TruncatedRequestFailsWhenPeerCloses) {
    const char* cases[] = {"", "GET / HTTP/1.0\r\n", "POST / HTTP/1.0\r\nContent-Length: 10\r\n\r\nabc"};
    for (const char* bytes : cases) {
        SCOPED_TRACE(bytes);
        RequestReader reader;
        EXPECT_EQ(reader.Feed(bytes), State::NeedMore);
        EXPECT_EQ(reader.FinishInput(), State::Failed);
        EXPECT_EQ(reader.Error(), HttpStatus::BadRequest);
    }
}

TEST(HttpAnswer, HasTheFixedHeadersAndLength) {
    EXPECT_EQ(FormatHttpAnswer(HttpStatus::Ok, "-1\n"),
              "HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=gbk\r\nContent-Length: 3\r\n"
              "Connection: close\r\n\r\n-1\n");
    EXPECT_EQ(FormatHttpError(HttpStatus::NotFound).substr(0, 23), "HTTP/1.0 404 Not Found\r");
}

}  // namespace
}  // namespace tallux::server
