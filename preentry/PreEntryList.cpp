#include "preentry/PreEntryList.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "net/UploadRequests.h"
#include "text/GbkBytes.h"
#include "text/GbkCodec.h"
#include "text/StoredText.h"

namespace tallux {
namespace {

std::u16string Gbk(std::string_view gbk) { return GbkToUtf16(gbk); }

template <std::size_t N>
std::u16string Stored(const FixedText<N>& field) {
    return DecodeStoredText(field.view(), N);
}

std::u16string NameOf(int code, std::initializer_list<const char16_t*> names) {
    if (code < 0 || code >= static_cast<int>(names.size())) return {};
    return names.begin()[code];
}

std::u16string Number(long long value) { return Utf8ToUtf16(std::to_string(value)); }

std::u16string Date(const ShipmentRecord& shipment) {
    auto two = [](int value) {
        std::string text = std::to_string(value);
        return text.size() < 2 ? "0" + text : text;
    };
    return Utf8ToUtf16(std::to_string(static_cast<int>(shipment.businessYear)) + "-" + two(shipment.businessMonth) +
                       "-" + two(shipment.businessDay));
}

// A single-byte "?" at a character boundary: the trail byte of a double-byte
// character is never taken for one.
bool HasSingleByteQuestionMark(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size(); pos += GbkCharLength(text, pos))
        if (text[pos] == '?') return true;
    return false;
}

}  // namespace

bool ShownByFilter(const ShipmentRecord& shipment, int filter) {
    const bool marked = shipment.mark == 1;
    if (filter == kShowUnmarked) return !marked;
    if (filter == kShowMarked) return marked;
    return true;
}

std::string FixedDecimals(double value, int decimals) {
    if (!std::isfinite(value)) value = 0.0;
    char digits[400];
    const std::to_chars_result r =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return "0";
    return std::string(digits, r.ptr);
}

std::vector<std::u16string> PreEntryRowTexts(int rowNumber, const ShipmentRecord& shipment, const KindList& kinds) {
    return {
        Number(rowNumber),
        shipment.mark == 1 ? u"√" : u"",
        Utf8ToUtf16(UploadStatusText(shipment, kinds)),
        Date(shipment),
        Gbk(shipment.waybillNumber.view()),
        Gbk(shipment.transferNumber.view()),
        NameOf(shipment.itemType, {u"文件", u"包裹", u"防水袋"}),
        Number(shipment.pieces),
        Utf8ToUtf16(FixedDecimals(shipment.weight, 3)),
        Utf8ToUtf16(FixedDecimals(shipment.fee, 2)),
        Gbk(shipment.destination.view()),
        Gbk(shipment.expressKind.view()),
        NameOf(shipment.payment, {u"月结", u"现付", u"到付"}),
        Gbk(shipment.senderName.view()),
        Gbk(shipment.department.view()),
        Stored(shipment.receiverName),
        Stored(shipment.receiverAddress),
        Stored(shipment.receiverCountry),
        Stored(shipment.receiverProvince),
        Stored(shipment.receiverCity),
        Gbk(shipment.receiverPostcode.view()),
        Gbk(shipment.labelText.view()),
        Gbk(shipment.goodsDescription.view()),
        Gbk(shipment.consignmentRemark.view()),
        Number(shipment.goodsQuantity),
        Gbk(shipment.referenceNumber.view()),
        Gbk(shipment.customsNumber.view()),
        Gbk(shipment.reservedText.view()),
        Gbk(shipment.remark.view()),
        Gbk(shipment.spare1.view()),
        Gbk(shipment.spare2.view()),
        Gbk(shipment.spare3.view()),
        Gbk(shipment.spare4.view()),
        Gbk(shipment.spare5.view()),
    };
}

std::string_view QuestionMarkTag(const ShipmentRecord& s) {
    const std::pair<std::string_view, const char*> fields[] = {
        {s.expressKind.view(), "?类别"},
        {s.origin.view(), "?出发"},
        {s.destination.view(), "?目的"},
        {s.waybillNumber.view(), "?运单号"},
        {s.department.view(), "?部门"},
        {s.senderName.view(), "?发姓名"},
        {s.senderCompany.view(), "?发单位"},
        {s.senderAddress.view(), "?发地址"},
        {s.senderPhone.view(), "?发电话"},
        {s.senderPostcode.view(), "?发邮编"},
        {s.senderCountry.view(), "?发国家"},
        {s.senderProvince.view(), "?发省州"},
        {s.senderCity.view(), "?发城市"},
        {s.senderEmail.view(), "?发邮件"},
        {s.senderSms.view(), "?发短信"},
        {s.receiverName.view(), "?收姓名"},
        {s.receiverCompany.view(), "?收单位"},
        {s.receiverAddress.view(), "?收地址"},
        {s.receiverPhone.view(), "?收电话"},
        {s.receiverPostcode.view(), "?收邮编"},
        {s.receiverCountry.view(), "?收国家"},
        {s.receiverProvince.view(), "?收省州"},
        {s.receiverCity.view(), "?收城市"},
        {s.receiverEmail.view(), "?收邮件"},
        {s.receiverSms.view(), "?收短信"},
        {s.labelText.view(), "?标签"},
        {s.remark.view(), "?备注"},
        {s.goodsDescription.view(), "?品名"},
        {s.transferNumber.view(), "?转单号"},
        {s.customsNumber.view(), "?报关号"},
        {s.reservedText.view(), "?留用串"},
        {s.spare1.view(), "?备一"},
        {s.spare2.view(), "?备二"},
        {s.spare3.view(), "?备三"},
        {s.spare4.view(), "?备四"},
        {s.spare5.view(), "?备五"},
    };
    for (const auto& [text, tag] : fields)
        if (HasSingleByteQuestionMark(text)) return tag;
    return "ok";
}

}  // namespace tallux
