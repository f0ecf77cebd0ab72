#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tallux {

// Decodes standard Base64 (RFC 4648 alphabet, "=" padding) as server answers
// carry it: carriage returns and line feeds are dropped first, a leading
// "+ " is skipped, the text is read in groups of four and a trailing
// incomplete group is ignored. Decoding never fails: on a character outside
// the alphabet (or misplaced "=") it returns what was decoded up to there.
// At most maxBytes bytes are produced.
std::string DecodeBase64(std::string_view text, std::size_t maxBytes);

}  // namespace tallux
