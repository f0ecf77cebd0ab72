#pragma once

#include <cstddef>
#include <cstdint>

#include "store/FixedText.h"
#include "store/LittleEndian.h"

namespace tallux {

// One address book entry (DATA/rsdata.dat).
struct ContactRecord {
    le::Int32 id;
    FixedText<32> code;  // lower case, unique
    FixedText<32> name;  // unique
    FixedText<128> company;
    FixedText<128> address;
    FixedText<64> phone;
    FixedText<16> postcode;
    FixedText<64> country;
    FixedText<32> province;
    FixedText<64> city;
    FixedText<64> email;
    FixedText<24> sms;
    FixedText<256> remark;
    std::uint8_t reserved908[72];
};

static_assert(sizeof(ContactRecord) == 980);
static_assert(offsetof(ContactRecord, code) == 4);
static_assert(offsetof(ContactRecord, name) == 36);
static_assert(offsetof(ContactRecord, address) == 196);
static_assert(offsetof(ContactRecord, phone) == 324);
static_assert(offsetof(ContactRecord, city) == 500);
static_assert(offsetof(ContactRecord, sms) == 628);
static_assert(offsetof(ContactRecord, remark) == 652);

}  // namespace tallux
