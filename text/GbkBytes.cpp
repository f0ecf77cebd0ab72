#include "text/GbkBytes.h"

#include <algorithm>

namespace tallux {
namespace {

// Walks a GBK string byte by byte, folding only single-byte letters.
class FoldingCursor {
public:
    explicit FoldingCursor(std::string_view text) : text_(text) {}

    bool AtEnd(std::size_t limit) const { return pos_ >= text_.size() || pos_ >= limit; }

    unsigned char Next() {
        unsigned char b = static_cast<unsigned char>(text_[pos_]);
        unsigned char folded = b;
        if (trailPending_) {
            trailPending_ = false;
        } else if (IsGbkLeadByte(b) && pos_ + 1 < text_.size() && text_[pos_ + 1] != '\0') {
            trailPending_ = true;
        } else if (b >= 'A' && b <= 'Z') {
            folded = static_cast<unsigned char>(b + ('a' - 'A'));
        }
        ++pos_;
        return folded;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    bool trailPending_ = false;
};

}  // namespace

std::size_t GbkCharLength(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    if (IsGbkLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() && text[pos + 1] != '\0')
        return 2;
    return 1;
}

std::string_view CutAtCharBoundary(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t next = pos + GbkCharLength(text, pos);
        if (next > maxBytes) break;
        pos = next;
    }
    return text.substr(0, pos);
}

int CompareNoCase(std::string_view a, std::string_view b, std::size_t limit) {
    FoldingCursor ca(a), cb(b);
    while (true) {
        bool endA = ca.AtEnd(limit), endB = cb.AtEnd(limit);
        if (endA || endB) return endA == endB ? 0 : (endA ? -1 : 1);
        unsigned char x = ca.Next(), y = cb.Next();
        if (x != y) return x < y ? -1 : 1;
    }
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    // Compare the whole prefix; a prefix that would end inside a double-byte
    // character of text cannot match a text made of whole characters.
    if (CompareNoCase(text, prefix, prefix.size()) != 0) return false;
    return CutAtCharBoundary(text, prefix.size()).size() == prefix.size();
}

std::size_t FindAtCharBoundary(std::string_view haystack, std::string_view needle, bool caseless) {
    if (needle.empty()) return 0;
    for (std::size_t pos = 0; pos + needle.size() <= haystack.size(); pos += GbkCharLength(haystack, pos)) {
        std::string_view candidate = haystack.substr(pos);
        bool match = caseless ? StartsWithNoCase(candidate, needle)
                              : candidate.substr(0, needle.size()) == needle &&
                                    CutAtCharBoundary(candidate, needle.size()).size() == needle.size();
        if (match) return pos;
    }
    return std::string_view::npos;
}

}  // namespace tallux
