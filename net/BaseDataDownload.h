#pragma once

#include <string>
#include <string_view>

#include "net/LoginSession.h"
#include "net/TcpConnection.h"

namespace tallux {

// Every byte of the base data cache (DATA_SYS/0.dat) is stored XOR-ed with
// this key; the reader undoes it. The key is the end mark itself: no byte of
// the data is 0x07, so only the stored end mark becomes a zero, and a
// reader that stops at the first zero stops exactly there.
inline constexpr unsigned char kBaseDataCacheKey = 0x07;

// Downloads the base data (ECGetSysData) into cachePath: the answer's first
// byte "C", then the data up to and including the byte 0x07, each byte
// stored XOR-ed with the key. A redirect answer moves this and every later
// request to the address it names, and the download is tried there once.
// Returns 0 when the cache was written; -100 connection failed; -101 a
// status outside 200..399, no data, or data without its end mark (the
// previous cache stays); -102 the cache file cannot be written; -103 an
// answer that is neither data nor a valid redirect.
int DownloadBaseData(ServerAddress& server, std::string_view site, const std::string& cachePath,
                     const TransportTimeouts& timeouts = {60000, 300000});

// What the operator is told after a download: "系统基本数据更新完成。" only
// when it succeeded, otherwise that it failed and why.
std::string BaseDataDownloadText(int result);

}  // namespace tallux
