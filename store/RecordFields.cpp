#include "store/RecordFields.h"

#include <cstring>
#include <type_traits>

#include "store/CheckScanRecord.h"
#include "store/ContactRecord.h"
#include "store/GoodsLineRecord.h"
#include "store/GoodsNameRecord.h"
#include "store/PieceWeightRecord.h"
#include "store/ShipmentRecord.h"

namespace tallux {
namespace {

template <typename T>
struct IsFixedText : std::false_type {};
template <std::size_t N>
struct IsFixedText<FixedText<N>> : std::true_type {};

template <typename T>
constexpr FieldKind KindOf() {
    if constexpr (IsFixedText<T>::value)
        return FieldKind::Text;
    else if constexpr (std::is_same_v<T, le::Int32>)
        return FieldKind::Int32;
    else if constexpr (std::is_same_v<T, le::UInt16>)
        return FieldKind::UInt16;
    else if constexpr (std::is_same_v<T, le::Float64>)
        return FieldKind::Float64;
    else {
        static_assert(std::is_same_v<T, std::uint8_t>, "field type without a kind");
        return FieldKind::UInt8;
    }
}

// clang-format off
#define FIELD(R, f) FieldInfo{#f, offsetof(R, f), sizeof(R::f), KindOf<decltype(R::f)>()}
#define STORED_TEXT(R, f) FieldInfo{#f, offsetof(R, f), sizeof(R::f), FieldKind::Text, true}
// clang-format on

constexpr FieldInfo kShipmentFields[] = {
    FIELD(ShipmentRecord, id),
    FIELD(ShipmentRecord, businessYear),
    FIELD(ShipmentRecord, businessMonth),
    FIELD(ShipmentRecord, businessDay),
    FIELD(ShipmentRecord, itemType),
    FIELD(ShipmentRecord, receiverLanguage),
    FIELD(ShipmentRecord, payment),
    FIELD(ShipmentRecord, goodsQuantity),
    FIELD(ShipmentRecord, goodsUnitPrice),
    FIELD(ShipmentRecord, declaredValue),
    FIELD(ShipmentRecord, insuredValue),
    FIELD(ShipmentRecord, pieces),
    FIELD(ShipmentRecord, weight),
    FIELD(ShipmentRecord, fee),
    FIELD(ShipmentRecord, collectFreight),
    FIELD(ShipmentRecord, actualWeight),
    FIELD(ShipmentRecord, codGoodsAmount),
    FIELD(ShipmentRecord, codSettledAmount),
    FIELD(ShipmentRecord, expressKind),
    FIELD(ShipmentRecord, origin),
    FIELD(ShipmentRecord, destination),
    FIELD(ShipmentRecord, waybillNumber),
    FIELD(ShipmentRecord, referenceNumber),
    FIELD(ShipmentRecord, department),
    FIELD(ShipmentRecord, senderName),
    FIELD(ShipmentRecord, senderCompany),
    FIELD(ShipmentRecord, senderAddress),
    FIELD(ShipmentRecord, senderPhone),
    FIELD(ShipmentRecord, senderPostcode),
    FIELD(ShipmentRecord, senderCountry),
    FIELD(ShipmentRecord, senderProvince),
    FIELD(ShipmentRecord, senderCity),
    FIELD(ShipmentRecord, senderEmail),
    FIELD(ShipmentRecord, senderSms),
    STORED_TEXT(ShipmentRecord, receiverName),
    STORED_TEXT(ShipmentRecord, receiverCompany),
    STORED_TEXT(ShipmentRecord, receiverAddress),
    FIELD(ShipmentRecord, receiverPhone),
    FIELD(ShipmentRecord, receiverPostcode),
    STORED_TEXT(ShipmentRecord, receiverCountry),
    STORED_TEXT(ShipmentRecord, receiverProvince),
    STORED_TEXT(ShipmentRecord, receiverCity),
    FIELD(ShipmentRecord, receiverEmail),
    FIELD(ShipmentRecord, receiverSms),
    FIELD(ShipmentRecord, labelText),
    FIELD(ShipmentRecord, remark),
    FIELD(ShipmentRecord, dimensions),
    FIELD(ShipmentRecord, goodsDescription),
    FIELD(ShipmentRecord, packing),
    FIELD(ShipmentRecord, consignmentRemark),
    FIELD(ShipmentRecord, currency),
    FIELD(ShipmentRecord, settlementInstruction),
    FIELD(ShipmentRecord, goodsOrigin),
    FIELD(ShipmentRecord, transferNumber),
    FIELD(ShipmentRecord, customsNumber),
    FIELD(ShipmentRecord, reservedText),
    FIELD(ShipmentRecord, extraText),
    FIELD(ShipmentRecord, spare1),
    FIELD(ShipmentRecord, spare2),
    FIELD(ShipmentRecord, spare3),
    FIELD(ShipmentRecord, spare4),
    FIELD(ShipmentRecord, spare5),
    FIELD(ShipmentRecord, reservedNumber),
    FIELD(ShipmentRecord, goodsAlias),
    FIELD(ShipmentRecord, goodsCodeA),
    FIELD(ShipmentRecord, goodsCodeB),
    FIELD(ShipmentRecord, goodsCodeC),
    FIELD(ShipmentRecord, duty),
    FIELD(ShipmentRecord, dutyRate),
    FIELD(ShipmentRecord, goodsLineCount),
    FIELD(ShipmentRecord, pieceWeightCount),
    FIELD(ShipmentRecord, mark),
};

constexpr FieldInfo kGoodsLineFields[] = {
    FIELD(GoodsLineRecord, id),       FIELD(GoodsLineRecord, parentId),  FIELD(GoodsLineRecord, description),
    FIELD(GoodsLineRecord, quantity), FIELD(GoodsLineRecord, unitPrice), FIELD(GoodsLineRecord, alias),
    FIELD(GoodsLineRecord, codeA),    FIELD(GoodsLineRecord, codeB),     FIELD(GoodsLineRecord, codeC),
    FIELD(GoodsLineRecord, duty),     FIELD(GoodsLineRecord, dutyRate),
};

constexpr FieldInfo kPieceWeightFields[] = {
    FIELD(PieceWeightRecord, id),
    FIELD(PieceWeightRecord, parentId),
    FIELD(PieceWeightRecord, length),
    FIELD(PieceWeightRecord, width),
    FIELD(PieceWeightRecord, height),
    FIELD(PieceWeightRecord, weightGrams),
    FIELD(PieceWeightRecord, volumetricPercent),
    FIELD(PieceWeightRecord, goodsQuantity),
    FIELD(PieceWeightRecord, goodsUnitPrice),
    FIELD(PieceWeightRecord, description),
    FIELD(PieceWeightRecord, pieceReference),
    FIELD(PieceWeightRecord, pieceWaybill),
    FIELD(PieceWeightRecord, pieceTransfer),
    FIELD(PieceWeightRecord, alias),
    FIELD(PieceWeightRecord, codeA),
    FIELD(PieceWeightRecord, codeB),
    FIELD(PieceWeightRecord, codeC),
    FIELD(PieceWeightRecord, duty),
    FIELD(PieceWeightRecord, dutyRate),
};

constexpr FieldInfo kCheckScanFields[] = {
    FIELD(CheckScanRecord, id),
    FIELD(CheckScanRecord, language),
    FIELD(CheckScanRecord, eventType),
    FIELD(CheckScanRecord, flightPosition),
    FIELD(CheckScanRecord, exceptionStatus),
    FIELD(CheckScanRecord, waybillNumber),
    FIELD(CheckScanRecord, nextStation),
    FIELD(CheckScanRecord, eventTime),
    FIELD(CheckScanRecord, placeChinese),
    FIELD(CheckScanRecord, detailChinese),
    FIELD(CheckScanRecord, placeEnglish),
    FIELD(CheckScanRecord, detailEnglish),
    FIELD(CheckScanRecord, signer),
    FIELD(CheckScanRecord, signingTime),
};

constexpr FieldInfo kContactFields[] = {
    FIELD(ContactRecord, id),       FIELD(ContactRecord, code),    FIELD(ContactRecord, name),
    FIELD(ContactRecord, company),  FIELD(ContactRecord, address), FIELD(ContactRecord, phone),
    FIELD(ContactRecord, postcode), FIELD(ContactRecord, country), FIELD(ContactRecord, province),
    FIELD(ContactRecord, city),     FIELD(ContactRecord, email),   FIELD(ContactRecord, sms),
    FIELD(ContactRecord, remark),
};

constexpr FieldInfo kGoodsNameFields[] = {
    FIELD(GoodsNameRecord, sequence),
    FIELD(GoodsNameRecord, code),
    FIELD(GoodsNameRecord, chineseName),
    FIELD(GoodsNameRecord, englishName),
};

#undef FIELD
#undef STORED_TEXT

}  // namespace

const RecordLayout& ShipmentLayout() {
    static const RecordLayout layout{"shipment", sizeof(ShipmentRecord), kShipmentFields};
    return layout;
}
const RecordLayout& GoodsLineLayout() {
    static const RecordLayout layout{"goods line", sizeof(GoodsLineRecord), kGoodsLineFields};
    return layout;
}
const RecordLayout& PieceWeightLayout() {
    static const RecordLayout layout{"piece weight", sizeof(PieceWeightRecord), kPieceWeightFields};
    return layout;
}
const RecordLayout& CheckScanLayout() {
    static const RecordLayout layout{"check scan", sizeof(CheckScanRecord), kCheckScanFields};
    return layout;
}
const RecordLayout& ContactLayout() {
    static const RecordLayout layout{"contact", sizeof(ContactRecord), kContactFields};
    return layout;
}
const RecordLayout& GoodsNameLayout() {
    static const RecordLayout layout{"goods name", sizeof(GoodsNameRecord), kGoodsNameFields};
    return layout;
}

double NumberField(const void* record, const FieldInfo& field) {
    const auto* at = static_cast<const unsigned char*>(record) + field.offset;
    switch (field.kind) {
    case FieldKind::Int32: return reinterpret_cast<const le::Int32*>(at)->get();
    case FieldKind::UInt16: return reinterpret_cast<const le::UInt16*>(at)->get();
    case FieldKind::UInt8: return *at;
    case FieldKind::Float64: return reinterpret_cast<const le::Float64*>(at)->get();
    case FieldKind::Text: break;
    }
    return 0;
}

std::string_view TextField(const void* record, const FieldInfo& field) {
    const char* at = static_cast<const char*>(record) + field.offset;
    const void* nul = std::memchr(at, '\0', field.size);
    return std::string_view(at, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - at) : field.size);
}

void SetTextField(void* record, const FieldInfo& field, std::string_view text) {
    char* at = static_cast<char*>(record) + field.offset;
    std::string_view cut = CutAtCharBoundary(text, field.size - 1);
    std::memset(at, 0, field.size);
    if (!cut.empty()) std::memcpy(at, cut.data(), cut.size());
}

bool TextFieldTerminated(const void* record, const FieldInfo& field) {
    return std::memchr(static_cast<const char*>(record) + field.offset, '\0', field.size) != nullptr;
}

}  // namespace tallux
