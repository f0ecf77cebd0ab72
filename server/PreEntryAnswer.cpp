#include "server/PreEntryAnswer.h"

#include <sqlite3.h>

#include <iterator>

#include "server/SqliteStatement.h"
#include "server/TransactionCodes.h"
#include "text/GbkCodec.h"

namespace tallux::server {

namespace {

enum class Kind { Int, Real2, Real3, Real4, Text };

struct Element {
    const char* tag;
    const char* column;
    Kind kind;
};

// Uploads store the kind's code (the list queries filter by it); the client
// reads a name here. A text that is no code of the site is passed on as it is.
constexpr const char* kKindName =
    "coalesce((SELECT name FROM express_kinds WHERE site_id = ?3 AND code = rec_pre_input.cemskind), cemskind)";

constexpr Element kElements[] = {
    {"RID", "irid", Kind::Int},
    {"IID", "iid", Kind::Int},
    {"LANGUAGE", "nlanguage", Kind::Int},
    {"ITEMTYPE", "nitemtype", Kind::Int},
    {"PAYWAY", "npayway", Kind::Int},
    {"ITEM", "iitem", Kind::Int},
    {"QUANTITY", "iquantity", Kind::Int},
    {"GPRICE", "igprice", Kind::Int},
    {"DVALUE", "idvalue", Kind::Int},
    {"IVALUE", "iivalue", Kind::Int},
    {"IRESERVE", "ireserve", Kind::Int},
    {"WEIGHT", "fweight", Kind::Real3},
    {"AMOUNT", "famount", Kind::Real2},
    {"GOODST", "fgoodst", Kind::Real2},
    {"GOODSC", "fgoodsc", Kind::Real2},
    {"GCUSTOM", "fgcustom", Kind::Real2},
    {"GCRATE", "fgcrate", Kind::Real4},
    {"DATE", "ddate", Kind::Text},
    {"EMSKIND", kKindName, Kind::Text},
    {"ADDRFROM", "caddrfrom", Kind::Text},
    {"DES", "cdes", Kind::Text},
    {"NUM", "cnum", Kind::Text},
    {"RNO", "crno", Kind::Text},
    {"NO", "cserviceno", Kind::Text},
    {"CNO", "ccno", Kind::Text},
    {"CRESERVE", "creserve", Kind::Text},
    {"DEPART", "cdepart", Kind::Text},
    {"MARK", "clabel", Kind::Text},
    {"MEMO", "cmark", Kind::Text},
    {"LWH", "cdimension", Kind::Text},
    {"GOODS", "cgoods", Kind::Text},
    {"PACK", "cpack", Kind::Text},
    {"TRANSNOTE", "cconsign", Kind::Text},
    {"MONEY", "cmoney", Kind::Text},
    {"PAYDIR", "cpaydir", Kind::Text},
    {"ORIGIN", "cgorigin", Kind::Text},
    {"BY1", "cspare1", Kind::Text},
    {"BY2", "cspare2", Kind::Text},
    {"BY3", "cspare3", Kind::Text},
    {"BY4", "cspare4", Kind::Text},
    {"BY5", "cspare5", Kind::Text},
    {"SNAME", "csender", Kind::Text},
    {"SUNIT", "csunit", Kind::Text},
    {"SADDR", "csaddr", Kind::Text},
    {"SPHONE", "csphone", Kind::Text},
    {"SPOST", "cspost", Kind::Text},
    {"SCOUNTRY", "cscountry", Kind::Text},
    {"SPROVINCE", "csprovince", Kind::Text},
    {"SCITY", "cscity", Kind::Text},
    {"SEMAIL", "csemail", Kind::Text},
    {"SSMS", "cssms", Kind::Text},
    {"RNAME", "creceiver", Kind::Text},
    {"RUNIT", "crunit", Kind::Text},
    {"RADDR", "craddr", Kind::Text},
    {"RPHONE", "cphone", Kind::Text},
    {"RPOST", "crpost", Kind::Text},
    {"RCOUNTRY", "crcountry", Kind::Text},
    {"RPROVINCE", "crprovince", Kind::Text},
    {"RCITY", "crcity", Kind::Text},
    {"REMAIL", "cremail", Kind::Text},
    {"RSMS", "crsms", Kind::Text},
    {"GOODSA", "cgoodsa", Kind::Text},
    {"GCODEA", "cgcodea", Kind::Text},
    {"GCODEB", "cgcodeb", Kind::Text},
    {"GCODEC", "cgcodec", Kind::Text},
};

// Stored texts came from clients: a 0x07 would end an element early, and
// tabs or line feeds would split a detail line, so they become blanks.
std::string Clean(std::string text, bool inDetail) {
    for (char& c : text)
        if (c == '\x07' || (inDetail && (c == '\t' || c == '\n' || c == '\r'))) c = ' ';
    return text;
}

std::string Value(const SqliteStatement& row, int column, Kind kind, bool inDetail) {
    switch (kind) {
    case Kind::Int: return std::to_string(row.Int(column));
    case Kind::Real2: return FixedDecimal(row.Real(column), 2);
    case Kind::Real3: return FixedDecimal(row.Real(column), 3);
    case Kind::Real4: return FixedDecimal(row.Real(column), 4);
    case Kind::Text: break;
    }
    return Clean(Utf8ToGbk(row.Text(column)), inDetail);
}

void AppendElement(std::string& out, std::string_view tag, std::string_view value) {
    out.append("\x07<").append(tag).append(">").append(value).append("</").append(tag).append(">\x07");
}

// One detail line per row, fields joined by tabs in the column order given.
std::string DetailLines(sqlite3* db, std::string_view sql, std::int32_t iid, const std::vector<Kind>& kinds) {
    std::string lines;
    SqliteStatement rows(db, sql);
    rows.Bind(1, iid);
    while (rows.Step()) {
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            if (i) lines += '\t';
            lines += Value(rows, static_cast<int>(i), kinds[i], true);
        }
        lines += '\n';
    }
    return lines;
}

std::string SelectSql() {
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < std::size(kElements); ++i) {
        if (i) sql += ", ";
        sql += kElements[i].column;
    }
    return sql + " FROM rec_pre_input WHERE iid = ?1 AND icid = ?2";
}

}  // namespace

