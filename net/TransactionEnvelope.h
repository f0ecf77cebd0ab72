#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tallux {

// Every exchange after login is a POST of a tagged GBK text to this path,
// answered by a text that starts with a decimal result code.
inline constexpr std::string_view kTransactionPath = "/cgi-bin/DIzur.dll?ECTrans";

// Windows' LCID of Simplified Chinese, which the server expects unless the
// installation is configured otherwise.
inline constexpr std::uint32_t kDefaultLocaleId = 2052;

// Operation codes (OP).
namespace op {
inline constexpr int kUploadPreEntry = 0;
inline constexpr int kRecordCheckQuery = 1;
inline constexpr int kShipmentDetail = 2;
inline constexpr int kPricing = 3;
inline constexpr int kUploadCheckScan = 4;
inline constexpr int kSettlementSummary = 5;
inline constexpr int kSettlementRecords = 6;
inline constexpr int kDirectRecord = 7;
inline constexpr int kPreQueryList = 8;
inline constexpr int kPriceQuery = 9;
inline constexpr int kDeletePreEntries = 10;
inline constexpr int kFetchPreEntry = 11;
inline constexpr int kFetchNumber = 12;
inline constexpr int kLastTrackingEvents = 13;
}  // namespace op

// The fixed part of a transaction. Texts are GBK.
struct EnvelopeHeader {
    int version = 1;                            // WER: payload format, fixed per operation
    std::string_view site;                      // WCID
    std::string_view account;                   // AC
    int operation = 0;                          // OP
    std::int32_t id = 0;                        // ID
    std::int32_t number = 1;                    // NUMBER
    std::uint32_t localeId = kDefaultLocaleId;  // LCID
    std::int32_t sessionNumber = 0;             // RAND
    std::uint32_t tick = 0;                     // TS; sent with operation 12 only
};

// The whole request body: the tags in order, DATA closed by 0x07, a line
// feed after "</DATA>", and for operations 3 and 9 one more 0x07 after it.
// data goes in as it is: string arguments must already be quoted.
std::string TransactionBody(const EnvelopeHeader& header, std::string_view data);

// Milliseconds of a monotonic clock, wrapping at 2^32 like the server's
// counterpart expects of TS.
std::uint32_t MonotonicTick();

}  // namespace tallux
