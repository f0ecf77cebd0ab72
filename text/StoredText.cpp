#include "text/StoredText.h"

#include <algorithm>
#include <charconv>

#include "text/Base64.h"
#include "text/GbkCodec.h"
#include "text/GbkDoubleByte.h"
#include "text/HtmlEntities.h"
#include "text/LatinFolding.h"

namespace tallux {
namespace {

// Room a numeric reference needs, whatever its actual length: the longest,
// "&#65535;", has 8 bytes.
constexpr std::size_t kReferenceRoom = 8;
// The Base64 form is decoded into a 1024-byte buffer with its terminator.
constexpr std::size_t kBase64TextBytes = 1023;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

template <typename Text>
Text UpToNul(Text text) {
    return text.substr(0, text.find(typename Text::value_type{0}));
}

// "&#" and a digit start a reference; replaced text is not scanned again.
std::u16string ReplaceNumericRefs(std::u16string_view in) {
    std::u16string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        if (in[i] == u'&' && i + 2 < in.size() && in[i + 1] == u'#' && IsDigit(in[i + 2])) {
            std::size_t end = i + 2;
            std::uint32_t value = 0;
            for (; end < in.size() && IsDigit(in[end]); ++end)
                if (value <= 0xFFFF) value = value * 10 + (in[end] - u'0');  // stops growing once out of range
            if (value >= 10 && value <= 0xFFFF) {
                out += static_cast<char16_t>(value);
                i = end;
                if (i < in.size() && in[i] == u';') ++i;
                continue;
            }
        }
        out += in[i++];
    }
    return out;
}

// A surrogate half without its partner (a reference cut off by a full field,
// or one written on its own) is not a character; show it as U+FFFD.
void ReplaceLoneSurrogates(std::u16string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            ++i;
        else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
            text[i] = u'\uFFFD';
    }
}

// Expects well-formed UTF-16; never leaves half a pair at the end.
void CutToCapacity(std::u16string& text, std::size_t capacity) {
    std::size_t room = capacity == 0 ? 0 : capacity - 1;
    if (text.size() <= room) return;
    if (room > 0 && IsHighSurrogate(text[room - 1])) --room;
    text.resize(room);
}

// Drops a multi-byte UTF-8 sequence that the byte limit cut short.
void DropCutUtf8Tail(std::string& utf8) {
    std::size_t start = utf8.size();
    for (std::size_t back = 0; back < 4 && start > 0; ++back) {
        --start;
        unsigned char b = static_cast<unsigned char>(utf8[start]);
        if ((b & 0xC0) == 0x80) continue;  // continuation byte: look further back
        std::size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (utf8.size() - start < need) utf8.resize(start);
        return;
    }
}

}  // namespace

std::string ToGbkWithNumericRefs(std::u16string_view text, std::size_t capacity) {
    std::string out;
    std::size_t room = capacity == 0 ? 0 : capacity - 1;
    for (char16_t unit : text) {
        if (room == 0 || unit == 0) break;
        if (unit < 0x80) {
            out += static_cast<char>(unit);
            room -= 1;
            continue;
        }
        std::uint16_t code = unit >= 0xA4 && unit <= 0xFFE5 ? GbkDoubleByteCode(unit) : 0;
        if (code != 0) {
            if (room < 2) break;
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
            room -= 2;
            continue;
        }
        if (room < kReferenceRoom) break;
        char reference[kReferenceRoom + 1] = "&#";
        char* end = std::to_chars(reference + 2, reference + sizeof reference, static_cast<unsigned>(unit)).ptr;
        *end++ = ';';
        out.append(reference, end);
        room -= static_cast<std::size_t>(end - reference);
    }
    return out;
}

std::string ToGbkFolded(std::u16string_view text) {
    std::u16string folded(UpToNul(text));
    FoldLatinAccents(folded);
    return Utf8ToGbk(Utf16ToUtf8(folded));
}

std::u16string DecodeNumericRefs(std::string_view gbk, std::size_t capacity) {
    std::u16string text = ReplaceNumericRefs(GbkToUtf16(UpToNul(gbk)));
    ReplaceNamedCharRefs(text);
    ReplaceLoneSurrogates(text);
    CutToCapacity(text, capacity);
    return text;
}

std::u16string DecodeStoredText(std::string_view stored, std::size_t capacity) {
    stored = UpToNul(stored);
    if (stored.empty()) return {};
    if (stored[0] != 6 && stored[0] != 7) return DecodeNumericRefs(stored, capacity);

    std::string utf8 = DecodeBase64(stored.substr(1), kBase64TextBytes);
    utf8.resize(std::min(utf8.size(), utf8.find('\0')));  // read as a C string
    if (utf8.size() == kBase64TextBytes) DropCutUtf8Tail(utf8);
    std::u16string text = Utf8ToUtf16(utf8);
    ReplaceLoneSurrogates(text);
    CutToCapacity(text, capacity);
    return text;
}

}  // namespace tallux
