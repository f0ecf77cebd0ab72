#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tallux {

// Conversions between the user interface's text (UTF-16) and stored text
// fields (GBK bytes, code page 936).
//
// A capacity is the size of the destination field including its terminator:
// results hold at most capacity - 1 bytes (encoders) or UTF-16 units
// (decoders), so they always fit together with the NUL.

// GBK with every unit GBK cannot hold written as "&#<decimal unit>;", for the
// fields that keep foreign text. Surrogate halves are written one reference
// each. Stops at a NUL unit, and before the first unit that does not fit;
// a reference needs 8 bytes of room whatever its length. "&" itself and
// leading control units are written as they are.
std::string ToGbkWithNumericRefs(std::u16string_view text, std::size_t capacity);

// GBK after FoldLatinAccents, with "?" for what GBK cannot hold; U+20AC
// becomes the single byte 0x80. Stops at a NUL unit. No length limit: the
// callers check the byte length against the field.
std::string ToGbkFolded(std::u16string_view text);

// Reads a GBK field that may contain numeric ("&#65;") and HTML named
// ("&amp;") character references. Input ends at its first NUL. A numeric
// reference is decimal, takes an optional ";" and counts only for values
// 10..65535; others stay as written. References to surrogates join into a
// pair when a high one directly precedes a low one; a half left alone becomes
// U+FFFD. The result is cut to capacity - 1 units at a character boundary.
std::u16string DecodeNumericRefs(std::string_view gbk, std::size_t capacity);

// Reads a stored text field in either form: GBK with references as above,
// or, when its first byte is 6 or 7, Base64 of UTF-8 text (at most 1023
// decoded bytes are used, cut at a UTF-8 character boundary).
std::u16string DecodeStoredText(std::string_view stored, std::size_t capacity);

}  // namespace tallux
