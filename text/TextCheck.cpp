#include "text/TextCheck.h"

#include <unicode/uchar.h>

#include <cstdio>
#include <cstring>

#include "text/GbkBytes.h"
#include "text/StoredText.h"

namespace tallux {
namespace {

constexpr std::size_t kLongestCheckedText = 4095;  // UTF-16 units
constexpr std::size_t kFormReferenceCapacity = 1024;
constexpr std::size_t kForeignReferenceCapacity = 4000;

bool IsWhite(char16_t unit) { return u_isUWhiteSpace(unit); }

void Trim(std::u16string& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsWhite(text[first])) ++first;
    while (last > first && IsWhite(text[last - 1])) --last;
    text = text.substr(first, last - first);
}

std::string ToStoredGbk(const std::u16string& text, bool references, std::size_t capacity) {
    std::u16string_view view(text);
    if (view.size() > kLongestCheckedText) {
        std::size_t keep = kLongestCheckedText;
        if (view[keep - 1] >= 0xD800 && view[keep - 1] <= 0xDBFF) --keep;  // never half a pair
        view = view.substr(0, keep);
    }
    return references ? ToGbkWithNumericRefs(view, capacity) : ToGbkFolded(view);
}

void Store(std::span<char> destination, std::string_view gbk) {
    if (destination.empty()) return;
    // The caller's maximum leaves room for the terminator; cut rather than
    // overrun when it does not.
    std::string_view fitting = CutAtCharBoundary(gbk, destination.size() - 1);
    std::memset(destination.data(), 0, destination.size());
    if (!fitting.empty()) std::memcpy(destination.data(), fitting.data(), fitting.size());
}

std::string Format(const char* format, auto... arguments) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, arguments...);
    return buffer;
}

enum class Verdict { TooShort, TooLong, Fits };

Verdict Judge(std::size_t bytes, int minimum, int maximum) {
    if (static_cast<long long>(bytes) < minimum) return Verdict::TooShort;
    if (static_cast<long long>(bytes) > maximum) return Verdict::TooLong;
    return Verdict::Fits;
}

std::optional<std::string> CheckForm(std::u16string& text, std::span<char> destination, int minimum, int maximum,
                                     std::string_view fieldName, bool references, std::size_t capacity) {
    Trim(text);
    std::string gbk = ToStoredGbk(text, references, capacity);
    const std::string name(fieldName);
    switch (Judge(gbk.size(), minimum, maximum)) {
    case Verdict::TooShort: return Format("[%s]不得短于 %d 字符。", name.c_str(), minimum);
    case Verdict::TooLong: return Format("[%s]长度不得超过 %d 字符。", name.c_str(), maximum);
    case Verdict::Fits: break;
    }
    Store(destination, gbk);
    return std::nullopt;
}

bool CheckRow(std::u16string& text, std::span<char> destination, int minimum, int maximum, std::string_view fieldName,
              std::vector<std::string>& errors, int row, bool references) {
    Trim(text);
    std::string gbk = ToStoredGbk(text, references, kForeignReferenceCapacity);
    const std::string name(fieldName);
    switch (Judge(gbk.size(), minimum, maximum)) {
    case Verdict::TooShort:
        errors.push_back(Format("第 % 4d 行,[%s]短于 %d 字符。", row, name.c_str(), minimum));
        return false;
    case Verdict::TooLong:
        errors.push_back(Format("第 % 4d 行,[%s]超过 %d 字符。", row, name.c_str(), maximum));
        return false;
    case Verdict::Fits: break;
    }
    Store(destination, gbk);
    return true;
}

}  // namespace

std::optional<std::string> CheckAndStoreText(std::u16string& text, std::span<char> destination, int minimum,
                                             int maximum, std::string_view fieldName, bool foreign) {
    return CheckForm(text, destination, minimum, maximum, fieldName, foreign, kFormReferenceCapacity);
}

std::optional<std::string> CheckAndStoreForeignText(std::u16string& text, std::span<char> destination, int minimum,
                                                    int maximum, std::string_view fieldName) {
    return CheckForm(text, destination, minimum, maximum, fieldName, true, kForeignReferenceCapacity);
}

bool CheckRowText(std::u16string& text, std::span<char> destination, int minimum, int maximum,
                  std::string_view fieldName, std::vector<std::string>& errors, int row) {
    return CheckRow(text, destination, minimum, maximum, fieldName, errors, row, false);
}

bool CheckRowForeignText(std::u16string& text, std::span<char> destination, int minimum, int maximum,
                         std::string_view fieldName, std::vector<std::string>& errors, int row) {
    return CheckRow(text, destination, minimum, maximum, fieldName, errors, row, true);
}

}  // namespace tallux
