#pragma once

#include <cstddef>

#include "store/FixedText.h"
#include "store/LittleEndian.h"

namespace tallux {

// One entry of the read-only goods name dictionary (DATA_SYS/varno7_0.dat).
struct GoodsNameRecord {
    le::Int32 sequence;
    FixedText<16> code;
    FixedText<128> chineseName;
    FixedText<128> englishName;
};

static_assert(sizeof(GoodsNameRecord) == 276);
static_assert(offsetof(GoodsNameRecord, code) == 4);
static_assert(offsetof(GoodsNameRecord, chineseName) == 20);
static_assert(offsetof(GoodsNameRecord, englishName) == 148);

}  // namespace tallux
