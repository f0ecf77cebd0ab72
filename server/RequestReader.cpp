#include "server/RequestReader.h"

#include <strings.h>

#include <vector>

namespace tallux::server {

namespace {

bool IsTokenChar(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) return false;
    return std::string_view("()<>@,;:\\\"/[]?={}").find(static_cast<char>(c)) == std::string_view::npos;
}

bool IsToken(std::string_view text) {
    if (text.empty()) return false;
    for (unsigned char c : text)
        if (!IsTokenChar(c)) return false;
    return true;
}

// Request targets may carry raw GBK bytes (the client does not escape the
// account) but no blanks or control characters.
bool IsTargetText(std::string_view text) {
    if (text.empty() || text[0] != '/') return false;
    for (unsigned char c : text)
        if (c <= 0x20 || c == 0x7F) return false;
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitLines(std::string_view head) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < head.size()) {
        std::size_t end = head.find('\n', start);
        if (end == std::string_view::npos) end = head.size();
        std::string_view line = head.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Position just after the empty line ending the head, or npos.
std::size_t FindHeadEnd(std::string_view buffer) {
    for (std::size_t i = buffer.find('\n'); i != std::string_view::npos; i = buffer.find('\n', i + 1)) {
        std::size_t next = i + 1;
        if (next < buffer.size() && buffer[next] == '\n') return next + 1;
        if (next + 1 < buffer.size() && buffer[next] == '\r' && buffer[next + 1] == '\n') return next + 2;
    }
    return std::string_view::npos;
}

}  // namespace

RequestReader::RequestReader() : RequestReader(Limits{}) {}

RequestReader::RequestReader(Limits limits) : limits_(limits) {}

RequestReader::State RequestReader::Fail(HttpStatus status) {
    error_ = status;
    state_ = State::Failed;
    buffer_.clear();
    return state_;
}

RequestReader::State RequestReader::Feed(std::string_view bytes) {
    if (state_ != State::NeedMore) return state_;
    seen_ += bytes.size();
    if (bodyStart_ == 0) {
        // Blank lines before the request line are tolerated.
        if (buffer_.empty())
            while (!bytes.empty() && (bytes.front() == '\r' || bytes.front() == '\n')) bytes.remove_prefix(1);
        // Search only the new part (and the 3 bytes before it) for the end.
        std::size_t searchFrom = buffer_.size() > 3 ? buffer_.size() - 3 : 0;
        buffer_.append(bytes);
        std::size_t end = FindHeadEnd(std::string_view(buffer_).substr(searchFrom));
        if (end == std::string_view::npos) {
            if (buffer_.size() > limits_.maxHeadBytes) return Fail(HttpStatus::HeaderTooLarge);
            return state_;
        }
        end += searchFrom;
        if (end > limits_.maxHeadBytes) return Fail(HttpStatus::HeaderTooLarge);
        if (ParseHead(std::string_view(buffer_).substr(0, end)) == State::Failed) return state_;
        bodyStart_ = end;
    } else {
        std::size_t missing = bodyStart_ + contentLength_ - buffer_.size();
        buffer_.append(bytes.substr(0, std::min(missing, bytes.size())));
    }
    if (buffer_.size() >= bodyStart_ + contentLength_) {
        request_.body = buffer_.substr(bodyStart_, contentLength_);
        buffer_.clear();
        state_ = State::Complete;
    }
    return state_;
}

RequestReader::State RequestReader::FinishInput() {
    if (state_ == State::NeedMore) return Fail(HttpStatus::BadRequest);
    return state_;
}

RequestReader::State RequestReader::ParseHead(std::string_view head) {
    std::vector<std::string_view> lines = SplitLines(head);
    if (lines.empty()) return Fail(HttpStatus::BadRequest);

    std::string_view requestLine = lines[0];
    std::size_t firstBlank = requestLine.find(' ');
    std::size_t secondBlank = firstBlank == std::string_view::npos ? firstBlank : requestLine.find(' ', firstBlank + 1);
    if (secondBlank == std::string_view::npos || requestLine.find(' ', secondBlank + 1) != std::string_view::npos)
        return Fail(HttpStatus::BadRequest);
    std::string_view method = requestLine.substr(0, firstBlank);
    std::string_view target = requestLine.substr(firstBlank + 1, secondBlank - firstBlank - 1);
    std::string_view version = requestLine.substr(secondBlank + 1);
    if (!IsToken(method) || !IsTargetText(target)) return Fail(HttpStatus::BadRequest);
    if (version == "HTTP/1.0") {
        request_.minorVersion = 0;
    } else if (version == "HTTP/1.1") {
        request_.minorVersion = 1;
    } else {
        return Fail(HttpStatus::BadRequest);
    }

    bool haveLength = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty()) break;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) return Fail(HttpStatus::BadRequest);
        std::string_view name = line.substr(0, colon);
        std::string_view value = TrimBlanks(line.substr(colon + 1));
        for (unsigned char c : value)
            if ((c < 0x20 && c != '\t') || c == 0x7F) return Fail(HttpStatus::BadRequest);
        if (strncasecmp(name.data(), "Content-Length", name.size()) == 0 && name.size() == 14) {
            if (value.empty() || value.size() > 18 || value.find_first_not_of("0123456789") != std::string_view::npos)
                return Fail(HttpStatus::BadRequest);
            std::size_t length = std::stoull(std::string(value));
            if (haveLength && length != contentLength_) return Fail(HttpStatus::BadRequest);
            haveLength = true;
            contentLength_ = length;
        } else if (strncasecmp(name.data(), "Transfer-Encoding", name.size()) == 0 && name.size() == 17) {
            return Fail(HttpStatus::NotImplemented);
        }
        request_.headers.emplace_back(std::string(name), std::string(value));
    }
    if (contentLength_ > limits_.maxBodyBytes) return Fail(HttpStatus::PayloadTooLarge);
    if (method != "GET" && method != "POST") return Fail(HttpStatus::MethodNotAllowed);

    request_.method = method;
    request_.target = target;
    std::size_t question = target.find('?');
    request_.path = target.substr(0, question);
    request_.query = question == std::string_view::npos ? std::string() : std::string(target.substr(question + 1));
    return state_;
}

}  // namespace tallux::server
