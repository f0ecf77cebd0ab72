// Stored-text conversions on arbitrary bytes: the decoders must stay within
// their capacity and return well-formed UTF-16, the encoder must stay within
// its capacity, and text the encoder can represent must read back unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "text/HtmlEntities.h"
#include "text/StoredText.h"

namespace {

using namespace tallux;
using fuzz::Check;

constexpr std::size_t kFieldCapacity = 4000;
constexpr std::size_t kCapacities[] = {0, 1, 2, 3, 7, 8, 9, 10, 64, 1024, kFieldCapacity};

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsWellFormed(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1]))
            ++i;
        else if (IsHigh(text[i]) || IsLow(text[i]))
            return false;
    }
    return true;
}

std::size_t Room(std::size_t capacity) { return capacity == 0 ? 0 : capacity - 1; }

template <typename Decode>
void CheckDecoder(Decode decode, std::string_view bytes) {
    const std::u16string full = decode(bytes, SIZE_MAX);
    Check(IsWellFormed(full), "decoded text is not well-formed UTF-16");
    Check(full.find(u'\0') == std::u16string::npos, "decoded text holds a NUL");
    for (std::size_t capacity : kCapacities) {
        std::u16string cut = decode(bytes, capacity);
        Check(cut.size() <= Room(capacity), "decoded text exceeds its capacity");
        Check(full.starts_with(cut), "a smaller capacity changed the decoded text");
        // Cut only where a whole character would not fit.
        Check(full.size() <= Room(capacity) ? cut == full : cut.size() + 2 > Room(capacity),
              "decoded text cut too early");
    }
}

// What the stored form can give back: no NUL (it ends a field), no "&" (it
// would be read as the start of a reference), no leading 6 or 7 (they mark
// the Base64 form) and no lone surrogate (read back as U+FFFD).
bool CanBeStored(std::u16string_view text) {
    if (text.find(u'\0') != std::u16string_view::npos || text.find(u'&') != std::u16string_view::npos) return false;
    if (!text.empty() && (text[0] == 6 || text[0] == 7)) return false;
    return IsWellFormed(text);
}

void CheckEncoder(std::u16string_view text) {
    const std::string full = ToGbkWithNumericRefs(text, SIZE_MAX);
    Check(full.find('\0') == std::string::npos, "encoded text holds a NUL");
    for (std::size_t capacity : kCapacities) {
        std::string cut = ToGbkWithNumericRefs(text, capacity);
        Check(cut.size() <= Room(capacity), "encoded text exceeds its capacity");
        Check(std::string_view(full).starts_with(cut), "a smaller capacity changed the encoded text");
    }
    Check(ToGbkFolded(text).find('\0') == std::string::npos, "folded text holds a NUL");

    if (!CanBeStored(text) || full.size() > Room(kFieldCapacity)) return;
    const std::string stored = ToGbkWithNumericRefs(text, kFieldCapacity);
    Check(stored == full, "text that fits was cut");
    Check(DecodeStoredText(stored, kFieldCapacity) == text, "stored text does not read back");
    Check(DecodeNumericRefs(stored, kFieldCapacity) == text, "references do not read back");
    // A field too small for the text keeps its start; a pair cut in half
    // reads back as U+FFFD in place of its first half.
    for (std::size_t capacity : kCapacities) {
        std::u16string back = DecodeStoredText(ToGbkWithNumericRefs(text, capacity), kFieldCapacity);
        Check(back.size() <= text.size(), "a cut field reads back longer");
        if (!back.empty() && back.back() == u'\uFFFD' && IsHigh(text[back.size() - 1]))
            back.back() = text[back.size() - 1];
        Check(std::u16string_view(text).starts_with(back), "a cut field does not read back as the text's start");
    }
}

// The named references the slow, obvious way: every name in table order.
std::u16string ReplaceNamedOneByOne(std::u16string text) {
    for (const NamedCharRef& ref : NamedCharRefs()) {
        const std::u16string pattern = u"&" + std::u16string(ref.name) + u";";
        std::u16string out;
        std::size_t from = 0;
        for (std::size_t hit = text.find(pattern); hit != std::u16string::npos; hit = text.find(pattern, from)) {
            out += text.substr(from, hit - from);
            out += ref.character;
            from = hit + pattern.size();
        }
        text = out + text.substr(from);
    }
    return text;
}

void CheckNamedRefs(std::u16string text) {
    const std::u16string expected = ReplaceNamedOneByOne(text);
    ReplaceNamedCharRefs(text);
    Check(text == expected, "named references replaced differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckDecoder(DecodeStoredText, bytes);
    CheckDecoder(DecodeNumericRefs, bytes);
    std::u16string widened(data, data + size);  // each byte one unit, so ASCII tokens stay tokens
    CheckNamedRefs(widened);

    // The same bytes as UTF-16 units, little-endian.
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    CheckEncoder(text);
    return 0;
}
