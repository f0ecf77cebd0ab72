#pragma once

#include <string_view>

#include "text/CountryTable.h"

namespace tallux {

// Recognises a free-text country name (GBK bytes, as typed into an import
// file's receiver country or destination) and returns its row of
// CountryTable(), or nullptr when nothing fits.
//
// The text ends at its first zero byte, as a stored field does. Searches only
// match whole characters, English names are compared ignoring ASCII letter
// case, and China is only ever found by its exact name: "中国北京" may be a
// domestic address. Texts too short or too bare to mean a country (one
// character; no letter and no double-byte character) never match.
const CountryRow* MatchCountry(std::string_view gbkText);

}  // namespace tallux
