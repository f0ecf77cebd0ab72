#include "net/BaseDataDownload.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

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

    HttpAnswerReader reader(connection);
    int status = StatusCode(reader.ReadLine(kHeaderLimit));
    if (status < 200 || status > 399) return -101;
    bool complete = false;
    reader.ReadHeader(kHeaderLimit, complete, true);
    std::string first = reader.ReadBody(1);
    if (first.empty()) return -101;

    if (first[0] != 'C') {
        std::string answer = first + reader.ReadBody(kRedirectTail);
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
        std::string chunk = reader.ReadBody(64 * 1024);
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
        return -101;
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
