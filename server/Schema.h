#pragma once

#include <string_view>

namespace tallux::server {

// The whole database layout in one SQL text, applied to a new or older
// database by ServerDatabase. Texts are stored as UTF-8; they become GBK only
// on the wire. Bump the version when the layout changes.
inline constexpr int kSchemaVersion = 3;
std::string_view SchemaSql();

// What brings a database of fromVersion to fromVersion + 1; it runs before
// SchemaSql, which then adds whatever is new.
std::string_view SchemaUpgradeSql(int fromVersion);

}  // namespace tallux::server
