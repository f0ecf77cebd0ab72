#pragma once

#include <cstddef>
#include <string_view>

#include "net/BaseData.h"
#include "store/FixedText.h"
#include "store/ShipmentRecord.h"

namespace tallux {

// What a number brings along for the shipment's spare fields: a copy of one
// field-fill definition of emskind.txt. Empty texts mean "leave the field".
struct NumberExtras {
    FixedText<16> name;      // the definition's name
    FixedText<32> reserved;  // 留用串, at most 30 bytes
    FixedText<64> spare1;
    FixedText<64> spare2;
    FixedText<64> spare3;
    FixedText<64> spare4;
    FixedText<256> spare5;  // at most 254 bytes

    void Clear();
};

static_assert(sizeof(NumberExtras) == 560);
static_assert(offsetof(NumberExtras, reserved) == 16);
static_assert(offsetof(NumberExtras, spare1) == 48);
static_assert(offsetof(NumberExtras, spare2) == 112);
static_assert(offsetof(NumberExtras, spare3) == 176);
static_assert(offsetof(NumberExtras, spare4) == 240);
static_assert(offsetof(NumberExtras, spare5) == 304);

// Copies the field-fill definition called name into extras. A kind name
// also finds the definition named after its code and a kind code the one
// named after its kind. False (extras cleared) when none exists.
bool FillExtras(const BaseData& data, std::string_view name, NumberExtras& extras);

// Each non-empty text of extras goes to its shipment field.
void ApplyExtras(const NumberExtras& extras, ShipmentRecord& shipment);

}  // namespace tallux
