// The body codings of web answers on their own: the chunked decoder read
// from a connection and the inflater working in place. Decoded output stays
// within its area; what the decoder gives back, encoded again, decodes to
// the same; the input itself, chunked or compressed, comes back unchanged.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "fuzz/ScriptedConnections.h"
#include "net/ChunkedDecoder.h"
#include "net/ContentInflater.h"
#include "net/HttpAnswerReader.h"
#include "net/TcpConnection.h"
#include "tests/net/CompressedText.h"

namespace {

using namespace tallux;
using fuzz::Check;

struct Decoded {
    ChunkedOutcome outcome;
    std::string data;
};

Decoded DecodeChunked(std::string_view body, std::size_t areaBytes) {
    fuzz::ScriptedConnections script({std::string(body)});
    TcpConnection connection;
    Check(connection.Open({"127.0.0.1", 80}, {1000, 1000}) == ConnectStep::None, "a scripted connection failed");
    HttpAnswerReader reader(connection);
    std::vector<char> area(areaBytes);
    Decoded decoded;
    decoded.outcome = ReadChunkedBody(reader, area);
    Check(decoded.outcome.length <= area.size(), "chunked data beyond the area");
    decoded.data.assign(area.data(), decoded.outcome.length);
    return decoded;
}

std::string Hex(std::size_t value, bool upper) {
    // Not a choice between two constexpr arrays: g++ 12 with UBSan reads the wrong one.
    const char* const hex = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    do digits.insert(digits.begin(), hex[value % 16]);
    while ((value /= 16) != 0);
    return digits;
}

// data as chunks of varying sizes, with extensions, either line end and a
// trailer, as servers write them.
std::string Chunked(std::string_view data) {
    std::string out;
    for (std::size_t k = 0; !data.empty(); ++k) {
        const std::size_t take = std::min(data.size(), (k * 37) % 61 + 1);
        const char* lineEnd = k % 3 == 2 ? "\n" : "\r\n";
        out += Hex(take, k % 2 == 1) + (k % 4 == 3 ? "; name=\"a;b\"" : "") + lineEnd;
        out.append(data.substr(0, take));
        out += lineEnd;
        data.remove_prefix(take);
    }
    return out + "0\r\nX-Trailer: 1\r\n\r\n";
}

void CheckChunked(std::string_view input) {
    for (std::size_t areaBytes : {std::size_t{0}, std::size_t{300}, std::size_t{65536}}) {
        const Decoded decoded = DecodeChunked(input, areaBytes);
        if (decoded.outcome.end != ChunkedEnd::Complete) continue;
        // Parse, then print: the data written again as chunks reads back.
        const Decoded again = DecodeChunked(Chunked(decoded.data), areaBytes);
        Check(again.outcome.end == ChunkedEnd::Complete && again.data == decoded.data,
              "decoded chunked data does not survive encoding again");
    }
    // Print, then parse: the input as chunked data reads back whole.
    const Decoded whole = DecodeChunked(Chunked(input), input.size());
    Check(whole.outcome.end == ChunkedEnd::Complete && whole.data == input, "chunked input does not read back");
    if (!input.empty()) {
        const Decoded cut = DecodeChunked(Chunked(input), input.size() - 1);
        Check(cut.outcome.end == ChunkedEnd::Oversize, "chunked data larger than its area not refused");
    }
}

void CheckChunkSize(std::string_view input) {
    std::optional<std::size_t> size = ParseChunkSize(input.substr(0, input.find('\n')), 1'000'000);
    Check(!size || *size <= 1'000'000, "chunk size beyond its limit");
    std::uint64_t value = 0;
    std::memcpy(&value, input.data(), std::min(input.size(), sizeof value));
    const std::string line = Hex(value, value % 2 == 0) + (value % 3 == 0 ? ";x=1\r\n" : "\r\n");
    Check(ParseChunkSize(line, SIZE_MAX) == value, "a chunk size does not read back");
    if (value > 0) Check(!ParseChunkSize(line, value - 1), "a chunk size beyond the limit taken");
}

// The inflater on compressed bytes, in an area of areaBytes.
int Inflate(std::string_view compressed, std::size_t areaBytes, int coding, std::string& out) {
    // Exactly areaBytes, so a write past the area is one past the allocation.
    std::vector<char> area(areaBytes);
    const std::size_t length = std::min(compressed.size(), areaBytes);
    if (length > 0) std::memcpy(area.data(), compressed.data(), length);
    const int result = InflateBody(area, length, coding);
    Check(result > 0 || result == kInflateFailed || result == kInflateNoMemory, "an inflate result out of range");
    if (result > 0) {
        Check(static_cast<std::size_t>(result) < areaBytes, "inflated output leaves no room for the NUL");
        Check(area[static_cast<std::size_t>(result)] == '\0', "inflated output not NUL-terminated");
        out.assign(area.data(), static_cast<std::size_t>(result));
    }
    return result;
}

void CheckInflate(std::string_view input) {
    std::string out;
    for (int coding : {kCodingGzip, kCodingDeflate})
        for (std::size_t areaBytes : {input.size(), input.size() + 1, 4 * input.size() + 64})
            Inflate(input, areaBytes, coding, out);

    const struct { int windowBits, coding; } forms[] = {{31, kCodingGzip}, {15, kCodingDeflate}, {-15, kCodingDeflate}};
    for (const auto& form : forms) {
        // The compressed body lies in the area, so the area holds it too.
        const std::string compressed = test::Compress(input, form.windowBits);
        const int result = Inflate(compressed, std::max(compressed.size(), input.size() + 1), form.coding, out);
        if (input.empty()) {
            Check(result == kInflateFailed, "empty inflated output taken");
            continue;
        }
        Check(result == static_cast<int>(input.size()) && out == input, "compressed input does not inflate back");
        if (compressed.size() <= input.size())
            Check(Inflate(compressed, input.size(), form.coding, out) == kInflateFailed,
                  "inflated output without room for its NUL taken");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    CheckChunked(input);
    CheckChunkSize(input);
    CheckInflate(input);
    return 0;
}
