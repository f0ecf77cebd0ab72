#include "net/HttpTransport.h"

#include <algorithm>
#include <optional>

#include "net/HttpAnswerReader.h"
#include "text/GbkBytes.h"

namespace tallux {
namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr int kMostInterimAnswers = 8;  // 100 Continue blocks before the real answer

int PostFailure(ConnectStep step) {
    switch (step) {
    case ConnectStep::Socket: return -2;
    case ConnectStep::Resolve: return -3;
    case ConnectStep::Options: return -4;
    default: return -5;
    }
}

int CookieGetFailure(ConnectStep step) {
    switch (step) {
    case ConnectStep::Socket: return -100;
    case ConnectStep::Resolve: return -103;
    default: return -120;
    }
}

// What went wrong once connected; each client has its code for each.
enum class AnswerFailure { None, Connection, Malformed };

struct FailureCodes {
    int connection;
    int malformed;
};
constexpr FailureCodes kPostCodes{-5, -1};
constexpr FailureCodes kCookieGetCodes{-120, -102};

int CodeOf(const FailureCodes& codes, AnswerFailure failure) {
    return failure == AnswerFailure::Connection ? codes.connection : codes.malformed;
}

// A header block that did not end: garbage or one too long for the buffer
// is malformed, anything else was cut off by the connection ending.
AnswerFailure HeaderFailure(std::string_view answerStart, bool complete, bool full) {
    if (complete) return AnswerFailure::None;
    return full || !CouldStartAnswer(answerStart) ? AnswerFailure::Malformed : AnswerFailure::Connection;
}

struct BodyRead {
    AnswerFailure failure = AnswerFailure::None;
    std::string body;
};

// Reads the body the header announces, at most most bytes.
BodyRead ReadWholeBody(HttpAnswerReader& reader, std::string_view header, std::size_t most) {
    if (HasTransferCoding(header)) return {AnswerFailure::Malformed, {}};
    std::optional<long long> length;
    if (auto value = HeaderFieldValue(header, "Content-Length")) {
        length = ParseContentLength(*value);
        if (!length) return {AnswerFailure::Malformed, {}};
    }
    const std::size_t wanted = length ? static_cast<std::size_t>(std::min<long long>(*length, most)) : most;
    std::string body = reader.ReadBody(wanted);
    if (length ? body.size() < wanted : reader.BrokeOff()) return {AnswerFailure::Connection, {}};
    return {AnswerFailure::None, std::move(body)};
}

}  // namespace

std::string TransportErrorText(int code) {
    static const char* const texts[] = {
        "数据不正确或未知错误。", "网络连接套接字创建失败。", "服务器域名解析失败。",
        "网络连接参数设置失败。", "服务器连接失败。",         "服务器返回错误状态码,请求不支持或不存在。",
    };
    if (code > -1 || code < -6) return {};
    return texts[-code - 1];
}

HttpAnswer HttpPostText(const Endpoint& endpoint, std::string_view path, std::string_view body, std::size_t size,
                        const TransportTimeouts& timeouts) {
    if (size < 2) return {-1, {}};
    TcpConnection connection;
    if (ConnectStep step = connection.Open(endpoint, timeouts); step != ConnectStep::None)
        return {PostFailure(step), {}};

    std::string request = "POST " + std::string(path) + " HTTP/1.0\r\nAccept: */*\r\nHost: " + endpoint.host +
                          "\r\nUser-Agent: " + kUserAgent + "\r\nContent-Length: " + std::to_string(body.size()) +
                          "\r\nContent-Type: text/xml; charset=gbk\r\nConnection: close\r\n\r\n";
    if (!connection.SendAll(request.data(), request.size()) || !connection.SendAll(body.data(), body.size()))
        return {-5, {}};

    // However slowly it comes, the whole answer is due within the receive timeout.
    connection.StartDeadline(timeouts.ioMs);
    HttpAnswerReader reader(connection);
    std::string header;
    for (int interim = 0; interim <= kMostInterimAnswers; ++interim) {
        bool complete = false;
        header = reader.ReadHeader(size, complete);
        // A header that fills the whole buffer without ending is no answer
        // this client can read; its bytes are never taken for the body.
        if (AnswerFailure failure = HeaderFailure(header, complete, header.size() >= size);
            failure != AnswerFailure::None)
            return {CodeOf(kPostCodes, failure), {}};
        if (StatusCode(header) != 100) break;
    }
    const int status = StatusCode(header);
    if (status < 0) return {CodeOf(kPostCodes, AnswerFailure::Malformed), {}};
    if (status != 200) return {-6, {}};

    BodyRead read = ReadWholeBody(reader, header, size - 1);
    if (read.failure != AnswerFailure::None) return {CodeOf(kPostCodes, read.failure), {}};
    int result = static_cast<int>(read.body.size());
    return {result, std::move(read.body)};
}

