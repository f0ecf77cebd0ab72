#pragma once

#include <cstddef>

#include "store/FixedText.h"
#include "store/LittleEndian.h"

namespace tallux {

// One goods line of a shipment (DATA/recgoods.dat).
struct GoodsLineRecord {
    le::Int32 id;
    le::Int32 parentId;  // id of the owning shipment
    FixedText<80> description;
    le::Int32 quantity;
    le::Float64 unitPrice;
    FixedText<64> alias;
    FixedText<64> codeA;
    FixedText<64> codeB;
    FixedText<64> codeC;
    le::Float64 duty;
    le::Float64 dutyRate;
};

static_assert(sizeof(GoodsLineRecord) == 372);
static_assert(offsetof(GoodsLineRecord, parentId) == 4);
static_assert(offsetof(GoodsLineRecord, quantity) == 88);
static_assert(offsetof(GoodsLineRecord, unitPrice) == 92);
static_assert(offsetof(GoodsLineRecord, alias) == 100);
static_assert(offsetof(GoodsLineRecord, codeC) == 292);
static_assert(offsetof(GoodsLineRecord, duty) == 356);
static_assert(offsetof(GoodsLineRecord, dutyRate) == 364);

}  // namespace tallux
