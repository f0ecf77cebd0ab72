#pragma once

#include <span>
#include <string_view>

namespace tallux {

// One row of the built-in country table. chinese holds GBK bytes (what the
// import compares stored texts with); english is ASCII.
struct CountryRow {
    const char* code;
    std::string_view chinese;
    const char* english;
};

// The 240 rows in their fixed order. Order matters: country matching takes
// the first row that fits. Codes are not unique (BW, KG, MH, MS and RS occur
// twice), and some English names carry their historical spelling.
// Thread-safe; the rows live for the whole program.
std::span<const CountryRow> CountryTable();

// The first row whose code equals code, ignoring ASCII letter case; nullptr
// when there is none.
const CountryRow* FindCountryByCode(std::string_view code);

}  // namespace tallux
