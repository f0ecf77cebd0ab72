#include "preentry/PreEntryRecordBuilder.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <span>

#include "net/BaseData.h"
#include "preentry/NumberKeys.h"
#include "preentry/WaybillNumbers.h"
#include "text/FixedPoint.h"
#include "text/GbkCodec.h"
#include "text/TextCheck.h"

namespace tallux {
namespace {

constexpr std::size_t kShortWaybill = 6;         // characters; shorter ones get a generated number
constexpr std::size_t kShortTransferNumber = 7;  // characters; shorter ones take the waybill number
constexpr double kLeastWeight = 0.0001;          // kg

void UpperCase(std::u16string& text) {
    for (char16_t& unit : text)
        if (unit < 0xD800 || unit > 0xDFFF) unit = static_cast<char16_t>(u_toupper(unit));
}

// One text check of the save: the value, the record field, the byte limits,
// the name in the message, whether foreign characters are kept as
// references, and where the focus goes when it fails.
struct TextCheck {
    std::u16string* value;
    std::span<char> field;
    int minimum;
    int maximum;
    const char* name;
    bool foreign;
    PreEntryField focus;
};

template <std::size_t N>
std::span<char> Field(FixedText<N>& text) {
    return std::span<char>(text.bytes, N);
}

std::vector<TextCheck> TextChecks(PreEntryValues& v, PreEntryPaneValues& p, ShipmentRecord& r) {
    using F = PreEntryField;
    return {
        {&v.waybill, Field(r.waybillNumber), 7, 30, "运单号", false, F::Waybill},
        {&v.origin, Field(r.origin), 0, 62, "出发地", false, F::Origin},
        {&v.department, Field(r.department), 0, 30, "部门", false, F::Department},
        {&v.destination, Field(r.destination), 0, 62, "目的地", false, F::Destination},
        {&v.goodsDescription, Field(r.goodsDescription), 0, 254, "物品名称", false, F::GoodsDescription},
        {&v.label, Field(r.labelText), 0, 15, "标签", false, F::Label},
        {&v.remark, Field(r.remark), 0, 254, "备注", false, F::Remark},
        {&v.currency, Field(r.currency), 0, 3, "货币", false, F::Currency},
        {&v.goodsOrigin, Field(r.goodsOrigin), 0, 3, "原产地", false, F::GoodsOrigin},
        {&v.packing, Field(r.packing), 0, 15, "包装", false, F::Packing},
        {&v.consignmentRemark, Field(r.consignmentRemark), 0, 63, "托运备注", false, F::ConsignmentRemark},
        {&v.settlement, Field(r.settlementInstruction), 0, 3, "结算指示", false, F::Settlement},
        {&v.receiverAddress, Field(r.receiverAddress), 5, 254, "收件地址", true, F::ReceiverAddress},
        {&v.receiverCity, Field(r.receiverCity), 0, 126, "收件城市", true, F::ReceiverCity},
        {&v.receiverCountry, Field(r.receiverCountry), 0, 126, "收件国家", true, F::ReceiverCountry},
        {&v.receiverName, Field(r.receiverName), 1, 62, "收件人", true, F::ReceiverName},
        {&v.receiverEmail, Field(r.receiverEmail), 0, 62, "收件E-Mail", false, F::ReceiverEmail},
        {&v.receiverPhone, Field(r.receiverPhone), 7, 62, "收件电话", false, F::ReceiverPhone},
        {&v.receiverPostcode, Field(r.receiverPostcode), 0, 15, "收件邮编", false, F::ReceiverPostcode},
        {&v.receiverProvince, Field(r.receiverProvince), 0, 62, "收件省州", true, F::ReceiverProvince},
        {&v.receiverSms, Field(r.receiverSms), 0, 22, "收件短信", false, F::ReceiverSms},
        {&v.receiverCompany, Field(r.receiverCompany), 0, 254, "收件单位", true, F::ReceiverCompany},
        {&v.senderAddress, Field(r.senderAddress), 0, 126, "发件地址", false, F::SenderAddress},
        {&v.senderCity, Field(r.senderCity), 0, 63, "发件城市", false, F::SenderCity},
        {&v.senderCountry, Field(r.senderCountry), 0, 62, "发件国家", false, F::SenderCountry},
        {&v.senderName, Field(r.senderName), 0, 30, "发件人", false, F::SenderName},
        {&v.senderEmail, Field(r.senderEmail), 0, 62, "发件E-Mail", false, F::SenderEmail},
        {&v.senderPhone, Field(r.senderPhone), 0, 62, "发件电话", false, F::SenderPhone},
        {&v.senderPostcode, Field(r.senderPostcode), 0, 15, "发件邮编", false, F::SenderPostcode},
        {&v.senderProvince, Field(r.senderProvince), 0, 30, "发件省州", false, F::SenderProvince},
        {&v.senderSms, Field(r.senderSms), 0, 22, "发件短信", false, F::SenderSms},
        {&v.senderCompany, Field(r.senderCompany), 0, 126, "发件单位", false, F::SenderCompany},
        {&p.transferNumber, Field(r.transferNumber), 0, 30, "转单号", false, F::TransferNumber},
        {&p.referenceNumber, Field(r.referenceNumber), 0, 30, "参考号", false, F::ReferenceNumber},
        {&p.customsNumber, Field(r.customsNumber), 0, 30, "报关号", false, F::CustomsNumber},
        {&p.reservedText, Field(r.reservedText), 0, 30, "留用串", false, F::ReservedText},
        {&p.spare1, Field(r.spare1), 0, 62, "备用一", false, F::Spare1},
        {&p.spare2, Field(r.spare2), 0, 62, "备用二", false, F::Spare2},
        {&p.spare3, Field(r.spare3), 0, 62, "备用三", false, F::Spare3},
        {&p.spare4, Field(r.spare4), 0, 62, "备用四", false, F::Spare4},
        {&p.spare5, Field(r.spare5), 0, 254, "备用五", false, F::Spare5},
        {&v.goodsAlias, Field(r.goodsAlias), 0, 254, "物品别名", false, F::GoodsAlias},
        {&v.codeA, Field(r.goodsCodeA), 0, 62, "物品甲码", false, F::CodeA},
        {&v.codeB, Field(r.goodsCodeB), 0, 62, "物品乙码", false, F::CodeB},
        {&v.codeC, Field(r.goodsCodeC), 0, 62, "物品丙码", false, F::CodeC},
    };
}

// Reads a run of digits at pos after skipping non-digits; 0 when none.
// Values too large for a date saturate instead of overflowing.
int NextNumber(std::u16string_view text, std::size_t& pos) {
    while (pos < text.size() && (text[pos] < u'0' || text[pos] > u'9')) ++pos;
    long long value = 0;
    for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos)
        value = std::min<long long>(value * 10 + (text[pos] - u'0'), 1'000'000);
    return static_cast<int>(value);
}

// The waybill field of a new number: generated (with its extras) when the
// operator typed 6 characters or fewer, else upper-cased.
void PrepareWaybill(PreEntryValues& values, PreEntryPaneValues& panes, const PreEntryBuildInput& input,
                    const ShipmentRecord& record) {
    if (values.waybill.size() > kShortWaybill) {
        UpperCase(values.waybill);
        return;
    }
    if (!input.numbers) return;
    const std::string kind(record.expressKind.view());
    int mode = -1;
    NumberExtras extras{};
    const std::string number = GenerateWaybillNumber(*input.numbers, kind, 0, true, mode, extras);
    if (number.empty()) return;
    values.waybill = GbkToUtf16(number);
    const std::pair<std::u16string*, std::string_view> fills[] = {
        {&panes.reservedText, extras.reserved.view()}, {&panes.spare1, extras.spare1.view()},
        {&panes.spare2, extras.spare2.view()},         {&panes.spare3, extras.spare3.view()},
        {&panes.spare4, extras.spare4.view()},         {&panes.spare5, extras.spare5.view()},
    };
    for (const auto& [field, text] : fills)
        if (!text.empty()) *field = GbkToUtf16(text);
    if (mode >= 0 && mode == TransferKindNumber(input.data, kind) && panes.transferNumber.size() < kShortTransferNumber)
        panes.transferNumber = values.waybill;
}

std::optional<PreEntryCheckFailure> StoreAmount(double value, const char* name, PreEntryField field,
                                                std::int32_t& destination) {
    const std::optional<std::int32_t> fixed = ToFixed(value, kMoneyScale);
    if (!fixed) return PreEntryCheckFailure{"[" + std::string(name) + "]" + kFixedOutOfRange + "。", field};
    destination = *fixed;
    return std::nullopt;
}

}  // namespace

