#include "net/HttpAnswerReader.h"

#include <algorithm>

#include "text/GbkBytes.h"

namespace tallux {

bool HttpAnswerReader::Fill() {
    if (end_ != AnswerEnd::Open) return false;
    char chunk[4096];
    long received = connection_.Receive(chunk, sizeof chunk);
    if (received <= 0) {
        end_ = received == 0                                 ? AnswerEnd::Closed
               : received == TcpConnection::kReceiveTimedOut ? AnswerEnd::TimedOut
                                                             : AnswerEnd::Failed;
        return false;
    }
    pending_.append(chunk, static_cast<std::size_t>(received));
    return true;
}

std::string HttpAnswerReader::ReadHeader(std::size_t limit, bool& complete, bool afterStatusLine) {
    complete = false;
    std::string header;
    long previousLineFeed = afterStatusLine ? -1 : -100;
    std::size_t scanned = 0;
    while (header.size() < limit) {
        if (scanned == pending_.size() && !Fill()) break;
        for (; scanned < pending_.size() && header.size() < limit; ++scanned) {
            header += pending_[scanned];
            if (pending_[scanned] != '\n') continue;
            long at = static_cast<long>(header.size()) - 1;
            if (at - previousLineFeed < 5) {
                complete = true;
                pending_.erase(0, scanned + 1);
                return header;
            }
            previousLineFeed = at;
        }
    }
    pending_.erase(0, scanned);
    return header;
}

std::string HttpAnswerReader::ReadLine(std::size_t limit) {
    std::string line;
    while (line.size() < limit) {
        if (pending_.empty() && !Fill()) break;
        std::size_t take = 0;
        bool end = false;
        while (take < pending_.size() && line.size() + take < limit) {
            if (pending_[take++] == '\n') {
                end = true;
                break;
            }
        }
        line.append(pending_, 0, take);
        pending_.erase(0, take);
        if (end) break;
    }
    return line;
}

std::string HttpAnswerReader::ReadBody(std::size_t maxBytes) {
    std::string body;
    while (body.size() < maxBytes) {
        if (pending_.empty() && !Fill()) break;
        std::size_t take = std::min(pending_.size(), maxBytes - body.size());
        body.append(pending_, 0, take);
        pending_.erase(0, take);
    }
    return body;
}

int StatusCode(const std::string& statusLine) {
    // "HTTP/1.x " then three digits.
    if (statusLine.size() < 12 || statusLine.compare(0, 5, "HTTP/") != 0) return -1;
    std::size_t at = statusLine.find(' ');
    if (at == std::string::npos) return -1;
    int code = 0, digits = 0;
    for (std::size_t i = at + 1; i < statusLine.size() && statusLine[i] >= '0' && statusLine[i] <= '9' && digits < 3;
         ++i, ++digits)
        code = code * 10 + (statusLine[i] - '0');
    return digits == 3 ? code : -1;
}

bool CouldStartAnswer(std::string_view received) {
    constexpr std::string_view kStart = "HTTP/";
    const std::size_t n = std::min(received.size(), kStart.size());
    return received.substr(0, n) == kStart.substr(0, n);
}

std::optional<std::string_view> HeaderFieldValue(std::string_view header, std::string_view name) {
    std::size_t from = 0;
    while (from < header.size()) {
        std::size_t end = header.find('\n', from);
        if (end == std::string_view::npos) end = header.size();
        std::string_view line = header.substr(from, end - from);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
        if (line.size() > name.size() && line[name.size()] == ':' && StartsWithNoCase(line, name)) {
            std::string_view value = line.substr(name.size() + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
            return value;
        }
        from = end + 1;
    }
    return std::nullopt;
}

bool HasTransferCoding(std::string_view header) {
    std::optional<std::string_view> coding = HeaderFieldValue(header, "Transfer-Encoding");
    return coding && !(coding->size() == 8 && StartsWithNoCase(*coding, "identity"));
}

std::optional<long long> ParseContentLength(std::string_view value) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!value.empty() && blank(value.front())) value.remove_prefix(1);
    while (!value.empty() && blank(value.back())) value.remove_suffix(1);
    if (value.empty()) return std::nullopt;
    long long length = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        length = std::min(length * 10 + (c - '0'), kMostContentLength);
    }
    return length;
}

}  // namespace tallux
