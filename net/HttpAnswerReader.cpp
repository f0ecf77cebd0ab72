#include "net/HttpAnswerReader.h"

#include <algorithm>

namespace tallux {

bool HttpAnswerReader::Fill() {
    if (closed_) return false;
    char chunk[4096];
    long received = connection_.Receive(chunk, sizeof chunk);
    if (received <= 0) {
        closed_ = true;
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

}  // namespace tallux
