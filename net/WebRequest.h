#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tallux {

// The general web client: HTTP/1.1, one request per connection, gzip and
// deflate answers, chunked answers and a cookie jar kept across requests.

// The shared configuration.
inline constexpr int kWebReceiveCapacity = 8'096'000;
inline constexpr int kWebHeaderCapacity = 48'000;
inline constexpr int kWebCookieCapacity = 1'024;
inline constexpr int kWebConnectTimeoutSeconds = 30;
inline constexpr int kWebSendTimeoutMs = 120'000;
inline constexpr int kWebReceiveTimeoutMs = 600'000;
inline constexpr int kWebMinReceiveCapacity = 4'096;

// Results of SendWebRequest below 1.
inline constexpr int kWebEmptyOrTruncated = 0;  // declared empty, or the answer ended early
inline constexpr int kWebNoArea = -1;           // no body area, header area or host
inline constexpr int kWebNoPath = -3;
inline constexpr int kWebNoSocket = -100;
inline constexpr int kWebBadStatus = -102;  // 4xx, or an answer that is not readable HTTP
inline constexpr int kWebNotResolved = -103;
inline constexpr int kWebSendTimeoutFailed = -120;  // also the receive time-out and blocking modes
inline constexpr int kWebConnectTimedOut = -123;    // also a refused connection
inline constexpr int kWebNoMemory = -200;
inline constexpr int kWebInflateFailed = -201;  // broken, empty or too big once inflated
inline constexpr int kWebTooLarge = -204;       // the body does not fit the body area
inline constexpr int kWebAreaTooSmall = -900;

// WebRequest::contentLength of a Content-Length field that is no length
// (negative, not a number).
inline constexpr int kWebLengthUnreadable = -2;

// The request record all users share: settings, the request, the results.
struct WebRequest {
    double protocolVersion = 1.1;
    int acceptCompression = 1;  // 1: ask for gzip and deflate
    int port = 80;              // low 16 bits used
    int sendTimeoutMs = kWebSendTimeoutMs;
    int receiveTimeoutMs = kWebReceiveTimeoutMs;
    int connectTimeoutSeconds = kWebConnectTimeoutSeconds;
    int receiveCapacity = kWebReceiveCapacity;  // limit of the body area (the NUL included)
    int cookieCapacity = kWebCookieCapacity;    // the jar stays below this many bytes
    std::span<char> requestBuffer;              // the body area, owned by the caller
    std::string cookieJar;                      // "name=value;name=value"
    std::string host;
    std::string path;
    std::optional<std::string> body;  // present: POST, absent: GET

    // Results.
    int status = 0;
    int contentEncoding = 0;  // ContentCoding
    int chunked = 0;
    std::string contentType;          // value of Content-Type, at most 255 bytes
    std::string headerBuffer;         // the answer header as received
    const char* bodyStart = nullptr;  // start of the body in the body area
    int contentLength = 0;            // declared length (-1 none, kWebLengthUnreadable), finally the body length
    int headerCapacity = kWebHeaderCapacity;  // most header bytes received, plus one
    int truncated = 0;                        // 1: the answer ended before its declared end
};

// Points request at buffer (its body area) and port, and clears the
// request and its results. keepSettings false first resets every setting to
// the configuration and empties the cookie jar.
void PrepareWebRequest(WebRequest& request, std::span<char> buffer, int port, bool keepSettings);

// Performs the exchange. > 0: body length, the body NUL-terminated at
// bodyStart; otherwise one of the kWeb results. The whole answer must arrive
// within receiveTimeoutMs counted once from the moment the request was sent
// (each read is bounded by it too). Failures once connected:
// - the connection ends (closed, reset, timed out) before the header ended,
//   a status line or header that is not HTTP or does not end within the
//   header area, a Content-Length that is no length (kWebLengthUnreadable),
//   a broken chunk (a size line that is no size, a chunk longer than its
//   size): kWebBadStatus, nothing at bodyStart;
// - the connection ends before the body's end (Content-Length not reached,
//   no last chunk) or, without a length, is reset or times out instead of
//   closing: kWebEmptyOrTruncated with truncated set and what arrived at
//   bodyStart.
// Bytes after the declared length or the last chunk are ignored.
int SendWebRequest(WebRequest& request);

// The request header text SendWebRequest sends.
std::string BuildWebRequestHeader(const WebRequest& request);

// Reads status, Content-Length, Content-Type, transfer and content coding
// from an answer header into request and merges its cookies into the jar.
void ParseResponseHeader(WebRequest& request, std::string_view header);

// The received body; empty before a successful exchange.
std::string_view WebAnswerBody(const WebRequest& request);

// True for a 2xx answer: an error page (3xx redirect, 5xx) also yields a
// body, which must not be taken for the content asked for.
bool WebAnswerSucceeded(const WebRequest& request);

}  // namespace tallux
