#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallux::server {

// One argument of an uploaded procedure call, bytes as sent (GBK).
struct CallArgument {
    enum class Kind { Number, Text, Placeholder };
    Kind kind = Kind::Number;
    // A number as written ("-12", "2.500"), or a text with its doubled
    // quotes made single again; empty for a "?" placeholder.
    std::string value;
};

struct ProcedureCall {
    std::string procedure;
    std::vector<CallArgument> arguments;
};

// Reads the DATA of an upload (without its closing 0x07):
// "{?=CALL varno.dbo.<procedure>(<arguments>)}". Arguments are numbers,
// single-quoted texts with quotes doubled inside, or "?". Anything else —
// an unclosed quote, a bare word, text after the closing brace — gives
// nullopt.
std::optional<ProcedureCall> ReadProcedureCall(std::string_view data);

// Numeric arguments; nullopt unless the argument is a number of that form
// (an integer takes no fraction) and fits.
std::optional<std::int64_t> IntegerArgument(const CallArgument& argument);
std::optional<double> RealArgument(const CallArgument& argument);

}  // namespace tallux::server