std::optional<PreEntryCheckFailure> ParseBusinessDate(std::u16string& text, int& year, int& month, int& day) {
    std::array<char, 32> stored{};
    if (auto message = CheckAndStoreText(text, stored, 8, 30, "业务日期", false))
        return PreEntryCheckFailure{*message, PreEntryField::BusinessDate};
    std::size_t pos = 0;
    year = NextNumber(text, pos);
    month = NextNumber(text, pos);
    day = NextNumber(text, pos);
    const std::chrono::year_month_day date{std::chrono::year{std::min(year, 32767)},
                                           std::chrono::month{static_cast<unsigned>(std::min(month, 255))},
                                           std::chrono::day{static_cast<unsigned>(std::min(day, 255))}};
    if (year < 100 || year > 9999 || !date.ok())
        return PreEntryCheckFailure{kInvalidBusinessDate, PreEntryField::BusinessDate};
    return std::nullopt;
}

void ApplyPieceWeights(ShipmentRecord& record, const std::vector<PieceWeightRecord>& pieces, char volumetricLetter) {
    record.actualWeight = static_cast<double>(record.weight);
    if (pieces.size() == 1) {
        const PieceWeightRecord& piece = pieces.front();
        const auto fits = [](std::int32_t side) { return side > 0 && side <= kMaxPieceDimension; };
        if (fits(piece.length) && fits(piece.width) && fits(piece.height)) {
            char text[16];
            std::snprintf(text, sizeof text, "%d*%d*%d", static_cast<int>(piece.length), static_cast<int>(piece.width),
                          static_cast<int>(piece.height));
            record.dimensions.assign(text);
            const double kg = piece.weightGrams / 1000.0;
            if (kg > kLeastWeight) record.actualWeight = kg;
        }
    } else if (pieces.size() >= 2) {
        const std::size_t counted =
            std::min<std::size_t>(static_cast<std::size_t>(std::max<std::int32_t>(record.pieces, 0)), pieces.size());
        double sum = 0;
        for (std::size_t i = 0; i < counted; ++i) sum += pieces[i].weightGrams / 1000.0;
        if (sum > kLeastWeight) record.actualWeight = sum;
    }
    if (volumetricLetter == 'D' || volumetricLetter == 'T' || volumetricLetter == 'E') {
        std::string text(record.dimensions.view());
        text += volumetricLetter;
        record.dimensions.assign(text);
    }
}

