#pragma once

#include <string>
#include <string_view>

#include "net/ServerSettings.h"
#include "net/TcpConnection.h"
#include "net/WebRequest.h"

namespace tallux {

// Results of FetchSharedFile besides the ones of SendWebRequest (<= 2, the
// local file left alone) and the written length.
inline constexpr int kSharedFileNoBuffer = -1;  // the receive area could not be had
inline constexpr int kSharedFileNoTitle = -4;
inline constexpr int kSharedFileRefused = -5;     // the server's "Error 50" answer
inline constexpr int kSharedFileNotWritten = -6;  // the local file could not be replaced

// Answers shorter than this that carry the refusal text are refusals; a
// longer file may well contain the text.
inline constexpr int kSharedFileRefusalLimit = 1000;
inline constexpr std::string_view kSharedFileRefusalText = "Error 50";

// The largest answer the receive area holds (its NUL excluded); sent as
// maxlen so the server never answers with more.
inline constexpr int kSharedFileMaxLength = kWebReceiveCapacity - 1;

inline constexpr const char* kSharedFilePath = "/cgi-bin/DIzur.dll?EmsFileShare";

// A local file's last modification, local time; all 0 when there is none.
struct LocalFileTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
LocalFileTime LocalModificationTime(const std::string& path);

// Form encoding: letters, digits and "*-._" kept, a blank as "+", every
// other byte "%XX" (upper-case hex).
std::string FormEncode(std::string_view bytes);

// "w=…&ctitle=…&year=…&…&maxlen=…". A title whose encoding could exceed 399
// bytes (three times its length plus one above 400) is sent empty.
std::string SharedFileRequestBody(std::string_view site, std::string_view title, const LocalFileTime& time,
                                  int maxLength = kSharedFileMaxLength);

// Fetches title from the server's file share into localPath when it differs
// from the local copy. Always the configured server: a redirect host never
// applies here. The file is replaced (through a temporary file and a rename)
// only by a complete 2xx answer longer than 2 bytes that is not a refusal;
// the result is then its length. Otherwise: <= 2 as the web request gave it
// (an error status gives kWebBadStatus), kSharedFileRefused,
// kSharedFileNoTitle, kSharedFileNoBuffer or kSharedFileNotWritten.
// request: its settings (timeouts) are used; it is prepared here.
int FetchSharedFile(const Endpoint& server, std::string_view site, const std::string& localPath, std::string_view title,
                    WebRequest& request);
int FetchSharedFile(const ServerSettings& settings, const std::string& localPath, std::string_view title);

}  // namespace tallux
