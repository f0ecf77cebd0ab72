#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tallux::server {

// Result codes of ECTrans answers, as the client's message table knows them.
namespace trans {
inline constexpr int kNoResult = 0;
// Upload refusals the client's pages show per record.
inline constexpr int kDataError = -1;
inline constexpr int kDuplicateNumber = -2;
inline constexpr int kDataCheckFailed = -3;
inline constexpr int kDatabaseError = -9;
inline constexpr int kNotLoggedIn = -15;
inline constexpr int kMemberTypeRefused = -18;
inline constexpr int kBadVersion = -100;
inline constexpr int kBadSite = -101;
inline constexpr int kBadAccount = -102;
inline constexpr int kUnsupportedOperation = -103;
inline constexpr int kBadId = -104;
inline constexpr int kBadCounter = -105;
inline constexpr int kBadLocale = -106;
inline constexpr int kBadSession = -107;
inline constexpr int kBadCommand = -108;
inline constexpr int kNothingAvailable = -1000;
}  // namespace trans

// An answer body: the decimal code, a line feed, then the payload (if any).
std::string TransactionAnswerText(std::int64_t code, std::string_view payload = {});

// printf "%.Nf" without depending on the process locale.
std::string FixedDecimal(double value, int digits);

}  // namespace tallux::server
