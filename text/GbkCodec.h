#pragma once

#include <string>
#include <string_view>

namespace tallux {

// Conversion between UTF-8 (what this program handles in memory) and GBK,
// code page 936, the encoding of every stored and transmitted text.
// The single byte 0x80 is the euro sign, as in code page 936.

// Plain decoding: bytes GBK cannot map become U+FFFD. Stops at nothing:
// callers pass the text part of a field (up to its terminator).
std::string GbkToUtf8(std::string_view gbk);

// Plain encoding: characters GBK cannot hold become "?". Invalid UTF-8
// input bytes become "?" as well.
std::string Utf8ToGbk(std::string_view utf8);

// GBK decoded to UTF-16; undecodable bytes, and a lead byte at the end,
// become U+FFFD.
std::u16string GbkToUtf16(std::string_view gbk);

// UTF-16 (the user interface's text) from and to UTF-8. Broken sequences
// become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace tallux
