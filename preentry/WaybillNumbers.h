#pragma once

#include <string>
#include <string_view>

#include "preentry/NumberExtras.h"
#include "preentry/NumberSource.h"
#include "store/ShipmentRecord.h"

namespace tallux {

// The suffix of a local number made without a login (or with local numbers
// disabled); ReplacePlaceholder swaps it for the short code later.
inline constexpr std::string_view kNumberPlaceholder = "XXXXX";

// A waybill number for kindName: the number service's (when the session
// has it, useServer is set and it answers with 8 to 30 bytes), else a local
// one: date code, sequence % 10000 as four digits (sequence < 1: the next
// record id), program number, short code or the placeholder. mode is the
// source's numbering mode, -1 for a local number; extras come with a server
// number only.
std::string GenerateWaybillNumber(const NumberContext& context, std::string_view kindName, int sequence, bool useServer,
                                  int& mode, NumberExtras& extras);

// Replaces the placeholder in number (at most 31 bytes): by a server number
// (whose extras and, for a matching transfer kind, whose copy into a short
// transfer number go to shipment), else by the short code unless local
// numbers are disabled or nobody is logged in. True when number changed.
bool ReplacePlaceholder(const NumberContext& context, std::string& number, ShipmentRecord& shipment, int& mode);

// Fills the shipment's transfer number when it has 5 bytes or fewer; true
// when a number was fetched.
bool FetchTransferNumber(const NumberContext& context, ShipmentRecord& shipment);

// True when text holds the placeholder, letter case ignored.
bool HasPlaceholder(std::string_view text);

}  // namespace tallux
