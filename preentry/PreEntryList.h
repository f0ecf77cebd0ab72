#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/ShipmentRecord.h"

namespace tallux {

class KindList;

// The columns of the pre-entry list that commands rewrite one at a time.
enum PreEntryColumn : int {
    kPreEntryNumberColumn = 0,
    kPreEntryMarkColumn = 1,
    kPreEntryCheckColumn = 2,
    kPreEntryWaybillColumn = 4,
    kPreEntryTransferColumn = 5,
    kPreEntryWeightColumn = 8,
    kPreEntryFeeColumn = 9,
    kPreEntryKindColumn = 11,
    kPreEntryReservedColumn = 27,
    kPreEntryFirstSpareColumn = 29,  // spare 1 to 5: 29 to 33
    kPreEntryColumnCount = 34,
};

// Which shipments the list shows.
enum PreEntryFilter : int {
    kShowUnmarked = 0,
    kShowMarked = 1,
    kShowAll = 2,
};

// True when the filter lets the shipment into the list; unknown filters
// show everything.
bool ShownByFilter(const ShipmentRecord& shipment, int filter);

// The texts of one list row, columns 0 to 33; column 2 holds the upload
// readiness. Receiver name, address, country, province and city may carry
// references for characters outside GBK and are decoded as stored text.
std::vector<std::u16string> PreEntryRowTexts(int rowNumber, const ShipmentRecord& shipment, const KindList& kinds);

// The tag of the first text field holding a single-byte "?" (where a
// conversion met a character GBK cannot hold), in the order the check
// reports them, e.g. "?出发"; "ok" when none does. UTF-8.
std::string_view QuestionMarkTag(const ShipmentRecord& shipment);

// "%.2f" / "%.3f" whatever the process locale.
std::string FixedDecimals(double value, int decimals);

}  // namespace tallux
