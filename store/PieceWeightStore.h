#pragma once

#include "store/ChildRecordStore.h"
#include "store/PieceWeightRecord.h"

namespace tallux {

// DATA/recweight.dat: weighed pieces of the local shipments.
class PieceWeightStore : public ChildRecordStore<PieceWeightRecord> {};

}  // namespace tallux
