#include "net/SqlQuote.h"

namespace tallux {

// A single quote (0x27) is never a GBK trail byte, so byte-wise work is safe.

std::size_t SqlQuoteCopy(std::string_view text, std::string& out) {
    text = text.substr(0, text.find('\0'));
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (i == 0 && c == '\x07') c = '\x06';
        out += c;
        if (c == '\'') out += '\'';
    }
    return out.size();
}

std::string NestedSqlValue(std::string_view text) {
    std::string value(text.substr(0, text.find('\0')));
    for (char& c : value)
        if (c == '\'') c = '`';
    return value;
}

}  // namespace tallux
