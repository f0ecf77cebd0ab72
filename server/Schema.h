#pragma once

#include <string_view>

namespace tallux::server {

// The whole database layout in one SQL text, applied to a new or older
// database by ServerDatabase. Texts are stored as UTF-8; they become GBK only
// on the wire. Bump the version when the layout changes.
inline constexpr int kSchemaVersion = 1;
std::string_view SchemaSql();

}  // namespace tallux::server
