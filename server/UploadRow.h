#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "server/ProcedureCall.h"

struct sqlite3;

namespace tallux::server {

// How one argument of an upload call is taken.
enum class ArgumentUse {
    Integer,      // number without fraction -> column
    Real,         // any number -> column
    Text,         // quoted text, GBK on the wire -> UTF-8 column
    Date,         // quoted "year.mm.dd" -> column
    Number,       // any number, not stored
    AnyText,      // quoted text, not stored
    Placeholder,  // "?"
};

struct ArgumentColumn {
    ArgumentUse use;
    std::string_view column;  // empty for the ones not stored
};

// The columns and values of one row about to be inserted.
class UploadRow {
public:
    void Add(std::string_view column, std::int64_t value) { values_.push_back({std::string(column), value}); }
    void Add(std::string_view column, double value) { values_.push_back({std::string(column), value}); }
    void Add(std::string_view column, std::string value) { values_.push_back({std::string(column), std::move(value)}); }

    // Takes every argument as its layout entry says; false when the counts
    // differ or an argument is not of its kind.
    bool Take(const std::vector<CallArgument>& arguments, std::span<const ArgumentColumn> layout);

    // INSERT INTO table; returns the new rowid. Throws DatabaseError.
    std::int64_t Insert(sqlite3* db, std::string_view table) const;

private:
    struct Value {
        std::string column;
        std::variant<std::int64_t, double, std::string> value;
    };
    std::vector<Value> values_;
};

// "year.mm.dd" with a four-digit year and a real calendar day.
bool IsUploadDate(std::string_view text);

// The server's local time as the tables keep it: "YYYY.MM.DD HH:MM:SS".
std::string UploadTimeText();

}  // namespace tallux::server
