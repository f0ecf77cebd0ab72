#include "net/SharedFileFetch.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <new>
#include <vector>

namespace tallux {

LocalFileTime LocalModificationTime(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    std::tm local{};
    if (!localtime_r(&info.st_mtime, &local)) return {};
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string FormEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char c : bytes) {
        unsigned char b = static_cast<unsigned char>(c);
        bool alnum = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        if (alnum || b == '*' || b == '-' || b == '.' || b == '_') {
            out += c;
        } else if (b == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

std::string SharedFileRequestBody(std::string_view site, std::string_view title, const LocalFileTime& time,
                                  int maxLength) {
    // The bound is on the worst case, not on the actual encoding.
    std::string encodedTitle = 3 * title.size() + 1 > 400 ? std::string() : FormEncode(title);
    std::string body = "w=";
    body += site;
    body += "&ctitle=" + encodedTitle;
    body += "&year=" + std::to_string(time.year) + "&month=" + std::to_string(time.month) +
            "&day=" + std::to_string(time.day) + "&hour=" + std::to_string(time.hour) +
            "&minute=" + std::to_string(time.minute) + "&second=" + std::to_string(time.second) +
            "&maxlen=" + std::to_string(maxLength);
    return body;
}

namespace {

// Writes beside the target and renames, so the local copy is either the old
// one or the complete new one.
bool ReplaceFile(const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

int FetchSharedFile(const Endpoint& server, std::string_view site, const std::string& localPath, std::string_view title,
                    WebRequest& request) {
    if (title.empty()) return kSharedFileNoTitle;
    std::vector<char> area;
    try {
        area.resize(
            static_cast<std::size_t>(request.receiveCapacity > 0 ? request.receiveCapacity : kWebReceiveCapacity));
    } catch (const std::bad_alloc&) {
        return kSharedFileNoBuffer;
    }

    const std::string body =
        SharedFileRequestBody(site, title, LocalModificationTime(localPath), static_cast<int>(area.size()) - 1);
    PrepareWebRequest(request, area, server.port, true);
    request.host = server.host;
    request.path = kSharedFilePath;
    request.body = body;
    int result = SendWebRequest(request);
    if (result <= 2) return result;
    // An error page is no file.
    if (!WebAnswerSucceeded(request)) return kWebBadStatus;
    std::string_view answer = WebAnswerBody(request);
    if (result < kSharedFileRefusalLimit && answer.find(kSharedFileRefusalText) != std::string_view::npos)
        return kSharedFileRefused;
    if (!ReplaceFile(localPath, answer)) return kSharedFileNotWritten;
    return result;
}

int FetchSharedFile(const ServerSettings& settings, const std::string& localPath, std::string_view title) {
    WebRequest request;
    return FetchSharedFile(Endpoint{settings.host, settings.port}, settings.site, localPath, title, request);
}

}  // namespace tallux
