#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/ServerDatabase.h"
#include "server/TransactionCaller.h"

namespace tallux::server {

struct Tariff {
    std::int64_t firstGrams = 0;
    double firstPrice = 0.0;
    std::int64_t stepGrams = 0;
    double stepPrice = 0.0;
};

// The first weight costs firstPrice; every started step beyond it adds
// stepPrice (nothing more when stepGrams is not above 0).
double TariffPrice(const Tariff& tariff, std::int64_t grams);

// Operation 3: the fee of one shipment of grams to the destination and kind
// in data ("destination\nkind code\n", GBK). The answer starts with the fee
// ("%.2f") so the client reads it as the leading number, then a line with
// how it was reckoned (lines joined by "<BR>"). "0\n" when no tariff
// applies.
std::string PricingAnswer(ServerDatabase& db, const TransactionCaller& caller, std::int32_t itemType,
                          std::int32_t grams, std::string_view dataGbk);

}  // namespace tallux::server
