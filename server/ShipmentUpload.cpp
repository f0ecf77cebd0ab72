#include "server/ShipmentUpload.h"

#include <sqlite3.h>

#include <array>
#include <optional>
#include <vector>

#include "server/BaseDataAnswer.h"
#include "server/ChildRowsInsert.h"
#include "server/ProcedureCall.h"
#include "server/SqliteStatement.h"
#include "server/TransactionCodes.h"
#include "server/UploadRow.h"
#include "text/DestinationList.h"
#include "text/GbkCodec.h"

namespace tallux::server {

namespace {

using U = ArgumentUse;

// Arguments 2 to 64, the same in both procedures. Argument 1, the customer
// id, is checked to be a number and otherwise ignored: the record belongs to
// the caller.
constexpr std::array<ArgumentColumn, 64> kShipmentArguments{{
    {U::Number, ""},            // 1 customer id
    {U::Integer, "nitemtype"},  // 2
    {U::Integer, "nlanguage"},  // 3 receiver language class
    {U::Date, "ddate"},         // 4 business date
    {U::Integer, "npayway"},    // 5
    {U::AnyText, ""},           // 6 the fixed *A B C D text
    {U::Text, "cemskind"},      // 7 express kind code
    {U::Text, "caddrfrom"},     // 8
    {U::Text, "cdes"},          // 9
    {U::Text, "cnum"},          // 10 waybill number
    {U::Real, "fweight"},       // 11
    {U::Real, "famount"},       // 12 fee
    {U::Text, "csender"},       // 13
    {U::Text, "creceiver"},     // 14
    {U::Text, "cphone"},        // 15 receiver phone
    {U::Text, "crunit"},        // 16
    {U::Text, "crpost"},        // 17
    {U::Text, "craddr"},        // 18
    {U::Text, "crcountry"},     // 19
    {U::Text, "crcity"},        // 20
    {U::Text, "crprovince"},    // 21
    {U::Text, "cmark"},         // 22 remark
    {U::Text, "cdimension"},    // 23
    {U::Real, "frealweight"},   // 24
    {U::Text, "cgoods"},        // 25
    {U::Integer, "iquantity"},  // 26
    {U::Integer, "igprice"},    // 27 unit price x 100
    {U::Text, "cpack"},         // 28
    {U::Text, "cconsign"},      // 29
    {U::Integer, "idvalue"},    // 30 declared value x 100
    {U::Integer, "iivalue"},    // 31 insured value x 100
    {U::Text, "cmoney"},        // 32 currency
    {U::Text, "csunit"},        // 33
    {U::Text, "csaddr"},        // 34
    {U::Text, "csphone"},       // 35
    {U::Text, "cspost"},        // 36
    {U::Text, "cscountry"},     // 37
    {U::Text, "csprovince"},    // 38
    {U::Text, "cscity"},        // 39
    {U::Text, "clabel"},        // 40
    {U::Text, "cpaydir"},       // 41 settlement instruction
    {U::Text, "cgorigin"},      // 42
    {U::Integer, "iitem"},      // 43 pieces
    {U::AnyText, ""},           // 44 always empty
    {U::Real, "fcollect"},      // 45 fee to collect
    {U::Real, "fcollectc"},     // 46 collect freight settled with the customer
    {U::Text, "cssms"},         // 47
    {U::Real, "fgoodst"},       // 48 collect-on-delivery amount
    {U::Real, "fgoodsc"},       // 49 ... settled with the customer
    {U::Text, "cdepart"},       // 50
    {U::Text, "csemail"},       // 51
    {U::Text, "cremail"},       // 52
    {U::Text, "crsms"},         // 53
    {U::Text, "cserviceno"},    // 54 transfer number
    {U::Text, "crno"},          // 55 reference number
    {U::Text, "ccno"},          // 56 customs declaration number
    {U::Text, "creserve"},      // 57
    {U::Integer, "ireserve"},   // 58
    {U::Text, "cextra"},        // 59
    {U::Text, "cspare1"},       // 60
    {U::Text, "cspare2"},       // 61
    {U::Text, "cspare3"},       // 62
    {U::Text, "cspare4"},       // 63
    {U::Text, "cspare5"},       // 64
}};

constexpr std::array<ArgumentColumn, 8> kPreEntryTail{{
    {U::AnyText, ""},  // 65 goods SQL
    {U::AnyText, ""},  // 66 pieces SQL
    {U::Text, "cgoodsa"},
    {U::Text, "cgcodea"},
    {U::Text, "cgcodeb"},
    {U::Text, "cgcodec"},
    {U::Real, "fgcustom"},
    {U::Real, "fgcrate"},
}};

constexpr std::array<ArgumentColumn, 13> kDirectTail{{
    {U::AnyText, ""},  // 65 pieces SQL
    {U::AnyText, ""},  // 66 goods SQL
    {U::Number, ""},
    {U::Number, ""},
    {U::Number, ""},
    {U::Number, ""},
    {U::AnyText, ""},  // 71 always empty
    {U::Text, "cgoodsa"},
    {U::Text, "cgcodea"},
    {U::Text, "cgcodeb"},
    {U::Text, "cgcodec"},
    {U::Real, "fgcustom"},
    {U::Real, "fgcrate"},
}};

struct Procedure {
    std::string_view name;
    bool direct;  // for member mode 1
    std::string_view table, key;
    std::span<const ArgumentColumn> tail;
    std::size_t goodsArgument, piecesArgument;  // 0-based
    ChildTable goods, pieces;
};

const Procedure kProcedures[] = {
    {"cp_rec_pre_input_add_ec_exx",
     false,
     "rec_pre_input",
     "iid",
     kPreEntryTail,
     64,
     65,
     {"rec_pre_input_goods", "iid", "rec_pre_input", "iid"},
     {"rec_pre_input_item", "iid", "rec_pre_input", "iid"}},
    {"cp_client_rec_add_ec_exx",
     true,
     "client_rec",
     "irid",
     kDirectTail,
     65,
     64,
     {"client_rec_goods", "irid", "client_rec", "irid"},
     {"client_rec_weight_detail", "irid", "client_rec", "irid"}},
};

const Procedure* FindProcedure(std::string_view name) {
    for (const Procedure& p : kProcedures)
        if (p.name == name) return &p;
    return nullptr;
}

bool NumberTaken(sqlite3* db, std::string_view table, std::int32_t customer, const std::string& number) {
    SqliteStatement find(db, "SELECT 1 FROM " + std::string(table) + " WHERE icid = ? AND cnum = ? LIMIT 1");
    find.Bind(1, customer).Bind(2, number);
    return find.Step();
}

// The id of what this account already stored for the customer under that
// number from the same local record: the client sends a shipment again when
// it did not learn of its acceptance. Local ids below 1 name no record.
std::optional<std::int64_t> StoredBefore(sqlite3* db, const Procedure& procedure, const TransactionCaller& caller,
                                         const std::string& number, std::int32_t localId) {
    if (localId < 1) return std::nullopt;
    SqliteStatement find(db, "SELECT " + std::string(procedure.key) + " FROM " + std::string(procedure.table) +
                                 " WHERE icid = ? AND cnum = ? AND local_id = ? AND account = ?"
                                 " ORDER BY 1 LIMIT 1");
    find.Bind(1, caller.customerId).Bind(2, number).Bind(3, localId).Bind(4, caller.account);
    if (!find.Step()) return std::nullopt;
    return find.Int(0);
}

// Whether the site's kind takes the destination (GBK, as sent), by the
// rule the client applies to the base data it was given: one of the kind's
// accepted destinations. A kind that lists none, or that the site does not
// have, takes nothing.
bool KindTakes(sqlite3* db, const std::string& site, const std::string& kindCode, std::string_view destination) {
    return DestinationListTakes(KindDestinationList(db, site, kindCode), destination);
}

}  // namespace

std::string ShipmentUploadAnswer(ServerDatabase& database, const TransactionCaller& caller, std::int32_t localId,
                                 std::string_view data) {
    std::optional<ProcedureCall> call = ReadProcedureCall(data);
    if (!call) return TransactionAnswerText(trans::kDataCheckFailed);
    const Procedure* procedure = FindProcedure(call->procedure);
    if (!procedure || procedure->direct != (caller.memberMode == 1))
        return TransactionAnswerText(trans::kDataCheckFailed);

    std::vector<ArgumentColumn> layout(kShipmentArguments.begin(), kShipmentArguments.end());
    layout.insert(layout.end(), procedure->tail.begin(), procedure->tail.end());
    UploadRow row;
    row.Add("icid", std::int64_t{caller.customerId});
    row.Add("local_id", std::int64_t{localId});
    row.Add("account", caller.account);
    row.Add("dsysdate", UploadTimeText());
    if (!row.Take(call->arguments, layout)) return TransactionAnswerText(trans::kDataCheckFailed);
    constexpr std::size_t kKindArgument = 6, kDestinationArgument = 8, kWaybillArgument = 9;
    const std::string kindCode = GbkToUtf8(call->arguments[kKindArgument].value);
    const std::string& destination = call->arguments[kDestinationArgument].value;
    std::string number = GbkToUtf8(call->arguments[kWaybillArgument].value);
    std::string goodsSql = GbkToUtf8(call->arguments[procedure->goodsArgument].value);
    std::string piecesSql = GbkToUtf8(call->arguments[procedure->piecesArgument].value);

    // The client removes its copy once it reads the id.
    return database.WriteDurably([&](sqlite3* db) -> ServerDatabase::WriteResult {
        auto refuse = [](int code) { return ServerDatabase::WriteResult{TransactionAnswerText(code), false}; };
        // A resend is answered as the first upload was, whatever the tables
        // say by now. Shipments still without a number are not duplicates
        // of each other.
        if (!number.empty()) {
            if (std::optional<std::int64_t> stored = StoredBefore(db, *procedure, caller, number, localId))
                return {TransactionAnswerText(*stored), false};
        }
        if (!KindTakes(db, caller.siteId, kindCode, destination)) return refuse(trans::kDataCheckFailed);
        if (!number.empty() && NumberTaken(db, procedure->table, caller.customerId, number))
            return refuse(trans::kDuplicateNumber);
        std::int64_t id = row.Insert(db, procedure->table);
        if (!InsertChildRows(db, goodsSql, procedure->goods, id) ||
            !InsertChildRows(db, piecesSql, procedure->pieces, id))
            return refuse(trans::kDataCheckFailed);
        return {TransactionAnswerText(id), true};
    });
}

}  // namespace tallux::server
