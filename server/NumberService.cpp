#include "server/NumberService.h"

#include <sqlite3.h>

#include <optional>

#include "server/SqliteStatement.h"
#include "server/TransactionCodes.h"
#include "text/GbkCodec.h"

namespace tallux::server {

namespace {

bool PlainKey(std::string_view key) {
    if (key.empty() || key.size() > NumberService::kMaxKeyBytes) return false;
    for (unsigned char c : key)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

std::string Padded(std::int64_t value, std::int64_t width) {
    std::string digits = std::to_string(value);
    if (width > 0 && static_cast<std::int64_t>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return digits;
}

// Takes the next value of (site, key) and moves the counter, inside the
// caller's transaction; nullopt when the key has no sequence, it is used up
// or its numbers do not fit.
std::optional<std::string> TakeNumber(sqlite3* db, const std::string& site, const std::string& key) {
    std::optional<std::string> number;
    SqliteStatement select(db,
                           "SELECT prefix, next_value, last_value, width, suffix FROM number_sequences"
                           " WHERE site_id = ? AND kind_code = ?");
    select.Bind(1, site).Bind(2, key);
    if (select.Step()) {
        std::int64_t next = select.Int(1);
        std::int64_t width = select.Int(3);
        std::string text =
            Utf8ToGbk(select.Text(0)) + Padded(next, width > 30 ? 30 : width) + Utf8ToGbk(select.Text(4));
        bool fits = text.size() >= NumberService::kMinNumberBytes && text.size() <= NumberService::kMaxNumberBytes;
        if (next >= 0 && next <= select.Int(2) && fits) {
            SqliteStatement update(db,
                                   "UPDATE number_sequences SET next_value = next_value + 1"
                                   " WHERE site_id = ? AND kind_code = ? AND next_value = ?");
            update.Bind(1, site).Bind(2, key).Bind(3, next).Step();
            if (sqlite3_changes(db) == 1) number = std::move(text);
        }
    }
    return number;
}

}  // namespace

NumberService::NumberService(ServerDatabase& db, std::vector<std::string> refusedKeys)
    : db_(db), refused_(refusedKeys.begin(), refusedKeys.end()) {}

std::string NumberService::Answer(const TransactionCaller& caller, std::string_view keyGbk) {
    if (!caller.numberService) return TransactionAnswerText(trans::kMemberTypeRefused);
    if (!PlainKey(keyGbk)) return TransactionAnswerText(trans::kBadCommand);
    std::string key = GbkToUtf8(keyGbk);
    if (refused_.count(key)) return TransactionAnswerText(trans::kNothingAvailable);
    // A number handed out is on the disk first: after a power failure the
    // counter never goes back to a number a client already holds.
    std::optional<std::string> number;
    db_.WriteDurably([&](sqlite3* db) -> ServerDatabase::WriteResult {
        number = TakeNumber(db, caller.siteId, key);
        return {{}, number.has_value()};
    });
    if (!number) return TransactionAnswerText(trans::kNothingAvailable);
    return TransactionAnswerText(1, *number);
}

}  // namespace tallux::server
