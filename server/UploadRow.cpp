#include "server/UploadRow.h"

#include <sqlite3.h>

#include <ctime>

#include "server/SqliteStatement.h"
#include "text/GbkCodec.h"

namespace tallux::server {

bool UploadRow::Take(const std::vector<CallArgument>& arguments, std::span<const ArgumentColumn> layout) {
    if (arguments.size() != layout.size()) return false;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const CallArgument& argument = arguments[i];
        const ArgumentColumn& to = layout[i];
        bool isText = argument.kind == CallArgument::Kind::Text;
        switch (to.use) {
        case ArgumentUse::Integer: {
            auto value = IntegerArgument(argument);
            if (!value) return false;
            Add(to.column, *value);
            break;
        }
        case ArgumentUse::Real: {
            auto value = RealArgument(argument);
            if (!value) return false;
            Add(to.column, *value);
            break;
        }
        case ArgumentUse::Text:
            if (!isText) return false;
            Add(to.column, GbkToUtf8(argument.value));
            break;
        case ArgumentUse::Date:
            if (!isText || !IsUploadDate(argument.value)) return false;
            Add(to.column, argument.value);
            break;
        case ArgumentUse::Number:
            if (!RealArgument(argument)) return false;
            break;
        case ArgumentUse::AnyText:
            if (!isText) return false;
            break;
        case ArgumentUse::Placeholder:
            if (argument.kind != CallArgument::Kind::Placeholder) return false;
            break;
        }
    }
    return true;
}

std::int64_t UploadRow::Insert(sqlite3* db, std::string_view table) const {
    std::string sql = "INSERT INTO " + std::string(table) + "(";
    std::string marks;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (i) {
            sql += ", ";
            marks += ", ";
        }
        sql += values_[i].column;
        marks += '?';
    }
    sql += ") VALUES(" + marks + ")";
    SqliteStatement insert(db, sql);
    for (std::size_t i = 0; i < values_.size(); ++i) {
        int index = static_cast<int>(i) + 1;
        const auto& value = values_[i].value;
        if (const auto* integer = std::get_if<std::int64_t>(&value)) {
            insert.Bind(index, *integer);
        } else if (const auto* real = std::get_if<double>(&value)) {
            insert.BindReal(index, *real);
        } else {
            insert.Bind(index, std::get<std::string>(value));
        }
    }
    insert.Step();
    return sqlite3_last_insert_rowid(db);
}

bool IsUploadDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '.' || text[7] != '.') return false;
    auto number = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (year < 1000 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

std::string UploadTimeText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::size_t size = std::strftime(text, sizeof text, "%Y.%m.%d %H:%M:%S", &local);
    return std::string(text, size);
}

}  // namespace tallux::server
