#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tallux {

// The message for a transaction result code (UTF-8). Positive codes are
// success (records processed or found) and have no message: empty.
std::string ResultCodeText(int code);

// The result code at the start of a transaction answer (decimal, optionally
// negative); 0 when the answer does not start with a number.
std::int32_t ParseResultCode(std::string_view answer);

// What follows the first line feed of an answer: the operation's payload.
// Empty when there is no line feed.
std::string_view AnswerPayload(std::string_view answer);

}  // namespace tallux
