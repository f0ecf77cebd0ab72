#include "query/ReportSort.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <numeric>
#include <string>

#include <unicode/uchar.h>

namespace tallux {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

char16_t FoldUnit(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
    // Surrogate halves stay as they are; the rest folds one to one.
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    const UChar32 folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    return folded <= 0xFFFF ? static_cast<char16_t>(folded) : c;
}

// Roughly log10 of a number written as digits[.digits][e[-]digits]: only its
// sign matters, to tell an overflow from an underflow.
long long DecimalMagnitude(const std::string& number) {
    const std::size_t e = number.find('e');
    const std::string mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        const bool negative = e + 1 < number.size() && number[e + 1] == '-';
        for (std::size_t k = e + (negative ? 2 : 1); k < number.size(); ++k)
            exponent = std::min<long long>(exponent * 10 + (number[k] - '0'), 1'000'000'000);
        if (negative) exponent = -exponent;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string::npos) return -1;  // all zeros
    const long long position =
        first < point ? static_cast<long long>(point - first) - 1 : -static_cast<long long>(first - point);
    return exponent + position;
}

template <typename Key>
std::vector<int> StableOrder(const std::vector<Key>& keys, bool ascending) {
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    if (ascending)
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    else
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[b] < keys[a]; });
    return order;
}

}  // namespace

double LeadingNumber(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    // The number's characters (digits, point, exponent) in ASCII for
    // from_chars, which is locale-independent and takes no leading '+'.
    std::string number;
    bool digits = false;
    while (i < text.size() && IsDigit(text[i])) number += static_cast<char>(text[i++]), digits = true;
    if (i < text.size() && text[i] == u'.') {
        number += '.';
        ++i;
        while (i < text.size() && IsDigit(text[i])) number += static_cast<char>(text[i++]), digits = true;
    }
    if (!digits) return 0.0;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) negativeExponent = text[j++] == u'-';
        if (j < text.size() && IsDigit(text[j])) {
            number += negativeExponent ? "e-" : "e";
            while (j < text.size() && IsDigit(text[j])) number += static_cast<char>(text[j++]);
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // As strtod: too large reads as infinity, too small as 0.
        value = DecimalMagnitude(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::u16string FoldCase(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded) c = FoldUnit(c);
    return folded;
}

int CompareCells(std::u16string_view a, std::u16string_view b, SortKind kind) {
    if (kind == SortKind::Number) {
        const double x = LeadingNumber(a);
        const double y = LeadingNumber(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    const std::u16string x = FoldCase(a);
    const std::u16string y = FoldCase(b);
    const int order = x.compare(y);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::vector<int> SortedRowOrder(const std::vector<std::u16string_view>& columnTexts, SortKind kind, bool ascending) {
    if (kind == SortKind::Number) {
        std::vector<double> keys;
        keys.reserve(columnTexts.size());
        for (std::u16string_view text : columnTexts) keys.push_back(LeadingNumber(text));
        return StableOrder(keys, ascending);
    }
    std::vector<std::u16string> keys;
    keys.reserve(columnTexts.size());
    for (std::u16string_view text : columnTexts) keys.push_back(FoldCase(text));
    return StableOrder(keys, ascending);
}

}  // namespace tallux
