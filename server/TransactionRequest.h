#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallux::server {

// The fields of a POSTed ECTrans body. Texts stay GBK as sent.
struct TransactionRequest {
    int version = 0;                    // WER
    std::string site;                   // WCID
    std::string account;                // AC
    int operation = 0;                  // OP
    std::int32_t id = 0;                // ID
    std::int32_t number = 0;            // NUMBER
    std::uint32_t localeId = 0;         // LCID
    std::int32_t session = 0;           // RAND
    std::optional<std::uint32_t> tick;  // TS, operation 12 only
    std::string data;                   // DATA without its closing 0x07
};

inline constexpr int kHighestOperation = 13;

// Parses body into request. Returns 0, or the negative result code of the
// first element that is missing, repeated or malformed (checked in the order
// WER, WCID, AC, OP, ID, NUMBER, LCID, RAND, TS, DATA). Whether site,
// account and session exist is left to the caller.
int ParseTransactionRequest(std::string_view body, TransactionRequest& request);

}  // namespace tallux::server
