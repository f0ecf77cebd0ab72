#include "app/InputHints.h"

#include <fstream>

#include "app/ProgramSettings.h"
#include "store/DurableFile.h"

namespace tallux {

namespace {
constexpr std::size_t kMaxHintCharacters = 63999;
}

std::vector<std::u16string> ParseHints(std::u16string_view text) {
    std::vector<std::u16string> hints;
    std::size_t position = 0;
    for (;;) {
        std::size_t lineFeed = text.find(u'\n', position);
        std::u16string_view entry = text.substr(
            position, lineFeed == std::u16string_view::npos ? std::u16string_view::npos : lineFeed - position);
        // Measured with its carriage return, so a one-letter hint on a
        // "\r\n" line still counts; an empty line ends the list.
        if (entry.size() < 2) break;
        if (entry.back() == u'\r') entry.remove_suffix(1);
        hints.emplace_back(entry);
        if (lineFeed == std::u16string_view::npos) break;
        position = lineFeed + 1;
        while (position < text.size() && (text[position] == u'\r' || text[position] == u' ')) ++position;
    }
    return hints;
}

std::vector<std::u16string> LoadHints(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string bytes(kMaxHintCharacters * 2, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (c == u'\0') break;  // the text ends at a terminator, as a string would
        text.push_back(c);
    }
    return ParseHints(text);
}

bool SaveHintsText(const std::string& path, std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return ReplaceFileAtomically(path, bytes);
}

}  // namespace tallux
