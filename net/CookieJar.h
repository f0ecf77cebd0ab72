#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tallux {

// The cookie jar of the web client: name=value entries separated by ";".

// Merges the Set-Cookie lines of an answer header into jar. The new
// cookies come first, then the old entries whose names they do not set,
// as long as they fit: the jar always stays below capacity bytes (room for
// the terminating NUL of the area it models). New cookies that alone would
// not fit leave the jar as it was. Either way one trailing ";" is removed.
void MergeSetCookies(std::string& jar, std::string_view header, std::size_t capacity);

// The jar text for a "Cookie:" request line: trailing CR, LF, blanks and
// ";" removed. Empty when nothing worth sending (2 bytes or fewer) remains.
std::string CookieLineText(std::string_view jar);

}  // namespace tallux
