#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "preentry/PreEntryValues.h"
#include "store/GoodsLineRecord.h"
#include "store/PieceWeightRecord.h"
#include "store/ShipmentRecord.h"

namespace tallux {

class KindList;
struct DestinationRecord;

// What a new record starts with, from the program settings and the base
// data.
struct PreEntryDefaults {
    std::u16string origin;
    std::u16string department;
    std::u16string senderName;
    std::u16string senderPhone;
    std::u16string senderPostcode;
    std::u16string senderCompany;
    std::u16string senderAddress;
    std::u16string senderCountry;
    std::u16string senderProvince;
    std::u16string senderCity;
    std::u16string senderEmail;
    std::u16string senderSms;
    std::u16string goodsOrigin;  // "默认产地=" of emskind.txt
    std::u16string currency;     // "默认币种="
};

// Today, yesterday and the day before, "%Y.%m.%d", made once per run.
using BusinessDateList = std::array<std::u16string, 3>;
BusinessDateList MakeBusinessDateList(int year, int month, int day);

// The values of a form just built: parcel, cash payment ("现付" until a
// login says otherwise), "PP", the default currency and goods origin, one
// piece, quantity 1, unit price 1.00.
PreEntryValues InitialPreEntryValues(const PreEntryDefaults& defaults);

// The reset "新建" does. keepGoods: "固定物品信息" is checked; originLocked:
// the origin's lock is on. Payment, currency and kind keep their values;
// the date only gets today when it is empty.
void ResetForNewRecord(PreEntryValues& values, PreEntryPaneValues& panes, const PreEntryDefaults& defaults,
                       const std::u16string& today, bool keepGoods, bool originLocked);

// Clicking "日期:": today → yesterday → the day before → today; any other
// text → today.
std::u16string NextBusinessDate(const std::u16string& current, const BusinessDateList& dates);

// "到付" settles "CC", the others "PP".
std::u16string SettlementForPayment(int payment);

// A stored shipment as the form shows it: amounts in hundredths divided
// back, the date as "%d.%02d.%02d", receiver texts decoded from their stored
// form (references, marker bytes), the other texts from GBK.
void ValuesFromRecord(const ShipmentRecord& record, PreEntryValues& values, PreEntryPaneValues& panes);

// What taking a destination row sets: the language class, the postcode
// (when the row has one), and country / province / city split from the
// row's Chinese name (see the .cpp for the two tables).
struct DestinationChoice {
    int language = 0;
    bool setsPostcode = false;
    std::u16string postcode;
    std::u16string country;
    bool setsProvinceAndCity = false;  // a domestic name that starts with no province leaves them
    std::u16string province;
    std::u16string city;
};
DestinationChoice SplitDestination(const DestinationRecord& row);
void ApplyDestinationChoice(const DestinationChoice& choice, PreEntryValues& values);

// The validity mark beside the destination: true ("√") when the
// destination is not empty and the kind accepts it
// (KindList::KindAcceptsDestination, also the list's readiness check).
bool DestinationIsValid(const KindList& kinds, const std::u16string& kindName, const std::u16string& destination);

}  // namespace tallux
