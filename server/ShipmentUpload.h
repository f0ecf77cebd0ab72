#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/ServerDatabase.h"
#include "server/TransactionCaller.h"

namespace tallux::server {

// Operation 0: one shipment uploaded as a procedure call in data (GBK),
// "cp_rec_pre_input_add_ec_exx" from pre-entry members into rec_pre_input,
// "cp_client_rec_add_ec_exx" from direct members into client_rec, with its
// goods lines and pieces as client-written INSERT texts. The record always
// belongs to the caller's customer. Answers the new record's id, -2 when
// the customer already has that waybill number, or -3 when the call does
// not fit or its destination is not one its kind takes (empty, or not
// among the kind's accepted destinations; a kind that lists none or that
// the site does not have takes none):
// nothing is written then. A resend — the number again from the
// same account's same local record (localId > 0) — is answered with the id
// stored the first time and writes nothing. An answered id is on the disk.
std::string ShipmentUploadAnswer(ServerDatabase& database, const TransactionCaller& caller, std::int32_t localId,
                                 std::string_view data);

}  // namespace tallux::server
