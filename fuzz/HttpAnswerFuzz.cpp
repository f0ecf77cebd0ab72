// Whole HTTP exchanges on an answer from the input: the web client (status
// line, header blocks, chunked and inflated bodies), the two clients of the
// server exchanges, and the header parsers on their own. Every body must lie
// within the caller's area, be NUL-terminated there and, unless a coding
// transformed it, be bytes the answer carried; nothing may be taken for more
// than its limit allows.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "fuzz/ScriptedConnections.h"
#include "net/ContentInflater.h"
#include "net/CookieJar.h"
#include "net/HttpAnswerReader.h"
#include "net/HttpTransport.h"
#include "net/WebRequest.h"

namespace {

using namespace tallux;
using fuzz::Check;

const Endpoint kServer{"127.0.0.1", 80};

bool Carries(std::string_view answer, std::string_view part) { return answer.find(part) != std::string_view::npos; }

// One web request with a body area of areaBytes and the given setting.
void CheckWebRequest(std::string_view answer, std::size_t areaBytes, int receiveCapacity) {
    fuzz::ScriptedConnections script({std::string(answer)});
    std::vector<char> area(areaBytes);
    WebRequest request;
    PrepareWebRequest(request, area, 80, false);
    request.host = kServer.host;
    request.path = "/cgi-bin/DIzur.dll?EmsFileShare";
    request.body = "w=8001";
    request.receiveCapacity = receiveCapacity;
    const int result = SendWebRequest(request);

    const std::size_t room = std::min(areaBytes, static_cast<std::size_t>(receiveCapacity));
    Check(request.headerBuffer.size() < static_cast<std::size_t>(request.headerCapacity), "header beyond its capacity");
    Check(Carries(answer, request.headerBuffer), "a header block that the answer does not carry");
    Check(request.contentType.size() <= 255, "Content-Type beyond 255 bytes");
    Check(request.cookieJar.size() < static_cast<std::size_t>(request.cookieCapacity), "cookie jar beyond capacity");
    if (result <= 0) return;
    Check(static_cast<std::size_t>(result) < room, "body leaves no room for its NUL");
    Check(request.bodyStart == area.data(), "body outside the area");
    Check(area[static_cast<std::size_t>(result)] == '\0', "body not NUL-terminated");
    Check(!request.truncated, "a truncated answer reported as complete");
    const std::string_view body = WebAnswerBody(request);
    Check(body.size() == static_cast<std::size_t>(result), "body length differs from the result");
    if (request.contentEncoding == kCodingNone) {
        if (request.chunked)
            Check(body.size() <= answer.size(), "chunked body longer than the answer");
        else
            Check(Carries(answer, body), "plain body that the answer does not carry");
    }
}

void CheckPost(std::string_view answer, std::size_t size) {
    fuzz::ScriptedConnections script({std::string(answer)});
    const HttpAnswer reply = HttpPostText(kServer, "/cgi-bin/DIzur.dll?ECTrans", "<WER>1</WER>", size);
    if (reply.result <= 0) {
        Check(reply.body.empty(), "a failed post with a body");
        return;
    }
    Check(reply.body.size() == static_cast<std::size_t>(reply.result), "post body length differs from the result");
    Check(reply.body.size() < size, "post body beyond its buffer");
    Check(Carries(answer, reply.body), "post body that the answer does not carry");
}

void CheckGet(std::string_view answer, std::size_t size) {
    fuzz::ScriptedConnections script({std::string(answer)});
    std::string cookies = "old=1;";
    const HttpAnswer reply = HttpGetWithCookies(kServer, "/cgi-bin/DIzur.dll?ECLogin", size, cookies, "/referer");
    Check(cookies.size() <= kMaxCookieText || cookies == "old=1;", "cookies beyond 1023 bytes");
    if (reply.result < 0) return;
    Check(reply.body.size() == static_cast<std::size_t>(reply.result), "get body length differs from the result");
    Check(reply.body.size() < size, "get body beyond its buffer");
    Check(Carries(answer, reply.body), "get body that the answer does not carry");
}

void CheckHeaderParsers(std::string_view header) {
    const int status = StatusCode(std::string(header.substr(0, header.find('\n'))));
    Check(status == -1 || (status >= 0 && status <= 999), "status code of more than three digits");

    for (int capacity : {1024, 40, 1}) {
        WebRequest request;
        request.cookieCapacity = capacity;
        ParseResponseHeader(request, header);
        Check(request.contentType.size() <= 255, "parsed Content-Type beyond 255 bytes");
        Check(request.cookieJar.size() < static_cast<std::size_t>(capacity) || request.cookieJar.empty(),
              "parsed cookies beyond the jar's capacity");
    }

    const std::string cookies = CookiesFromHeader(header);
    Check(cookies.empty() || cookies.back() == ';', "a cookie text that does not end with ';'");
    const std::string line = CookieLineText(cookies);
    Check(line.empty() || (line.size() > 2 && line.back() != ';' && line.back() != ' '), "a cookie line badly cut");

    if (std::optional<std::string_view> value = HeaderFieldValue(header, "Content-Length")) {
        Check(Carries(header, *value), "a field value that the header does not carry");
        if (std::optional<long long> length = ParseContentLength(*value)) {
            Check(*length >= 0 && *length <= kMostContentLength, "a declared length out of range");
            if (*length < kMostContentLength)
                Check(ParseContentLength(std::to_string(*length)) == length, "a length that does not read back");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer = fuzz::AsText(data, size);
    CheckWebRequest(answer, kWebMinReceiveCapacity, kWebReceiveCapacity);  // the area is the limit
    CheckWebRequest(answer, 64 * 1024, kWebMinReceiveCapacity);            // the setting is the limit
    CheckPost(answer, 1024);
    CheckPost(answer, 2);
    CheckGet(answer, 4096);
    CheckGet(answer, 2);
    CheckHeaderParsers(answer);
    return 0;
}
