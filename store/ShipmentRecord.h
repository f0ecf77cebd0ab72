#pragma once

#include <cstddef>
#include <cstdint>

#include "store/FixedText.h"
#include "store/LittleEndian.h"

namespace tallux {

// One pre-entry shipment (DATA/recinput.dat). Texts are GBK; the receiver
// fields may carry "&#n;" references for characters GBK cannot hold.
struct ShipmentRecord {
    le::Int32 id;  // assigned by the store; -1 in an unsaved form
    le::UInt16 businessYear;
    std::uint8_t businessMonth;
    std::uint8_t businessDay;
    std::uint8_t itemType;          // 0 document, 1 parcel, 2 waterproof bag
    std::uint8_t receiverLanguage;  // 0 mainland, 1 Chinese-speaking, 2 foreign
    std::uint8_t payment;           // 0 monthly account, 1 cash, 2 collect
    std::uint8_t reserved11;
    le::Int32 goodsQuantity;
    le::Int32 goodsUnitPrice;  // hundredths
    le::Int32 declaredValue;   // hundredths
    le::Int32 insuredValue;    // hundredths
    le::Int32 pieces;
    le::Float64 weight;  // kg as entered
    le::Float64 fee;
    le::Float64 collectFreight;  // kept only for payment 2
    le::Float64 actualWeight;    // kg, derived on save
    le::Float64 codGoodsAmount;
    le::Float64 codSettledAmount;
    FixedText<16> expressKind;
    FixedText<64> origin;
    FixedText<64> destination;
    FixedText<32> waybillNumber;
    FixedText<32> referenceNumber;
    FixedText<32> department;
    FixedText<32> senderName;
    FixedText<128> senderCompany;
    FixedText<128> senderAddress;
    FixedText<64> senderPhone;
    FixedText<16> senderPostcode;
    FixedText<64> senderCountry;
    FixedText<32> senderProvince;
    FixedText<64> senderCity;
    FixedText<64> senderEmail;
    FixedText<24> senderSms;
    FixedText<64> receiverName;
    FixedText<256> receiverCompany;
    FixedText<256> receiverAddress;
    FixedText<64> receiverPhone;
    FixedText<16> receiverPostcode;
    FixedText<128> receiverCountry;
    FixedText<64> receiverProvince;
    FixedText<128> receiverCity;
    FixedText<64> receiverEmail;
    FixedText<24> receiverSms;
    FixedText<16> labelText;
    FixedText<256> remark;
    FixedText<16> dimensions;  // "L*W*H" plus the volumetric letter
    FixedText<256> goodsDescription;
    FixedText<16> packing;
    FixedText<64> consignmentRemark;
    FixedText<4> currency;
    FixedText<4> settlementInstruction;  // "PP", "CC", "COD" or "DP"
    FixedText<4> goodsOrigin;
    FixedText<32> transferNumber;
    FixedText<32> customsNumber;
    FixedText<32> reservedText;
    FixedText<16> extraText;  // uploaded unchanged; no form writes it
    FixedText<64> spare1;
    FixedText<64> spare2;
    FixedText<64> spare3;
    FixedText<64> spare4;
    FixedText<256> spare5;
    le::Int32 reservedNumber;
    FixedText<256> goodsAlias;
    FixedText<64> goodsCodeA;
    FixedText<64> goodsCodeB;
    FixedText<64> goodsCodeC;
    le::Float64 duty;
    le::Float64 dutyRate;
    le::Int32 goodsLineCount;
    le::Int32 pieceWeightCount;
    std::uint8_t reserved3736[5];
    std::uint8_t mark;  // 1 = marked
    std::uint8_t reserved3742[258];
};

static_assert(sizeof(ShipmentRecord) == 4000);
static_assert(offsetof(ShipmentRecord, businessYear) == 4);
static_assert(offsetof(ShipmentRecord, itemType) == 8);
static_assert(offsetof(ShipmentRecord, goodsQuantity) == 12);
static_assert(offsetof(ShipmentRecord, pieces) == 28);
static_assert(offsetof(ShipmentRecord, weight) == 32);
static_assert(offsetof(ShipmentRecord, actualWeight) == 56);
static_assert(offsetof(ShipmentRecord, codSettledAmount) == 72);
static_assert(offsetof(ShipmentRecord, expressKind) == 80);
static_assert(offsetof(ShipmentRecord, waybillNumber) == 224);
static_assert(offsetof(ShipmentRecord, referenceNumber) == 256);
static_assert(offsetof(ShipmentRecord, senderName) == 320);
static_assert(offsetof(ShipmentRecord, senderSms) == 912);
static_assert(offsetof(ShipmentRecord, receiverName) == 936);
static_assert(offsetof(ShipmentRecord, receiverAddress) == 1256);
static_assert(offsetof(ShipmentRecord, receiverCountry) == 1592);
static_assert(offsetof(ShipmentRecord, receiverSms) == 1976);
static_assert(offsetof(ShipmentRecord, labelText) == 2000);
static_assert(offsetof(ShipmentRecord, dimensions) == 2272);
static_assert(offsetof(ShipmentRecord, currency) == 2624);
static_assert(offsetof(ShipmentRecord, transferNumber) == 2636);
static_assert(offsetof(ShipmentRecord, extraText) == 2732);
static_assert(offsetof(ShipmentRecord, spare5) == 3004);
static_assert(offsetof(ShipmentRecord, reservedNumber) == 3260);
static_assert(offsetof(ShipmentRecord, goodsAlias) == 3264);
static_assert(offsetof(ShipmentRecord, goodsCodeC) == 3648);
static_assert(offsetof(ShipmentRecord, duty) == 3712);
static_assert(offsetof(ShipmentRecord, goodsLineCount) == 3728);
static_assert(offsetof(ShipmentRecord, pieceWeightCount) == 3732);
static_assert(offsetof(ShipmentRecord, mark) == 3741);

}  // namespace tallux
