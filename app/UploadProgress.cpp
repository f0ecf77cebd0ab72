#include "app/UploadProgress.h"

#include <cstdint>
#include <cstdio>

#include "net/HttpTransport.h"

namespace tallux {

UploadProgress DescribeUploadProgress(int a, int b, int total) {
    if (a < 0) {
        const int code = (a >= -6) ? a : -1;
        return {TransportErrorText(code), true};
    }
    const bool stopped = b < 0;
    // 64 bits: -b - 1 and a + failures cannot overflow for any int input.
    const std::int64_t failures = stopped ? -static_cast<std::int64_t>(b) - 1 : b;
    const std::int64_t processed = static_cast<std::int64_t>(a) + failures;
    const std::int64_t percent = total > 0 ? processed * 100 / total : 0;

    char text[256];
    std::snprintf(text, sizeof text, "共 %d 条，已处理 %lld 条(%lld%%)。%d 成功; %lld 失败。%s", total,
                  static_cast<long long>(processed), static_cast<long long>(percent), a,
                  static_cast<long long>(failures), stopped ? "终止传送" : "");
    return {text, stopped || processed >= total};
}

}  // namespace tallux
