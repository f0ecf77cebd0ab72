#pragma once

#include <cstddef>
#include <cstdint>

#include "store/FixedText.h"
#include "store/LittleEndian.h"

namespace tallux {

// One weighed piece of a shipment (DATA/recweight.dat). The fields from
// offset 25 on are unaligned; le:: types make that harmless.
struct PieceWeightRecord {
    le::Int32 id;
    le::Int32 parentId;  // id of the owning shipment
    le::Int32 length;    // cm
    le::Int32 width;     // cm
    le::Int32 height;    // cm
    le::Int32 weightGrams;
    std::uint8_t volumetricPercent;
    le::Int32 goodsQuantity;
    le::Int32 goodsUnitPrice;
    FixedText<64> description;
    FixedText<32> pieceReference;  // printed on invoices, not uploaded
    FixedText<32> pieceWaybill;    // printed on invoices, not uploaded
    FixedText<32> pieceTransfer;   // printed on invoices, not uploaded
    FixedText<64> alias;
    FixedText<64> codeA;
    FixedText<64> codeB;
    FixedText<64> codeC;
    le::Float64 duty;
    le::Float64 dutyRate;
};

static_assert(sizeof(PieceWeightRecord) == 465);
static_assert(offsetof(PieceWeightRecord, weightGrams) == 20);
static_assert(offsetof(PieceWeightRecord, volumetricPercent) == 24);
static_assert(offsetof(PieceWeightRecord, goodsQuantity) == 25);
static_assert(offsetof(PieceWeightRecord, goodsUnitPrice) == 29);
static_assert(offsetof(PieceWeightRecord, description) == 33);
static_assert(offsetof(PieceWeightRecord, pieceReference) == 97);
static_assert(offsetof(PieceWeightRecord, pieceWaybill) == 129);
static_assert(offsetof(PieceWeightRecord, pieceTransfer) == 161);
static_assert(offsetof(PieceWeightRecord, alias) == 193);
static_assert(offsetof(PieceWeightRecord, codeC) == 385);
static_assert(offsetof(PieceWeightRecord, duty) == 449);
static_assert(offsetof(PieceWeightRecord, dutyRate) == 457);

}  // namespace tallux
