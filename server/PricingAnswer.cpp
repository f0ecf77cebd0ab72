#include "server/PricingAnswer.h"

#include <optional>

#include "server/SqliteStatement.h"
#include "server/TransactionCodes.h"
#include "text/GbkCodec.h"

namespace tallux::server {

namespace {

constexpr std::size_t kMaxFieldBytes = 63;

bool PlainField(std::string_view text) {
    if (text.empty() || text.size() > kMaxFieldBytes) return false;
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

struct Place {
    std::string code;
    std::string zone;
};

// The client sends what the operator typed: a code or a name.
Place FindPlace(sqlite3* db, const std::string& destination) {
    SqliteStatement place(db,
                          "SELECT code, zone_text FROM destinations WHERE code = ?1 OR name_zh = ?1"
                          " OR lower(name_en) = lower(?1) ORDER BY code = ?1 DESC LIMIT 1");
    place.Bind(1, destination);
    if (!place.Step()) return {destination, ""};
    return {place.Text(0), place.Text(1)};
}

// The most specific row: the destination before its zone, the item type
// before the row for every type (-1).
std::optional<Tariff> FindTariff(sqlite3* db, const std::string& site, const std::string& kind, const Place& place,
                                 std::int32_t itemType) {
    SqliteStatement tariff(db,
                           "SELECT first_grams, first_price, step_grams, step_price FROM prices"
                           " WHERE site_id = ?1 AND kind_code = ?2 AND destination_code IN (?3, ?4)"
                           " AND item_type IN (?5, -1)"
                           " ORDER BY destination_code = ?3 DESC, item_type = ?5 DESC LIMIT 1");
    tariff.Bind(1, site).Bind(2, kind).Bind(3, place.code).Bind(4, place.zone).Bind(5, itemType);
    if (!tariff.Step()) return std::nullopt;
    return Tariff{tariff.Int(0), tariff.Real(1), tariff.Int(2), tariff.Real(3)};
}

}  // namespace

double TariffPrice(const Tariff& tariff, std::int64_t grams) {
    double price = tariff.firstPrice;
    if (grams > tariff.firstGrams && tariff.stepGrams > 0) {
        std::int64_t steps = (grams - tariff.firstGrams + tariff.stepGrams - 1) / tariff.stepGrams;
        price += static_cast<double>(steps) * tariff.stepPrice;
    }
    return price;
}

std::string PricingAnswer(ServerDatabase& database, const TransactionCaller& caller, std::int32_t itemType,
                          std::int32_t grams, std::string_view dataGbk) {
    if (grams <= 0) return TransactionAnswerText(trans::kBadCounter);
    std::size_t first = dataGbk.find('\n');
    if (first == std::string_view::npos) return TransactionAnswerText(trans::kBadCommand);
    std::size_t second = dataGbk.find('\n', first + 1);
    if (second == std::string_view::npos) return TransactionAnswerText(trans::kBadCommand);
    std::string_view destination = dataGbk.substr(0, first);
    std::string_view kind = dataGbk.substr(first + 1, second - first - 1);
    if (!PlainField(destination) || !PlainField(kind)) return TransactionAnswerText(trans::kBadCommand);

    std::optional<Tariff> tariff = database.Locked([&](sqlite3* db) {
        return FindTariff(db, caller.siteId, GbkToUtf8(kind), FindPlace(db, GbkToUtf8(destination)), itemType);
    });
    if (!tariff) return TransactionAnswerText(trans::kNoResult);
    double price = TariffPrice(*tariff, grams);
    std::string detail =
        "首重" + std::to_string(tariff->firstGrams) + "克" + FixedDecimal(tariff->firstPrice, 2) + "元";
    if (tariff->stepGrams > 0)
        detail += "<BR>续重每" + std::to_string(tariff->stepGrams) + "克" + FixedDecimal(tariff->stepPrice, 2) + "元";
    detail += "<BR>计费重量" + std::to_string(grams) + "克";
    return FixedDecimal(price, 2) + "\n" + Utf8ToGbk(detail) + "\n";
}

}  // namespace tallux::server
