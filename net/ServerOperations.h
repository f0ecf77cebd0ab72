#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "net/TransactionPost.h"

namespace tallux {

inline constexpr std::size_t kNumberAnswerSize = 4096;
inline constexpr std::size_t kPricingBodySize = 64000;
inline constexpr std::size_t kSettlementAnswerSize = 1024;

// Operation 12: asks the server for a number with the caller's request text
// (GBK, placed in DATA as it is). Only for sessions with the number service;
// the answer must be "1", a line feed and the number, 3 to 32 bytes in all.
std::optional<std::string> FetchNumber(const TransactionContext& context, std::string_view request);

// What a pricing request needs of one shipment (the caller looks it up).
struct PricingShipment {
    int itemType = 0;
    double weightKg = 0.0;
    std::string_view destination;      // GBK
    std::string_view expressKindCode;  // the kind's code; empty: unknown kind
};

// Operation 3: the body asking the price of one shipment, for PostTransaction.
// Refused (nullopt) for a missing shipment, a weight not above 0 or too
// large for grams in an int32, an empty destination, an unknown express
// kind, or texts that would break the line layout (line feed, 0x07).
std::optional<std::string> BuildPricingRequest(const TransactionContext& context,
                                               const std::optional<PricingShipment>& shipment);

// The settlement summary for the message box (UTF-8) from a delivered
// answer with a positive code; localTime is "YYYY-MM-DD hh:mm:ss".
std::string SettlementSummaryText(std::string_view payload, std::string_view localTime);

// Operation 5: asks for the settlement summary and returns the text to show
// (and to put on the clipboard): the summary, or why it failed. now is the
// query time, shown as local time.
std::string ShowSettlementSummary(const TransactionContext& context, std::time_t now);

}  // namespace tallux
