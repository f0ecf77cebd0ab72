#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tallux {

// Quoting for string arguments inside a transaction's DATA (a call or SQL
// text whose string arguments are enclosed in single quotes).

// Appends text to out with every single quote doubled. A first byte 0x07
// (the mark of a Base64 stored text) is written as 0x06, because 0x07 ends
// the payload; only the first byte is treated so. The text ends at its first
// NUL. Returns out's new length, so that calls can be chained.
std::size_t SqlQuoteCopy(std::string_view text, std::string& out);

// A value for SQL nested inside a string argument: the nested statement's
// own quotes are already doubled in its format, so a quote in the value
// would close the outer argument; each becomes a backquote instead.
std::string NestedSqlValue(std::string_view text);

}  // namespace tallux
