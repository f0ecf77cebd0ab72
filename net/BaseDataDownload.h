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
// The whole answer must arrive within the receive timeout (ioMs) counted
// once from the moment the request was sent; a Content-Length, when given,
// is where the answer ends. Returns 0 when the cache was written, else (the
// previous cache stays):
//   -100  connection refused, not made in time or reset, the request not
//         sent, the connection ended before the header did, or no whole
//         answer before a receive timeout or the deadline
//   -101  a status outside 200..399, or the peer closed before the data and
//         its end mark (no data, data without its end mark, fewer bytes
//         than the declared length)
//   -102  the cache file cannot be written
//   -103  an answer that is not readable HTTP (garbage, a header beyond 8 KB,
//         a length that is no length, a transfer coding), or neither data
//         nor a valid redirect (also a second redirect)
int DownloadBaseData(ServerAddress& server, std::string_view site, const std::string& cachePath,
                     const TransportTimeouts& timeouts = {60000, 300000});

// What the operator is told after a download: "系统基本数据更新完成。" only
// when it succeeded, otherwise that it failed and why.
std::string BaseDataDownloadText(int result);

}  // namespace tallux
