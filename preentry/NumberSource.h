#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "net/BaseData.h"
#include "net/LoginSession.h"
#include "net/TransactionPost.h"
#include "preentry/DateCode.h"
#include "preentry/NumberExtras.h"
#include "preentry/NumberRotation.h"

namespace tallux {

// Asks the number service for one number under key; nullopt when it gave none.
using NumberFetcher = std::function<std::optional<std::string>(std::string_view key)>;

// The number service of the server the context names (operation 12).
NumberFetcher ServerNumberFetcher(const TransactionContext& context);

// Everything the numbering reads; owned by the caller.
struct NumberContext {
    const SessionValues& session;
    const BaseData& data;
    NumberRotation& rotation;
    NumberFetcher fetch;
    unsigned programNumber = 0;   // 0 to 9
    std::function<int()> nextId;  // the shipment store's next record id
    DateSource today = LocalToday;
};

enum class NumberPurpose { Waybill = 0, Transfer = 1 };

enum class NumberResult { NoKey = -1, None = 0, Obtained = 1 };

// One number for kind from the number service, through the one-to-many
// definition named like kind when the purpose is the one "取单号类别" selects.
// number changes only on Obtained; mode is -1 unless a key was found and
// extras are cleared unless a field-fill definition matched.
NumberResult NumberSource(const NumberContext& context, std::string_view kind, std::string& number, int& mode,
                          NumberExtras& extras, NumberPurpose purpose);

}  // namespace tallux
