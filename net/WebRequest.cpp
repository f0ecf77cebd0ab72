#include "net/WebRequest.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "net/ChunkedDecoder.h"
#include "net/ContentInflater.h"
#include "net/CookieJar.h"
#include "net/HttpAnswerReader.h"
#include "net/TcpConnection.h"
#include "text/GbkBytes.h"

namespace tallux {
namespace {

constexpr const char* kAcceptLine =
    "Accept: image/gif, image/jpeg, image/pjpeg, image/pjpeg, application/vnd.ms-excel, "
    "application/vnd.ms-powerpoint, application/msword, application/x-shockwave-flash, */*\r\n";
constexpr const char* kUserAgentLine =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.2; Trident/4.0; .NET CLR 1.1.4322)\r\n";
constexpr std::size_t kMaxContentType = 255;
constexpr std::size_t kClearedBytes = 64'000;
constexpr std::size_t kPiece = 64 * 1024;
constexpr int kMostInterimAnswers = 8;  // 100 Continue blocks before the real answer

int ConnectFailure(ConnectStep step) {
    switch (step) {
    case ConnectStep::Socket: return kWebNoSocket;
    case ConnectStep::Resolve: return kWebNotResolved;
    case ConnectStep::Options: return kWebSendTimeoutFailed;
    default: return kWebConnectTimedOut;
    }
}

bool SetSendTimeout(int fd, int ms) {
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) == 0;
}

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

// The number after the first blank of a status line, -1 without one.
int StatusOfLine(std::string_view line) {
    std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return -1;
    std::string_view rest = SkipBlanks(line.substr(blank + 1));
    int value = 0, digits = 0;
    for (; digits < static_cast<int>(rest.size()) && digits < 4 && rest[digits] >= '0' && rest[digits] <= '9'; ++digits)
        value = value * 10 + (rest[digits] - '0');
    return digits > 0 ? value : -1;
}

// The declared length of a Content-Length value, kWebLengthUnreadable when
// it is no length.
int DeclaredLength(std::string_view value) {
    std::optional<long long> length = ParseContentLength(value);
    return length ? static_cast<int>(std::min<long long>(*length, INT_MAX)) : kWebLengthUnreadable;
}

bool Contains(std::string_view text, std::string_view word) {
    return FindAtCharBoundary(text, word, true) != std::string_view::npos;
}

// Reads up to limit body bytes into area; the count stored.
std::size_t ReadPlainBody(HttpAnswerReader& reader, char* area, std::size_t limit) {
    std::size_t stored = 0;
    while (stored < limit) {
        std::string piece = reader.ReadBody(std::min(limit - stored, kPiece));
        if (piece.empty()) break;
        std::memcpy(area + stored, piece.data(), piece.size());
        stored += piece.size();
    }
    return stored;
}

}  // namespace

void PrepareWebRequest(WebRequest& request, std::span<char> buffer, int port, bool keepSettings) {
    if (!keepSettings) request = WebRequest{};
    request.requestBuffer = buffer;
    request.headerCapacity = kWebHeaderCapacity;
    request.port = port;
    request.body.reset();
    request.bodyStart = nullptr;
    request.status = 0;
    request.contentEncoding = 0;
    request.chunked = 0;
    request.contentLength = 0;
    request.truncated = 0;
}

std::string BuildWebRequestHeader(const WebRequest& request) {
    unsigned port = static_cast<unsigned>(request.port) & 0xFFFFu;
    char version[32];
    std::snprintf(version, sizeof version, "%3.1f", request.protocolVersion);
    std::string text = request.body ? "POST " : "GET ";
    text += request.path + " HTTP/" + version + "\r\n" + kAcceptLine + "Accept-Language: zh-cn\r\n";
    if (request.acceptCompression == 1) text += "Accept-Encoding: gzip, deflate\r\n";
    text += "Host: " + request.host;
    if (port != 80) text += ":" + std::to_string(port);
    text += "\r\n";
    text += kUserAgentLine;
    if (request.body)
        text += "Content-Length: " + std::to_string(request.body->size()) +
                "\r\nContent-Type: application/x-www-form-urlencoded\r\nCache-Control: no-cache\r\n";
    std::string cookies = CookieLineText(request.cookieJar);
    if (!cookies.empty()) text += "Cookie: " + cookies + "\r\n";
    text += "Connection: Close\r\n\r\n";
    return text;
}

void ParseResponseHeader(WebRequest& request, std::string_view header) {
    request.status = 400;
    request.contentLength = -1;
    request.contentEncoding = 0;
    request.chunked = 0;
    request.contentType.clear();
    if (header.empty()) return;

    std::size_t lineEnd = header.find('\n');
    std::string_view fields = lineEnd == std::string_view::npos ? std::string_view{} : header.substr(lineEnd + 1);
    int status = StatusOfLine(WithoutLineEnd(header.substr(0, lineEnd)));
    if (status < 0) return;
    // An interim status line directly followed by the final one.
    if (status >= 100 && status <= 199) {
        std::size_t nextEnd = fields.find('\n');
        int next = StatusOfLine(WithoutLineEnd(fields.substr(0, nextEnd)));
        if (next >= 100 && next <= 999) {
            status = next;
            fields = nextEnd == std::string_view::npos ? std::string_view{} : fields.substr(nextEnd + 1);
        }
    }
    request.status = status;
    if (!((status >= 200 && status <= 399) || (status >= 500 && status <= 999))) return;

    if (auto value = HeaderFieldValue(fields, "Content-Length")) request.contentLength = DeclaredLength(*value);
    if (auto value = HeaderFieldValue(fields, "Content-Type"))
        request.contentType = std::string(CutAtCharBoundary(*value, kMaxContentType));
    if (auto value = HeaderFieldValue(fields, "Transfer-Encoding"); value && Contains(*value, "chunked"))
        request.chunked = 1;
    if (auto value = HeaderFieldValue(fields, "Content-Encoding")) {
        if (Contains(*value, "gzip"))
            request.contentEncoding = kCodingGzip;
        else if (Contains(*value, "deflate"))
            request.contentEncoding = kCodingDeflate;
    }
    MergeSetCookies(request.cookieJar, fields, static_cast<std::size_t>(std::max(request.cookieCapacity, 0)));
}

