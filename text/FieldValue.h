#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace tallux {

// One field of the delimited-text import: how a cell is recognised, checked
// and converted. All texts are GBK bytes.

enum class FieldType : std::int32_t { Text = 0, Integer = 1, Decimal = 2, Date = 3 };

// Subtypes of FieldType::Text. A decimal field's subtype is its number of
// decimals; a date field's is 1.
inline constexpr std::int32_t kTextAnyCharacters = 0;
inline constexpr std::int32_t kTextAscii = 1;
inline constexpr std::int32_t kTextAsciiUpperCase = 5;

inline constexpr std::size_t kFieldHeaderMaxBytes = 63;
inline constexpr std::size_t kFieldValueMaxBytes = 1023;

// Result codes of ConvertFieldValue.
inline constexpr int kFieldValid = 1;      // fully valid; copied to the target
inline constexpr int kFieldBounded = 0;    // number replaced by its bound
inline constexpr int kFieldTooShort = 2;   // text shorter than its minimum, kept as it is
inline constexpr int kFieldCut = 3;        // text longer than its maximum, cut
inline constexpr int kFieldEmpty = 4;      // empty text
inline constexpr int kFieldRejected = -1;  // non-ASCII byte in an ASCII text, or an unusable number

struct FieldDefinition {
    std::string header;        // column heading, at most kFieldHeaderMaxBytes
    std::string defaultValue;  // value before a row is read
    FieldType type = FieldType::Text;
    std::int32_t minimum = 0;  // text: bytes; numbers: lowest value (below 0: none)
    std::int32_t maximum = 0;  // text: bytes; numbers: highest value (0: none)
    std::int32_t subtype = kTextAnyCharacters;
    bool required = false;
    std::int32_t column = -1;  // column in the header line, -1 when absent
    // Fixed-width record field that receives a fully valid value, or null.
    char* target = nullptr;
    std::size_t targetSize = 0;
    std::string value;  // converted value of the current row, at most kFieldValueMaxBytes
};

// Converts one cell into definition.value and returns one of the kField*
// codes; on kFieldValid the value is also copied into the target (cut at a
// character boundary, zero-terminated, rest of the field zeroed). A date
// field that cannot be read takes the current local date and time.
int ConvertFieldValue(FieldDefinition& definition, std::string_view cell);

// The same with "now" given, for date fields (fields of std::tm as from
// localtime).
int ConvertFieldValue(FieldDefinition& definition, std::string_view cell, const std::tm& now);

}  // namespace tallux