std::string PreEntryAnswer(ServerDatabase& database, const TransactionCaller& caller, std::int32_t iid) {
    return database.Locked([&](sqlite3* db) {
        static const std::string kSelect = SelectSql();
        SqliteStatement record(db, kSelect);
        record.Bind(1, iid).Bind(2, caller.customerId).Bind(3, caller.siteId);
        if (!record.Step()) return TransactionAnswerText(trans::kNoResult);
        std::string payload;
        for (std::size_t i = 0; i < std::size(kElements); ++i)
            AppendElement(payload, kElements[i].tag, Value(record, static_cast<int>(i), kElements[i].kind, false));
        const Kind I = Kind::Int, R2 = Kind::Real2, R4 = Kind::Real4, T = Kind::Text;
        AppendElement(payload, "GOODSITEM_DETAIL",
                      DetailLines(db,
                                  "SELECT iquantity, fprice, cgoods, fgcustom, fgcrate, cgoodsa, cgcodea, cgcodeb,"
                                  " cgcodec FROM rec_pre_input_goods WHERE iid = ? ORDER BY wpos",
                                  iid, {I, R2, T, R2, R4, T, T, T, T}));
        AppendElement(payload, "WEIGHT_DETAIL",
                      DetailLines(db,
                                  "SELECT ilong, iwidth, iheight, iweight, npercent, iquantity, iprice, cgoods,"
                                  " fgcustom, fgcrate, cgoodsa, cgcodea, cgcodeb, cgcodec"
                                  " FROM rec_pre_input_item WHERE iid = ? ORDER BY wpos",
                                  iid, {I, I, I, I, I, I, I, T, R2, R4, T, T, T, T}));
        return TransactionAnswerText(1, payload);
    });
}

}  // namespace tallux::server
