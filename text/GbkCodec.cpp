#include "text/GbkCodec.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace tallux {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// ICU converters carry state and are not thread-safe; one per thread and
// direction is cheap and avoids a lock on every conversion.
ConverterPtr OpenConverter(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open(name, &status));
    if (U_FAILURE(status)) throw std::runtime_error(std::string("ICU converter unavailable: ") + name);
    return converter;
}

UConverter* Reset(const ConverterPtr& converter) {
    ucnv_reset(converter.get());
    return converter.get();
}

UConverter* GbkConverter() {
    thread_local ConverterPtr converter = [] {
        ConverterPtr c = OpenConverter("windows-936");
        UErrorCode status = U_ZERO_ERROR;
        ucnv_setSubstChars(c.get(), "?", 1, &status);  // what GBK cannot hold becomes "?"
        return c;
    }();
    return Reset(converter);
}

UConverter* Utf8Converter() {
    thread_local ConverterPtr converter = OpenConverter("UTF-8");
    return Reset(converter);
}

std::string Convert(UConverter* to, UConverter* from, std::string_view in) {
    if (in.empty()) return {};
    // Worst cases: GBK -> UTF-8 grows a 1-byte character to 3 bytes,
    // UTF-8 -> GBK never grows.
    std::string out(in.size() * 3 + 4, '\0');
    UErrorCode status = U_ZERO_ERROR;
    char* target = out.data();
    const char* source = in.data();
    std::vector<UChar> pivot(1024);
    UChar* pivotSource = pivot.data();
    UChar* pivotTarget = pivot.data();
    ucnv_convertEx(to, from, &target, out.data() + out.size(), &source, in.data() + in.size(), pivot.data(),
                   &pivotSource, &pivotTarget, pivot.data() + pivot.size(), true, true, &status);
    if (U_FAILURE(status)) return {};
    out.resize(static_cast<size_t>(target - out.data()));
    return out;
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
    // Code page 936 never gives more units than bytes.
    std::u16string out(gbk.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = ucnv_toUChars(GbkConverter(), out.data(), static_cast<int32_t>(out.size()), gbk.data(),
                                   static_cast<int32_t>(gbk.size()), &status);
    if (U_FAILURE(status)) return {};
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out(utf8.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = ucnv_toUChars(Utf8Converter(), out.data(), static_cast<int32_t>(out.size()), utf8.data(),
                                   static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status)) return {};
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out(utf16.size() * 3 + 1, '\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = ucnv_fromUChars(Utf8Converter(), out.data(), static_cast<int32_t>(out.size()), utf16.data(),
                                     static_cast<int32_t>(utf16.size()), &status);
    if (U_FAILURE(status)) return {};
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string GbkToUtf8(std::string_view gbk) { return Convert(Utf8Converter(), GbkConverter(), gbk); }

std::string Utf8ToGbk(std::string_view utf8) { return Convert(GbkConverter(), Utf8Converter(), utf8); }

}  // namespace tallux
