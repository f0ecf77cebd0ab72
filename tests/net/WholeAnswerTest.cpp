#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "net/BaseDataDownload.h"
#include "net/HttpTransport.h"
#include "net/LoginSession.h"
#include "net/UploadWorker.h"
#include "net/WebRequest.h"
#include "tests/net/ScriptedPeer.h"
#include "tests/support/TempDir.h"

namespace tallux {
namespace {

using test::PeerScript;
using Clock = std::chrono::steady_clock;

// Every client gets this as its receive timeout: each read's limit and the
// deadline of the whole answer. A peer that drips its answer keeps every
// read well inside it, so only the deadline can end the wait.
constexpr int kDeadlineMs = 300;
constexpr TransportTimeouts kShort{2000, kDeadlineMs};
// Generous: a client that ends within its deadline ends well before this.
constexpr auto kPrompt = std::chrono::milliseconds(kDeadlineMs + 2000);

// A body each client takes whole, the base data download included.
const std::string kData = "C1\x07";

std::string Ok(const std::string& fields, const std::string& body) {
    return "HTTP/1.0 200 OK\r\n" + fields + "\r\n" + body;
}

PeerScript Ending(std::string answer, PeerScript::End end) {
    PeerScript script{std::move(answer)};
    script.end = end;
    return script;
}

PeerScript Dripping(std::string answer, std::string dripped) {
    PeerScript script{std::move(answer)};
    script.dripped = std::move(dripped);
    return script;
}

// Runs one client against a fresh peer and checks that it ended promptly.
template <typename Exchange>
auto AgainstPeer(const PeerScript& script, const Exchange& exchange) {
    test::ScriptedPeer peer(script);
    const auto start = Clock::now();
    auto result = exchange(peer.Port());
    EXPECT_LT(Clock::now() - start, kPrompt) << "the client waited beyond its deadline";
    return result;
}

HttpAnswer Post(std::uint16_t port) { return HttpPostText({"127.0.0.1", port}, "/p", "x", 1024, kShort); }

HttpAnswer CookieGet(std::uint16_t port) {
    std::string cookies;
    return HttpGetWithCookies({"127.0.0.1", port}, "/p", 1024, cookies, std::nullopt, kShort);
}

struct WebResult {
    int result;
    int truncated;
};

WebResult Web(std::uint16_t port) {
    std::vector<char> buffer(8192);
    WebRequest request;
    PrepareWebRequest(request, buffer, port, false);
    request.host = "127.0.0.1";
    request.path = "/";
    request.connectTimeoutSeconds = 2;
    request.sendTimeoutMs = 2000;
    request.receiveTimeoutMs = kDeadlineMs;
    int result = SendWebRequest(request);
    return {result, request.truncated};
}

TEST(WholeAnswer, EachClientTakesOnlyWholeAnswersAndNamesTheFailure) {
    const std::string slowData = "C" + std::string(198, 'x') + "\x07";  // 4 s at a byte per 20 ms
    const std::string chunked = "Transfer-Encoding: chunked\r\n";
    struct Case {
        const char* what;
        PeerScript script;
        int post;       // HttpPostText
        int cookieGet;  // HttpGetWithCookies
        int web;        // SendWebRequest (0: truncated)
        int baseData;   // DownloadBaseData
    } cases[] = {
        {"whole answer", {Ok("Content-Length: 3\r\n", kData)}, 3, 3, 3, 0},
        {"bytes beyond the length are ignored", {Ok("Content-Length: 3\r\n", kData + "1\n2\n")}, 3, 3, 3, 0},
        {"body shorter than its length", {Ok("Content-Length: 1000\r\n", "C1")}, -5, -120, 0, -101},
        {"negative length", {Ok("Content-Length: -5\r\n", kData)}, -1, -102, kWebBadStatus, -103},
        {"length that is no number", {Ok("Content-Length: 3x\r\n", kData)}, -1, -102, kWebBadStatus, -103},
        {"garbage", {"hello there\r\n\r\n" + kData}, -1, -102, kWebBadStatus, -103},
        {"garbage without a line end", {std::string(300, '\x01')}, -1, -102, kWebBadStatus, -103},
        {"closed at once", {""}, -5, -120, kWebBadStatus, -100},
        {"header cut off", {"HTTP/1.0 200 OK\r\nContent-"}, -5, -120, kWebBadStatus, -100},
        {"chunked", {Ok(chunked, "3\r\n" + kData + "\r\n0\r\n\r\n")}, -1, -102, 3, -103},
        {"broken chunk", {Ok(chunked, "zz\r\n" + kData + "\r\n0\r\n\r\n")}, -1, -102, kWebBadStatus, -103},
        {"dripping server", Dripping(Ok("Content-Length: 200\r\n", ""), slowData), -5, -120, 0, -100},
        {"silent server", Ending("", PeerScript::End::Hold), -5, -120, kWebBadStatus, -100},
        {"reset mid-answer", Ending(Ok("Content-Length: 100\r\n", "C1"), PeerScript::End::Reset), -5, -120, 0, -100},
        {"reset, no length", Ending(Ok("", "C1"), PeerScript::End::Reset), -5, -120, 0, -100},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HttpAnswer post = AgainstPeer(c.script, Post);
        EXPECT_EQ(post.result, c.post);
        EXPECT_EQ(post.body, c.post > 0 ? kData : "");

        HttpAnswer get = AgainstPeer(c.script, CookieGet);
        EXPECT_EQ(get.result, c.cookieGet);
        EXPECT_EQ(get.body, c.cookieGet > 0 ? kData : "");

        WebResult web = AgainstPeer(c.script, Web);
        EXPECT_EQ(web.result, c.web);
        EXPECT_EQ(web.truncated, c.web == 0 ? 1 : 0);

        const std::string cache = dir.File("0.dat");
        test::WriteWholeFile(cache, "previous");
        int baseData = AgainstPeer(c.script, [&cache](std::uint16_t port) {
            ServerAddress server("127.0.0.1", port);
            return DownloadBaseData(server, "8001", cache, kShort);
        });
        EXPECT_EQ(baseData, c.baseData);
        if (c.baseData != 0) {
            EXPECT_EQ(test::ReadWholeFile(cache), "previous");
        }
    }
}

// Sends one record and keeps how the run ended.
class OneRecordUpload : public UploadHandler {
public:
    std::optional<std::string> Serialize(int) override { return "<XML>"; }
    void RecordResult(int, int) override {}
    void Progress(int, int) override {}
    void Finished(const UploadOutcome& outcome) override { outcome_ = outcome; }
    std::optional<UploadOutcome> outcome_;
};

TEST(WholeAnswer, AnUploadRunSaysWhatHappenedToTheConnection) {
    struct Case {
        const char* what;
        PeerScript script;
        const char* text;
    } cases[] = {
        {"server gone mid-answer", Ending(Ok("Content-Length: 40\r\n", "1\n"), PeerScript::End::Reset),
         "服务器连接失败。"},
        {"server gone before answering", {""}, "服务器连接失败。"},
        {"silent server", Ending("", PeerScript::End::Hold), "服务器连接失败。"},
        {"garbage", {"SSH-2.0-OpenSSH\r\n\r\n"}, "数据不正确或未知错误。"},
        {"a status the client does not take",
         {"HTTP/1.0 503 Busy\r\n\r\n"},
         "服务器返回错误状态码,请求不支持或不存在。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OneRecordUpload handler;
        AgainstPeer(c.script, [&handler](std::uint16_t port) {
            ServerAddress server("127.0.0.1", port);
            std::atomic<bool> keepRunning{true};
            RunUpload(
                {1}, handler, [&server](std::string_view body) { return PostTransaction(server, body, 1024, kShort); },
                keepRunning);
            return 0;
        });
        ASSERT_TRUE(handler.outcome_);
        EXPECT_EQ(handler.outcome_->kind, UploadOutcome::Kind::Unreachable);
        EXPECT_EQ(TransportErrorText(handler.outcome_->transportError), c.text);
    }
}

TEST(WholeAnswer, LoginGivesUpOnADrippingServerAtItsDeadline) {
    const PeerScript script = Dripping(Ok("Content-Length: 200\r\n", ""), std::string(200, '1'));
    SessionValues session;
    LoginOutcome outcome = AgainstPeer(script, [&session](std::uint16_t port) {
        ServerAddress server("127.0.0.1", port);
        return Login(server, "8001", u"demo", u"pw", 1700000000, session, kShort);
    });
    EXPECT_EQ(outcome.status, LoginStatus::ConnectionFailed);
    EXPECT_EQ(outcome.message, "与服务器连接失败[ Ret:-120]");
    EXPECT_FALSE(session.IsLoggedIn());
}

}  // namespace
}  // namespace tallux
