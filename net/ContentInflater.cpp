#include "net/ContentInflater.h"

#include <zlib.h>

#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace tallux {
namespace {

constexpr int kRawWindow = -MAX_WBITS;
constexpr int kZlibWindow = MAX_WBITS;
constexpr int kGzipWindow = MAX_WBITS + 16;

// One inflate call with finish; > 0 output length, else kInflateFailed.
int InflateOnce(const unsigned char* input, std::size_t length, std::span<char> area, int windowBits) {
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) return kInflateFailed;
    // One byte stays free for the NUL; more output than fits never ends
    // the stream, so it fails.
    std::size_t room = area.size() - 1;
    stream.next_in = const_cast<unsigned char*>(input);
    stream.avail_in = static_cast<uInt>(length);
    stream.next_out = reinterpret_cast<unsigned char*>(area.data());
    stream.avail_out = static_cast<uInt>(room);
    int status = inflate(&stream, Z_FINISH);
    std::size_t produced = room - stream.avail_out;
    inflateEnd(&stream);
    if (status != Z_STREAM_END || produced == 0) return kInflateFailed;
    return static_cast<int>(produced);
}

}  // namespace

int InflateBody(std::span<char> area, std::size_t length, int coding) {
    if (length == 0 || length > area.size() || area.size() < 2 || area.size() - 1 > UINT_MAX ||
        (coding != kCodingGzip && coding != kCodingDeflate))
        return kInflateFailed;
    std::unique_ptr<unsigned char[]> copy(new (std::nothrow) unsigned char[length]);
    if (!copy) return kInflateNoMemory;
    std::memcpy(copy.get(), area.data(), length);

    int result;
    if (coding == kCodingGzip) {
        result = InflateOnce(copy.get(), length, area, kGzipWindow);
    } else {
        // "deflate" is meant to be zlib-wrapped, but servers send raw data
        // too; a zlib header is recognisable, so try it first.
        result = InflateOnce(copy.get(), length, area, kZlibWindow);
        if (result < 0) result = InflateOnce(copy.get(), length, area, kRawWindow);
    }
    if (result > 0) area[static_cast<std::size_t>(result)] = '\0';
    return result;
}

}  // namespace tallux
