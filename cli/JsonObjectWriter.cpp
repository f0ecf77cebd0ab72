#include "cli/JsonObjectWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tallux {

std::string JsonQuote(std::string_view utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
    return out;
}

void JsonObjectWriter::AddName(std::string_view name) {
    if (out_.size() > 1) out_ += ',';
    out_ += JsonQuote(name);
    out_ += ':';
}

void JsonObjectWriter::AddText(std::string_view name, std::string_view utf8) {
    AddName(name);
    out_ += JsonQuote(utf8);
}

void JsonObjectWriter::AddInteger(std::string_view name, long long value) {
    AddName(name);
    out_ += std::to_string(value);
}

void JsonObjectWriter::AddNumber(std::string_view name, double value) {
    AddName(name);
    if (!std::isfinite(value)) {
        out_ += "null";
        return;
    }
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
}

std::string JsonObjectWriter::Finish() {
    out_ += '}';
    return std::move(out_);
}

}  // namespace tallux
