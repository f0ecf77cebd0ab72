#pragma once

#include <string>
#include <string_view>

#include "net/BaseData.h"

namespace tallux {

struct WaybillKey {
    std::string key;  // what the number service is asked with
    int mode = 99;    // the kind's number in the waybill-number kind list
};

// The number-service key of a kind (name, else code): "<n>*" for its entry
// n > 0 in the waybill-number kind list, its code for n <= 0; "99*" with
// mode 99 for a kind that is unknown or not listed.
WaybillKey WaybillNumberKey(const BaseData& data, std::string_view kind);

// The kind's number in the transfer-number kind list; -1 when the list is
// empty, the kind unknown or not listed.
int TransferKindNumber(const BaseData& data, std::string_view kind);

// The number of the virtual number id with exactly that name; -1 when none.
int VirtualNumberId(const BaseData& data, std::string_view value);

// Kind lookup by name, else by code; nullptr when neither matches.
const ExpressKind* FindKindAny(const BaseData& data, std::string_view kind);

// The first entry whose key is the kind's code or name; nullptr when none.
const EmsKindSettings::NamedNumber* FindKindEntry(const std::vector<EmsKindSettings::NamedNumber>& list,
                                                  const ExpressKind& kind);

// "<n>*" for n > 0, else the kind's code.
std::string KeyFor(int number, const ExpressKind& kind);

}  // namespace tallux
