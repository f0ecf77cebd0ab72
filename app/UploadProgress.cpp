#include "app/UploadProgress.h"

#include <cstdint>
#include <cstdio>

#include "net/HttpTransport.h"

namespace tallux {
namespace {

UploadProgress DescribeTotals(int successes, int failures, bool stopped, int total) {
    // 64 bits: the sum cannot overflow for any int input.
    const std::int64_t processed = static_cast<std::int64_t>(successes) + failures;
    const std::int64_t percent = total > 0 ? processed * 100 / total : 0;

    char text[256];
    std::snprintf(text, sizeof text, "共 %d 条，已处理 %lld 条(%lld%%)。%d 成功; %d 失败。%s", total,
                  static_cast<long long>(processed), static_cast<long long>(percent), successes, failures,
                  stopped ? "终止传送" : "");
    return {text, stopped || processed >= total};
}

}  // namespace

UploadProgress DescribeUploadProgress(int successes, int failures, int total) {
    return DescribeTotals(successes, failures, false, total);
}

UploadProgress DescribeUploadProgress(const UploadOutcome& outcome, int total) {
    switch (outcome.kind) {
    case UploadOutcome::Kind::Unreachable: {
        const int code = (outcome.transportError < 0 && outcome.transportError >= -6) ? outcome.transportError : -1;
        return {TransportErrorText(code), true};
    }
    case UploadOutcome::Kind::Stopped: return DescribeTotals(outcome.successes, outcome.failures, true, total);
    case UploadOutcome::Kind::Completed: break;
    }
    return DescribeTotals(outcome.successes, outcome.failures, false, total);
}

}  // namespace tallux
