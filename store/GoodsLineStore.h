#pragma once

#include "store/ChildRecordStore.h"
#include "store/GoodsLineRecord.h"

namespace tallux {

// DATA/recgoods.dat: goods lines of the local shipments.
class GoodsLineStore : public ChildRecordStore<GoodsLineRecord> {};

}  // namespace tallux
