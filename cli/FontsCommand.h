#pragma once

#include <iosfwd>

namespace tallux {

// Installs the barcode fonts for the current user as the client's start-up
// does and prints one JSON object per face: {"face","file","path","action",
// "found"}. Returns 1 when any face failed or fontconfig does not list it.
int InstallFontsCommand(std::ostream& out, std::ostream& err);

}  // namespace tallux