std::string CookiesFromHeader(std::string_view header) {
    std::string cookies;
    std::size_t from = 0;
    while (true) {
        std::size_t found = FindAtCharBoundary(header.substr(from), "Set-Cookie:", true);
        if (found == std::string_view::npos) break;
        std::size_t start = from + found + 11;
        while (start < header.size() && (header[start] == ' ' || header[start] == '\t')) ++start;
        std::size_t lineEnd = header.find_first_of("\r\n", start);
        if (lineEnd == std::string_view::npos) lineEnd = header.size();
        std::string_view line = header.substr(start, lineEnd - start);

        std::size_t attribute = std::string_view::npos;
        for (const char* name : {"Path=", "Domain=", "Expires"})
            attribute = std::min(attribute, FindAtCharBoundary(line, name, true));
        std::string piece;
        if (attribute != std::string_view::npos) {
            for (char c : line.substr(0, attribute))
                if (c != ' ' && c != '\t') piece += c;
        } else {
            piece = std::string(line.substr(0, line.find(';')));
        }
        if (!piece.empty() && piece.back() != ';') piece += ';';
        cookies += piece;
        from = lineEnd;
    }
    return cookies;
}

HttpAnswer HttpGetWithCookies(const Endpoint& endpoint, std::string_view path, std::size_t size, std::string& cookies,
                              std::optional<std::string_view> referer, const TransportTimeouts& timeouts) {
    if (size < 2) return {-102, {}};
    TcpConnection connection;
    if (ConnectStep step = connection.Open(endpoint, timeouts); step != ConnectStep::None)
        return {CookieGetFailure(step), {}};

    std::string request = "GET " + std::string(path) + " HTTP/1.0\r\nAccept: */*\r\nHost: " + endpoint.host + "\r\n";
    if (referer) request += "Referer: " + std::string(*referer) + "\r\n";
    request += std::string("User-Agent: ") + kUserAgent + "\r\n";
    if (!cookies.empty()) request += "Cookie: " + cookies + "\r\n";
    request += "\r\n";
    if (!connection.SendAll(request.data(), request.size())) return {-120, {}};

    connection.StartDeadline(timeouts.ioMs);
    HttpAnswerReader reader(connection);
    std::string statusLine = reader.ReadLine(size);
    const bool lineEnded = !statusLine.empty() && statusLine.back() == '\n';
    if (AnswerFailure failure = HeaderFailure(statusLine, lineEnded, statusLine.size() >= size);
        failure != AnswerFailure::None)
        return {CodeOf(kCookieGetCodes, failure), {}};
    int status = StatusCode(statusLine);
    if (status < 200 || status > 399) return {-102, {}};
    bool complete = false;
    std::string header = reader.ReadHeader(size, complete, true);
    if (AnswerFailure failure = HeaderFailure(statusLine, complete, header.size() >= size);
        failure != AnswerFailure::None)
        return {CodeOf(kCookieGetCodes, failure), {}};
    BodyRead read = ReadWholeBody(reader, header, size - 1);
    if (read.failure != AnswerFailure::None) return {CodeOf(kCookieGetCodes, read.failure), {}};
    // Only an answer that arrived whole sets cookies.
    if (FindAtCharBoundary(header, "Set-Cookie:", true) != std::string_view::npos) {
        std::string fresh = CookiesFromHeader(header);
        if (fresh.size() <= kMaxCookieText) cookies = fresh;
    }
    int result = static_cast<int>(read.body.size());
    return {result, std::move(read.body)};
}

}  // namespace tallux
