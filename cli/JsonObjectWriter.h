#pragma once

#include <string>
#include <string_view>

namespace tallux {

// Builds one flat JSON object, field by field.
class JsonObjectWriter {
public:
    void AddText(std::string_view name, std::string_view utf8);
    void AddInteger(std::string_view name, long long value);
    // Shortest text that reads back to the same double; null for NaN and
    // infinities, which JSON cannot hold.
    void AddNumber(std::string_view name, double value);
    std::string Finish();

private:
    void AddName(std::string_view name);
    std::string out_ = "{";
};

// value as a JSON string literal, quotes included.
std::string JsonQuote(std::string_view utf8);

}  // namespace tallux
