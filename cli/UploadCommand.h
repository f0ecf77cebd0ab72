#pragma once

#include <iosfwd>
#include <string>

#include "cli/LoginCommand.h"

namespace tallux {

// Uploads every stored shipment that is ready (a destination and a known
// kind) with the client's upload run, one JSON line per shipment (id,
// waybill, result, message); accepted shipments leave the stores as in the
// client. Base data comes from DATA_SYS/0.dat, downloaded first when
// missing. Returns 1 when any shipment failed or the server could not be
// reached.
int UploadShipments(CliSession& cli, const ServerSettings& settings, const std::string& programDirectory,
                    std::ostream& out, std::ostream& err);

}  // namespace tallux
