#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tallux::test {

// Compresses text with the given zlib windowBits: 31 gzip, 15 zlib, -15 raw.
inline std::string Compress(std::string_view text, int windowBits) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(text.size())) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// A gzip member with a file name in its header (FNAME), built by hand.
inline std::string GzipWithFileName(std::string_view text, std::string_view fileName) {
    std::string out("\x1f\x8b\x08\x08\0\0\0\0\0\x03", 10);
    out.append(fileName);
    out += '\0';
    out += Compress(text, -15);
    auto little = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    little(static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()))));
    little(static_cast<std::uint32_t>(text.size()));
    return out;
}

// 12,000 bytes of varied text (line numbers keep it from being trivial).
inline std::string SampleText(std::size_t size = 12'000) {
    std::string text;
    for (int line = 0; text.size() < size; ++line) text += "line " + std::to_string(line) + " 运单号 ABCDEFG\n";
    text.resize(size);
    return text;
}

}  // namespace tallux::test