std::optional<PreEntryCheckFailure> BuildShipmentRecord(PreEntryValues& values, PreEntryPaneValues& panes,
                                                        const PreEntryBuildInput& input, ShipmentRecord& record) {
    std::memset(&record, 0, sizeof record);
    record.id = input.currentId;

    int year = 0, month = 0, day = 0;
    if (auto failure = ParseBusinessDate(values.businessDate, year, month, day)) return failure;
    record.businessYear = static_cast<std::uint16_t>(year);
    record.businessMonth = static_cast<std::uint8_t>(month);
    record.businessDay = static_cast<std::uint8_t>(day);

    if (auto message = CheckAndStoreText(values.kindName, Field(record.expressKind), 0, 15, "快递类别", false))
        return PreEntryCheckFailure{*message, PreEntryField::KindName};

    PrepareWaybill(values, panes, input, record);
    UpperCase(values.receiverPostcode);
    UpperCase(values.senderPostcode);
    UpperCase(panes.transferNumber);

    for (const TextCheck& check : TextChecks(values, panes, record)) {
        if (auto message =
                CheckAndStoreText(*check.value, check.field, check.minimum, check.maximum, check.name, check.foreign))
            return PreEntryCheckFailure{*message, check.focus};
    }

    record.duty = values.duty;
    record.dutyRate = values.taxRate;
    record.reservedNumber = panes.reservedNumber;
    record.fee = values.fee;
    record.collectFreight = values.collectFreight;
    record.codGoodsAmount = values.codGoodsAmount;
    record.codSettledAmount = values.codSettledAmount;
    record.weight = values.weight;
    std::int32_t declared = 0, insured = 0, unitPrice = 0;
    if (auto failure = StoreAmount(values.declaredValue, "申明价", PreEntryField::DeclaredValue, declared))
        return failure;
    if (auto failure = StoreAmount(values.insuredValue, "保价", PreEntryField::InsuredValue, insured)) return failure;
    if (auto failure = StoreAmount(values.unitPrice, "单价", PreEntryField::UnitPrice, unitPrice)) return failure;
    record.declaredValue = declared;
    record.insuredValue = insured;
    record.goodsUnitPrice = unitPrice;
    record.itemType = static_cast<std::uint8_t>(values.itemType);
    record.pieces = values.pieces;
    record.receiverLanguage = static_cast<std::uint8_t>(values.language);
    record.goodsQuantity = values.quantity;
    record.payment = static_cast<std::uint8_t>(values.payment);
    record.mark = values.mark ? 1 : 0;
    record.goodsLineCount = static_cast<std::int32_t>(input.goods.size());
    record.pieceWeightCount = static_cast<std::int32_t>(input.pieces.size());

    ApplyPieceWeights(record, input.pieces, input.data.volumetricLetter);
    return std::nullopt;
}

}  // namespace tallux
