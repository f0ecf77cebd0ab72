#include "server/BaseDataAnswer.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "server/DatabaseError.h"
#include "server/ReadOnlyConnection.h"
#include "server/SqliteStatement.h"
#include "text/GbkCodec.h"

namespace tallux::server {
namespace {

// GBK, with the bytes that separate fields, lines and the data's end made
// blanks so no stored text can break the client's parse.
std::string Field(const std::string& utf8) {
    std::string gbk = Utf8ToGbk(utf8);
    for (char& c : gbk)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return gbk;
}

// The first column of every row, as fields each followed by a tab.
std::string TabbedList(SqliteStatement& query) {
    std::string list;
    while (query.Step()) list += Field(query.Text(0)) + '\t';
    return list;
}

}  // namespace

std::string KindDestinationList(sqlite3* db, std::string_view siteId, std::string_view kindCode) {
    SqliteStatement accepted(db,
                             "SELECT d.name_zh FROM kind_destinations k JOIN destinations d"
                             " ON d.code = k.destination_code WHERE k.site_id = ? AND k.kind_code = ? ORDER BY d.seq");
    accepted.Bind(1, siteId).Bind(2, kindCode);
    return TabbedList(accepted);
}

BaseDataAnswer::BaseDataAnswer(std::string databasePath) : databasePath_(std::move(databasePath)) {}

std::optional<std::string> BaseDataAnswer::ForSite(std::string_view siteId) const {
    ReadOnlyConnection connection(databasePath_);
    sqlite3* db = connection.Handle();
    SqliteStatement site(db, "SELECT 1 FROM sites WHERE site_id = ?");
    site.Bind(1, siteId);
    if (!site.Step()) return std::nullopt;

    std::string out = "C\n";
    out += kVolumetricLetter;

    out += "\nEMB\n";
    SqliteStatement kinds(db, "SELECT code, name FROM express_kinds WHERE site_id = ? ORDER BY sort_order, code");
    kinds.Bind(1, siteId);
    std::vector<std::string> kindCodes;
    for (bool first = true; kinds.Step(); first = false) {
        if (!first) out += '\n';
        kindCodes.push_back(kinds.Text(0));
        out += Field(kinds.Text(0)) + '\t' + Field(kinds.Text(1));
    }
    out += "\nEME\n";

    out += "\nGPB\n";
    SqliteStatement places(db,
                           "SELECT small_a, small_b, code, zone_text, digits, name_zh, name_en FROM destinations"
                           " ORDER BY seq");
    for (bool first = true; places.Step(); first = false) {
        if (!first) out += '\n';
        // The client reads the second number at the line's third byte, so
        // the first one has at most two digits.
        out += std::to_string(std::min<std::int64_t>(places.Int(0) & 0xFF, 99)) + ' ' +
               std::to_string(places.Int(1) & 0xFF);
        for (int column = 2; column <= 6; ++column) out += '\t' + Field(places.Text(column));
    }
    out += "\nGPE\n";

    out += "\nEPB\n";
    bool firstPair = true;
    for (const std::string& code : kindCodes) {
        std::string line = KindDestinationList(db, siteId, code);
        if (line.empty()) continue;
        line.pop_back();  // the client adds the last tab itself
        if (!firstPair) out += '\n';
        firstPair = false;
        out += Field(code) + '\n' + line;
    }
    out += "\nEPE\n";
    out += '\x07';
    return out;
}

}  // namespace tallux::server
