#include "net/HttpTransport.h"

#include <algorithm>

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

// The number after "Content-Length: " (any letter case), -1 when absent.
long long ContentLength(std::string_view header) {
    std::size_t at = FindAtCharBoundary(header, "Content-Length: ", true);
    if (at == std::string_view::npos) return -1;
    long long value = 0;
    std::size_t i = at + 16;
    bool digits = false;
    for (; i < header.size() && header[i] >= '0' && header[i] <= '9'; ++i) {
        digits = true;
        if (value < 1'000'000'000'000LL) value = value * 10 + (header[i] - '0');
    }
    return digits ? value : -1;
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

    HttpAnswerReader reader(connection);
    std::string header;
    for (int interim = 0; interim <= kMostInterimAnswers; ++interim) {
        bool complete = false;
        header = reader.ReadHeader(size, complete);
        // A header that fills the whole buffer without ending is no answer
        // this client can read; its bytes are never taken for the body.
        if (!complete && header.size() >= size) return {-1, {}};
        if (StatusCode(header) != 100) break;
    }
    if (StatusCode(header) != 200) return {-6, {}};

    long long length = ContentLength(header);
    std::size_t wanted =
        (length > 0 && length < static_cast<long long>(size)) ? static_cast<std::size_t>(length) : size - 1;
    std::string answer = reader.ReadBody(wanted);
    int result = static_cast<int>(answer.size());
    return {result, std::move(answer)};
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

    HttpAnswerReader reader(connection);
    std::string statusLine = reader.ReadLine(size);
    int status = StatusCode(statusLine);
    if (status < 200 || status > 399) return {-102, {}};
    bool complete = false;
    std::string header = reader.ReadHeader(size, complete, true);
    if (!complete && header.size() >= size) return {-102, {}};
    if (FindAtCharBoundary(header, "Set-Cookie:", true) != std::string_view::npos) {
        std::string fresh = CookiesFromHeader(header);
        if (fresh.size() <= kMaxCookieText) cookies = fresh;
    }
    std::string body = reader.ReadBody(size - 1);
    int result = static_cast<int>(body.size());
    return {result, std::move(body)};
}

}  // namespace tallux
