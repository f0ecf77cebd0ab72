#include "server/CheckScanUpload.h"

#include <sqlite3.h>

#include <optional>
#include <vector>

#include "server/ProcedureCall.h"
#include "server/SqliteStatement.h"
#include "server/TransactionCodes.h"
#include "server/UploadRow.h"

namespace tallux::server {

namespace {

using U = ArgumentUse;

// The client puts fourteen "?" before the values.
constexpr std::size_t kPlaceholders = 14;

struct Variant {
    std::string_view procedure;
    int language;
    bool chinese, english;
};

constexpr Variant kVariants[] = {
    {"cp_check_detail_scan_add_ec", 0, true, false},
    {"cp_check_detail_en_scan_add_ec", 1, false, true},
    {"cp_check_detail_scan_all_ec", 2, true, true},
};

std::vector<ArgumentColumn> Layout(const Variant& variant) {
    std::vector<ArgumentColumn> layout(kPlaceholders, ArgumentColumn{U::Placeholder, ""});
    layout.insert(layout.end(), {
                                    {U::Number, ""},          // always 0
                                    {U::Text, "cnum"},        // waybill number
                                    {U::Text, "cstation"},    // station code from login
                                    {U::Text, "cnext"},       // next station
                                    {U::Integer, "nstatus"},  // event status code
                                    {U::Text, "dsign"},       // signing date and time
                                    {U::Text, "devent"},      // event date and time
                                });
    if (variant.chinese) layout.insert(layout.end(), {{U::Text, "cplace_zh"}, {U::Text, "cdetail_zh"}});
    if (variant.english) layout.insert(layout.end(), {{U::Text, "cplace_en"}, {U::Text, "cdetail_en"}});
    layout.insert(layout.end(), {
                                    {U::AnyText, ""},           // the fixed *A B C D text
                                    {U::Text, "csigner"},       // signed by / delivered by
                                    {U::Integer, "nposition"},  // position code
                                    {U::Integer, "ncode"},      // extra code
                                });
    return layout;
}

const Variant* FindVariant(std::string_view procedure) {
    for (const Variant& v : kVariants)
        if (v.procedure == procedure) return &v;
    return nullptr;
}

}  // namespace

std::string CheckScanUploadAnswer(ServerDatabase& database, const TransactionCaller& caller, std::int32_t localId,
                                  std::string_view data) {
    std::optional<ProcedureCall> call = ReadProcedureCall(data);
    if (!call) return TransactionAnswerText(trans::kDataError);
    const Variant* variant = FindVariant(call->procedure);
    if (!variant) return TransactionAnswerText(trans::kDataError);
    UploadRow row;
    row.Add("icid", std::int64_t{caller.customerId});
    row.Add("account", caller.account);
    row.Add("local_id", std::int64_t{localId});
    row.Add("nlanguage", std::int64_t{variant->language});
    row.Add("dsysdate", UploadTimeText());
    if (!row.Take(call->arguments, Layout(*variant))) return TransactionAnswerText(trans::kDataError);
    // A scan is about a waybill; without one it records nothing.
    if (call->arguments[kPlaceholders + 1].value.empty()) return TransactionAnswerText(trans::kDataError);
    return database.WriteDurably([&](sqlite3* db) -> ServerDatabase::WriteResult {
        return {TransactionAnswerText(row.Insert(db, "cp_check_detail")), true};
    });
}

}  // namespace tallux::server
