#pragma once

#include <cstddef>
#include <cstdint>

#include "store/FixedText.h"
#include "store/LittleEndian.h"

namespace tallux {

// One checkpoint event (DATA/reccheck.dat). All texts GBK.
struct CheckScanRecord {
    le::Int32 id;
    std::uint8_t language;         // 0 Chinese, 1 English, 2 both
    std::uint8_t eventType;        // 0 arrival .. 4 exception
    std::uint8_t flightPosition;   // 1 before the flight, 51 ('3') after
    std::uint8_t exceptionStatus;  // 4..10 for event type 4, else 0
    FixedText<32> waybillNumber;   // upper case; unique within the file
    FixedText<16> nextStation;
    FixedText<32> eventTime;
    FixedText<128> placeChinese;
    FixedText<256> detailChinese;
    FixedText<128> placeEnglish;
    FixedText<256> detailEnglish;
    std::uint8_t reserved856[32];
    FixedText<16> signer;  // delivered by / signed by
    FixedText<32> signingTime;
};

static_assert(sizeof(CheckScanRecord) == 936);
static_assert(offsetof(CheckScanRecord, waybillNumber) == 8);
static_assert(offsetof(CheckScanRecord, nextStation) == 40);
static_assert(offsetof(CheckScanRecord, eventTime) == 56);
static_assert(offsetof(CheckScanRecord, placeChinese) == 88);
static_assert(offsetof(CheckScanRecord, detailChinese) == 216);
static_assert(offsetof(CheckScanRecord, placeEnglish) == 472);
static_assert(offsetof(CheckScanRecord, detailEnglish) == 600);
static_assert(offsetof(CheckScanRecord, signer) == 888);
static_assert(offsetof(CheckScanRecord, signingTime) == 904);

}  // namespace tallux
