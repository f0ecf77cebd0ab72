#include "preentry/PreEntryRules.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "net/DestinationTable.h"
#include "net/ExpressKinds.h"
#include "text/FixedPoint.h"
#include "text/GbkCodec.h"
#include "text/StoredText.h"

namespace tallux {
namespace {

// The places a domestic destination name may start with, tried in this
// order (the first prefix wins).
constexpr const char* kProvinceNames[] = {
    "安徽", "福建", "甘肃", "广东", "广西",   "贵州", "海南", "河北", "河南", "黑龙江", "湖北", "湖南",
    "吉林", "江苏", "江西", "辽宁", "内蒙古", "宁夏", "青海", "山东", "山西", "陕西",   "四川", "西藏",
    "新疆", "云南", "浙江", "重庆", "北京",   "天津", "上海", "台湾", "香港", "澳门",
};

// The countries a foreign destination name may start with; "印度尼西亚"
// stands before "印度" so that the longer name is found first.
constexpr const char* kCountryNames[] = {
    "日本",     "韩国",     "印度尼西亚", "马来西亚", "印度", "巴基斯坦", "越南",   "泰国",   "菲律宾",
    "柬埔寨",   "蒙古",     "美国",       "加拿大",   "巴西", "墨西哥",   "阿根廷", "智利",   "古巴",
    "澳大利亚", "新西兰",   "英国",       "法国",     "德国", "意大利",   "西班牙", "俄罗斯", "葡萄牙",
    "希腊",     "荷兰",     "爱尔兰",     "奥地利",   "丹麦", "挪威",     "比利时", "瑞典",   "瑞士",
    "土耳其",   "罗马尼亚", "乌克兰",     "匈牙利",   "埃及", "南非",
};

// Country codes whose destinations are addressed like the mainland.
constexpr std::string_view kChineseAreaCodes[] = {"CN", "HK", "MO", "TW"};

template <std::size_t N>
std::vector<std::string> GbkTable(const char* const (&names)[N]) {
    std::vector<std::string> table;
    table.reserve(N);
    for (const char* name : names) table.push_back(Utf8ToGbk(name));
    return table;
}

const std::vector<std::string>& ProvinceNames() {
    static const std::vector<std::string> table = GbkTable(kProvinceNames);
    return table;
}

const std::vector<std::string>& CountryNames() {
    static const std::vector<std::string> table = GbkTable(kCountryNames);
    return table;
}

std::u16string DateText(std::chrono::year_month_day date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d.%02u.%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return Utf8ToUtf16(text);
}

template <std::size_t N>
std::u16string Gbk(const FixedText<N>& field) {
    return GbkToUtf16(field.view());
}

template <std::size_t N>
std::u16string Stored(const FixedText<N>& field) {
    return DecodeStoredText(field.view(), N);
}

}  // namespace

BusinessDateList MakeBusinessDateList(int year, int month, int day) {
    using namespace std::chrono;
    const sys_days today{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                         std::chrono::day{static_cast<unsigned>(day)}};
    return {DateText(year_month_day{today}), DateText(year_month_day{today - days{1}}),
            DateText(year_month_day{today - days{2}})};
}

PreEntryValues InitialPreEntryValues(const PreEntryDefaults& defaults) {
    PreEntryValues values;
    values.currency = defaults.currency;
    values.goodsOrigin = defaults.goodsOrigin;
    return values;
}

void ResetForNewRecord(PreEntryValues& values, PreEntryPaneValues& panes, const PreEntryDefaults& defaults,
                       const std::u16string& today, bool keepGoods, bool originLocked) {
    values.collectFreight = values.codGoodsAmount = values.codSettledAmount = 0;
    panes = PreEntryPaneValues{};

    values.language = 0;
    values.itemType = 1;
    values.settlement = SettlementForPayment(values.payment);
    values.fee = 0;

    if (values.businessDate.empty()) values.businessDate = today;
    values.destination.clear();

    if (!keepGoods) {
        values.declaredValue = 0;
        values.goodsDescription.clear();
        values.insuredValue = 0;
        values.packing.clear();
        values.goodsOrigin = defaults.goodsOrigin;
        values.unitPrice = 1.0;
        values.quantity = 1;
        values.codeA.clear();
        values.codeB.clear();
        values.codeC.clear();
        values.taxRate = 0;
        values.duty = 0;
        values.goodsAlias.clear();
    }

    values.pieces = 1;
    values.label.clear();
    values.remark.clear();
    values.waybill.clear();

    for (std::u16string* field :
         {&values.receiverName, &values.receiverPostcode, &values.receiverPhone, &values.receiverEmail,
          &values.receiverSms, &values.receiverCompany, &values.receiverAddress, &values.receiverCountry,
          &values.receiverProvince, &values.receiverCity, &values.consignmentRemark})
        field->clear();
    values.weight = 0;
    values.mark = false;

    if (!originLocked) values.origin = defaults.origin;
    values.department = defaults.department;
    values.senderAddress = defaults.senderAddress;
    values.senderCity = defaults.senderCity;
    values.senderCountry = defaults.senderCountry;
    values.senderEmail = defaults.senderEmail;
    values.senderName = defaults.senderName;
    values.senderPhone = defaults.senderPhone;
    values.senderPostcode = defaults.senderPostcode;
    values.senderProvince = defaults.senderProvince;
    values.senderSms = defaults.senderSms;
    values.senderCompany = defaults.senderCompany;
}

std::u16string NextBusinessDate(const std::u16string& current, const BusinessDateList& dates) {
    if (current == dates[0]) return dates[1];
    if (current == dates[1]) return dates[2];
    return dates[0];
}

std::u16string SettlementForPayment(int payment) { return payment == 2 ? u"CC" : u"PP"; }

void ValuesFromRecord(const ShipmentRecord& record, PreEntryValues& values, PreEntryPaneValues& panes) {
    values.itemType = record.itemType;
    values.language = record.receiverLanguage;
    values.kindName = Gbk(record.expressKind);
    values.pieces = record.pieces;
    values.weight = record.weight;
    values.origin = Gbk(record.origin);
    values.fee = record.fee;
    values.destination = Gbk(record.destination);
    values.payment = record.payment;
    values.waybill = Gbk(record.waybillNumber);
    char date[32];
    std::snprintf(date, sizeof date, "%d.%02d.%02d", static_cast<int>(record.businessYear),
                  static_cast<int>(record.businessMonth), static_cast<int>(record.businessDay));
    values.businessDate = Utf8ToUtf16(date);

    values.receiverName = Stored(record.receiverName);
    values.receiverPostcode = Gbk(record.receiverPostcode);
    values.receiverPhone = Gbk(record.receiverPhone);
    values.receiverEmail = Gbk(record.receiverEmail);
    values.receiverSms = Gbk(record.receiverSms);
    values.receiverCompany = Stored(record.receiverCompany);
    values.receiverAddress = Stored(record.receiverAddress);
    values.receiverCountry = Stored(record.receiverCountry);
    values.receiverProvince = Stored(record.receiverProvince);
    values.receiverCity = Stored(record.receiverCity);

    values.senderName = Gbk(record.senderName);
    values.senderPostcode = Gbk(record.senderPostcode);
    values.senderPhone = Gbk(record.senderPhone);
    values.senderEmail = Gbk(record.senderEmail);
    values.senderSms = Gbk(record.senderSms);
    values.senderCompany = Gbk(record.senderCompany);
    values.senderAddress = Gbk(record.senderAddress);
    values.senderCountry = Gbk(record.senderCountry);
    values.senderProvince = Gbk(record.senderProvince);
    values.senderCity = Gbk(record.senderCity);

    values.label = Gbk(record.labelText);
    values.settlement = Gbk(record.settlementInstruction);
    values.department = Gbk(record.department);
    values.remark = Gbk(record.remark);

    values.goodsDescription = Gbk(record.goodsDescription);
    values.goodsAlias = Gbk(record.goodsAlias);
    values.codeA = Gbk(record.goodsCodeA);
    values.codeB = Gbk(record.goodsCodeB);
    values.codeC = Gbk(record.goodsCodeC);
    values.duty = record.duty;
    values.taxRate = record.dutyRate;
    values.quantity = record.goodsQuantity;
    values.unitPrice = FromFixed(record.goodsUnitPrice, kMoneyScale);
    values.currency = Gbk(record.currency);
    values.goodsOrigin = Gbk(record.goodsOrigin);
    values.declaredValue = FromFixed(record.declaredValue, kMoneyScale);
    values.insuredValue = FromFixed(record.insuredValue, kMoneyScale);
    values.consignmentRemark = Gbk(record.consignmentRemark);
    values.packing = Gbk(record.packing);
    values.mark = record.mark == 1;

    values.collectFreight = record.collectFreight;
    values.codGoodsAmount = record.codGoodsAmount;
    values.codSettledAmount = record.codSettledAmount;

    panes.transferNumber = Gbk(record.transferNumber);
    panes.referenceNumber = Gbk(record.referenceNumber);
    panes.customsNumber = Gbk(record.customsNumber);
    panes.reservedText = Gbk(record.reservedText);
    panes.reservedNumber = record.reservedNumber;
    panes.spare1 = Gbk(record.spare1);
    panes.spare2 = Gbk(record.spare2);
    panes.spare3 = Gbk(record.spare3);
    panes.spare4 = Gbk(record.spare4);
    panes.spare5 = Gbk(record.spare5);
}

DestinationChoice SplitDestination(const DestinationRecord& row) {
    DestinationChoice choice;
    choice.language = row.firstNumber;
    if (!row.fourth.empty()) {
        choice.setsPostcode = true;
        choice.postcode = GbkToUtf16(row.fourth.view());
    }

    const std::string_view name = row.nameZh.view();
    const std::string_view code = row.code.view();
    bool chineseArea = false;
    for (std::string_view area : kChineseAreaCodes) chineseArea = chineseArea || code == area;

    if (choice.language != 0 && !chineseArea) {
        choice.setsProvinceAndCity = true;
        std::string_view country = name;
        for (const std::string& entry : CountryNames()) {
            if (!name.starts_with(entry)) continue;
            if (name.size() > entry.size()) {
                country = entry;
                choice.province = GbkToUtf16(name.substr(entry.size()));
            }
            break;
        }
        choice.country = GbkToUtf16(country);
        return choice;
    }

    choice.country = u"中国";
    for (const std::string& entry : ProvinceNames()) {
        if (!name.starts_with(entry)) continue;
        choice.setsProvinceAndCity = true;
        choice.province = GbkToUtf16(entry);
        const std::string_view rest = name.substr(entry.size());
        choice.city = GbkToUtf16(rest.size() > 2 ? rest : name);
        break;
    }
    return choice;
}

void ApplyDestinationChoice(const DestinationChoice& choice, PreEntryValues& values) {
    values.language = choice.language;
    if (choice.setsPostcode) values.receiverPostcode = choice.postcode;
    values.receiverCountry = choice.country;
    if (choice.setsProvinceAndCity) {
        values.receiverProvince = choice.province;
        values.receiverCity = choice.city;
    }
}

bool DestinationIsValid(const KindList& kinds, const std::u16string& kindName, const std::u16string& destination) {
    // The texts as the save stores them, so the saved record's list row
    // (UploadStatusText) agrees with the mark.
    return kinds.KindAcceptsDestination(ToGbkFolded(kindName), ToGbkFolded(destination));
}

}  // namespace tallux
