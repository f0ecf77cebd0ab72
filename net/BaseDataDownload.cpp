#include "net/BaseDataDownload.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "net/HttpAnswerReader.h"

namespace tallux {
namespace {

constexpr std::size_t kHeaderLimit = 8192;
constexpr std::size_t kRedirectTail = 60;
constexpr std::size_t kLargestBaseData = 64u << 20;  // far above any real table; stops an endless answer
constexpr char kEndMark = 0x07;

enum Attempt { kWritten = 0, kRedirected = 1 };

int TryOnce(ServerAddress& server, std::string_view site, const std::string& cachePath,
            const TransportTimeouts& timeouts, bool mayRedirect) {
    const Endpoint endpoint = server.Current();
    TcpConnection connection;
    if (connection.Open(endpoint, timeouts) != ConnectStep::None) return -100;
    const std::string request = "GET /cgi-bin/DIzur.dll?ECGetSysData&w=" + std::string(site) +
                                "&iver=1 HTTP/1.0\r\nAccept: */*\r\nHost: " + endpoint.host + "\r\n\r\n";
    if (!connection.SendAll(request.data(), request.size())) return -100;

    // However slowly it comes, the whole answer is due within the receive timeout.
    connection.StartDeadline(timeouts.ioMs);
    HttpAnswerReader reader(connection);
    const std::string statusLine = reader.ReadLine(kHeaderLimit);
    if (statusLine.empty() || statusLine.back() != '\n') {
        if (statusLine.size() >= kHeaderLimit || !CouldStartAnswer(statusLine)) return -103;
        return -100;
    }
    const int status = StatusCode(statusLine);
    if (status < 0) return -103;
    if (status < 200 || status > 399) return -101;
    bool complete = false;
    const std::string header = reader.ReadHeader(kHeaderLimit, complete, true);
    if (!complete) return header.size() >= kHeaderLimit ? -103 : -100;
    // An HTTP/1.0 client reads no transfer coding; the length, when given,
    // is where the answer ends.
    if (HasTransferCoding(header)) return -103;
    std::size_t left = kLargestBaseData + 1;
    bool declared = false;
    if (auto value = HeaderFieldValue(header, "Content-Length")) {
        std::optional<long long> length = ParseContentLength(*value);
        if (!length) return -103;
        left = static_cast<std::size_t>(std::min<long long>(*length, static_cast<long long>(left)));
        declared = true;
    }
    auto read = [&](std::size_t most) {
        std::string bytes = reader.ReadBody(std::min(most, left));
        left -= bytes.size();
        return bytes;
    };
    // A body that stops early: the connection broke off (-100), or the peer
    // closed before the data, its end mark or its declared length (-101).
    auto endedEarly = [&]() { return reader.BrokeOff() ? -100 : -101; };

    std::string first = read(1);
    if (first.empty()) return endedEarly();

    if (first[0] != 'C') {
        std::string answer = first + read(kRedirectTail);
        if (reader.BrokeOff() || (declared && left > 0 && answer.size() <= kRedirectTail)) return endedEarly();
        if (!mayRedirect || !server.ApplyRedirect(answer)) return -103;
        return kRedirected;
    }

    // Written beside the cache and moved over it only once complete, so a
    // broken download never costs the operator the previous base data.
    const std::string partial = cachePath + ".part";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) return -102;
    std::size_t total = 0;
    bool ended = false;
    while (!ended && total < kLargestBaseData) {
        std::string chunk = read(64 * 1024);
        if (chunk.empty()) break;
        std::size_t end = chunk.find(kEndMark);
        if (end != std::string::npos) {
            chunk.resize(end + 1);
            ended = true;
        }
        for (char& c : chunk) c = static_cast<char>(static_cast<unsigned char>(c) ^ kBaseDataCacheKey);
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        total += chunk.size();
    }
    out.close();
    std::error_code error;
    if (!ended) {
        std::filesystem::remove(partial, error);
        return endedEarly();
    }
    if (!out || (std::filesystem::rename(partial, cachePath, error), error)) {
        std::filesystem::remove(partial, error);
        return -102;
    }
    return kWritten;
}

}  // namespace

int DownloadBaseData(ServerAddress& server, std::string_view site, const std::string& cachePath,
                     const TransportTimeouts& timeouts) {
    int result = TryOnce(server, site, cachePath, timeouts, true);
    if (result == kRedirected) result = TryOnce(server, site, cachePath, timeouts, false);
    return result;
}

}  // namespace tallux

namespace tallux {

std::string BaseDataDownloadText(int result) {
    switch (result) {
    case 0: return "系统基本数据更新完成。";
    case -100: return "系统基本数据更新失败：服务器连接失败。";
    case -101: return "系统基本数据更新失败：服务器没有返回完整的基本数据。";
    case -102: return "系统基本数据更新失败：基本数据文件无法写入。";
    case -103: return "系统基本数据更新失败：服务器返回的数据不正确。";
    default: return "系统基本数据更新失败。";
    }
}

}  // namespace tallux
