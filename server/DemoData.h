#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tallux::server {

class ServerDatabase;

// Site "8001" with the accounts demo/demo123 (pre-entry member with
// checkpoint lines), direct/direct123 (direct-record member) and
// nopermission/nope123 (no express permission), express kinds,
// destinations, what each kind accepts, and emskind.txt.
void WriteDemoData(ServerDatabase& db, std::int64_t now);

// Creates a demo database at path. An existing non-empty file is only
// replaced when force is set. Returns an error message on failure.
std::optional<std::string> CreateDemoDatabase(const std::string& path, bool force, std::int64_t now);

}  // namespace tallux::server