int SendWebRequest(WebRequest& request) {
    request.status = 0;
    request.contentEncoding = 0;
    request.chunked = 0;
    request.contentType.clear();
    request.headerBuffer.clear();
    request.bodyStart = nullptr;
    request.contentLength = 0;
    request.truncated = 0;

    if (request.requestBuffer.empty() || request.headerCapacity < 2 || request.host.empty()) return kWebNoArea;
    if (request.path.empty()) return kWebNoPath;
    if (request.receiveCapacity < kWebMinReceiveCapacity) return kWebAreaTooSmall;
    // Never write past the caller's buffer, whatever the setting says.
    std::size_t capacity = std::min(static_cast<std::size_t>(request.receiveCapacity), request.requestBuffer.size());
    if (capacity < static_cast<std::size_t>(kWebMinReceiveCapacity)) return kWebAreaTooSmall;
    char* area = request.requestBuffer.data();

    TcpConnection connection;
    int connectMs = std::clamp(request.connectTimeoutSeconds, 0, INT_MAX / 1000) * 1000;
    Endpoint endpoint{request.host, static_cast<std::uint16_t>(request.port & 0xFFFF)};
    if (ConnectStep step = connection.Open(endpoint, {connectMs, request.receiveTimeoutMs}); step != ConnectStep::None)
        return ConnectFailure(step);
    if (!SetSendTimeout(connection.Descriptor(), request.sendTimeoutMs)) return kWebSendTimeoutFailed;

    std::string header = BuildWebRequestHeader(request);
    // A request that did not get out has no answer worth reading.
    if (!connection.SendAll(header.data(), header.size())) return kWebBadStatus;
    if (request.body && !connection.SendAll(request.body->data(), request.body->size())) return kWebBadStatus;

    // However slowly it comes, the whole answer is due within the receive timeout.
    connection.StartDeadline(request.receiveTimeoutMs);
    HttpAnswerReader reader(connection);
    for (int interim = 0; interim <= kMostInterimAnswers; ++interim) {
        bool complete = false;
        request.headerBuffer = reader.ReadHeader(static_cast<std::size_t>(request.headerCapacity) - 1, complete);
        // A cut-off header can not be trusted for lengths and codings.
        if (!complete) {
            request.status = 400;
            return kWebBadStatus;
        }
        ParseResponseHeader(request, request.headerBuffer);
        if (request.status != 100) break;
    }
    int status = request.status;
    if (!((status >= 100 && status <= 399) || (status >= 500 && status <= 999)) || status == 100) return kWebBadStatus;

    std::size_t stored = 0;
    if (request.chunked) {
        // The chunks carry the length; a Content-Length beside them is void.
        request.contentLength = -1;
        std::memset(area, 0, std::min(capacity, kClearedBytes));
        ChunkedOutcome outcome = ReadChunkedBody(reader, {area, capacity - 1});
        if (outcome.end == ChunkedEnd::Oversize) return kWebTooLarge;
        // A broken chunk leaves nothing to trust of what came before it.
        if (outcome.end == ChunkedEnd::Malformed) return kWebBadStatus;
        stored = outcome.length;
        if (outcome.end != ChunkedEnd::Complete) request.truncated = 1;
    } else {
        if (request.contentLength == kWebLengthUnreadable) return kWebBadStatus;
        if (request.contentLength == 0) return kWebEmptyOrTruncated;
        // Room for the NUL after the body is part of the limit.
        if (request.contentLength > 0 && static_cast<std::size_t>(request.contentLength) >= capacity)
            return kWebTooLarge;
        std::memset(area, 0, std::min(capacity, kClearedBytes));
        std::size_t limit = request.contentLength > 0 ? static_cast<std::size_t>(request.contentLength) : capacity - 1;
        stored = ReadPlainBody(reader, area, limit);
        // Without a length only a close in order ends the body.
        if (request.contentLength > 0 ? stored < limit : reader.BrokeOff()) request.truncated = 1;
        // Without a length the area must hold everything up to the close.
        if (request.contentLength < 0 && stored == limit && !reader.ReadBody(1).empty()) return kWebTooLarge;
    }
    connection.Close();
    area[stored] = '\0';
    request.bodyStart = area;
    request.contentLength = static_cast<int>(stored);
    if (request.truncated) return kWebEmptyOrTruncated;

    if (request.contentEncoding != kCodingNone && stored > 0) {
        int inflated = InflateBody({area, capacity}, stored, request.contentEncoding);
        if (inflated < 0) {
            request.bodyStart = nullptr;
            request.contentLength = 0;
            return inflated;
        }
        stored = static_cast<std::size_t>(inflated);
        request.contentLength = inflated;
    }
    return static_cast<int>(stored);
}

std::string_view WebAnswerBody(const WebRequest& request) {
    if (!request.bodyStart || request.contentLength <= 0) return {};
    return {request.bodyStart, static_cast<std::size_t>(request.contentLength)};
}

bool WebAnswerSucceeded(const WebRequest& request) { return request.status >= 200 && request.status <= 299; }

}  // namespace tallux
