#pragma once

#include <string>

namespace tallux {

// Every value of the pre-entry form's own controls, as the operator sees
// them (texts UTF-16, numbers as typed into numeric fields), plus the three
// collect-charges values edited in their own dialog. This is also the set
// "整体拷贝" copies and "整体粘贴" restores.
struct PreEntryValues {
    int itemType = 1;  // 0 文件, 1 包裹, 2 防水袋
    int language = 0;  // 0 大陆, 1 华语, 2 外语
    std::u16string kindName;
    int pieces = 1;
    double weight = 0;  // kg
    std::u16string origin;
    double fee = 0;
    std::u16string destination;
    int payment = 1;  // 0 月结, 1 现付, 2 到付
    std::u16string waybill;
    std::u16string businessDate;  // "2024.01.05" as typed

    std::u16string receiverName;
    std::u16string receiverPostcode;
    std::u16string receiverPhone;
    std::u16string receiverEmail;
    std::u16string receiverSms;
    std::u16string receiverCompany;
    std::u16string receiverAddress;
    std::u16string receiverCountry;
    std::u16string receiverProvince;
    std::u16string receiverCity;

    std::u16string senderName;
    std::u16string senderPostcode;
    std::u16string senderPhone;
    std::u16string senderEmail;
    std::u16string senderSms;
    std::u16string senderCompany;
    std::u16string senderAddress;
    std::u16string senderCountry;
    std::u16string senderProvince;
    std::u16string senderCity;

    std::u16string label;
    std::u16string settlement = u"PP";  // "PP", "CC", "COD", "DP"
    std::u16string department;
    std::u16string remark;

    std::u16string goodsDescription;
    std::u16string goodsAlias;
    std::u16string codeA;
    std::u16string codeB;
    std::u16string codeC;
    double duty = 0;
    double taxRate = 0;
    int quantity = 1;
    double unitPrice = 1.0;
    std::u16string currency;
    std::u16string goodsOrigin;
    double declaredValue = 0;
    double insuredValue = 0;
    std::u16string consignmentRemark;
    std::u16string packing;
    bool mark = false;

    // Held outside the visible controls (the collect-charges dialog).
    double collectFreight = 0;
    double codGoodsAmount = 0;
    double codSettledAmount = 0;

    bool operator==(const PreEntryValues&) const = default;
};

// The two panes beside the goods area: extra numbers and spare fields.
struct PreEntryPaneValues {
    std::u16string transferNumber;
    std::u16string referenceNumber;
    std::u16string customsNumber;
    std::u16string reservedText;
    int reservedNumber = 0;
    std::u16string spare1;
    std::u16string spare2;
    std::u16string spare3;
    std::u16string spare4;
    std::u16string spare5;

    bool operator==(const PreEntryPaneValues&) const = default;
};

// The controls a failed check sends the focus to.
enum class PreEntryField {
    None,
    BusinessDate,
    KindName,
    Waybill,
    Origin,
    Department,
    Destination,
    GoodsDescription,
    Label,
    Remark,
    Currency,
    GoodsOrigin,
    Packing,
    ConsignmentRemark,
    Settlement,
    ReceiverAddress,
    ReceiverCity,
    ReceiverCountry,
    ReceiverName,
    ReceiverEmail,
    ReceiverPhone,
    ReceiverPostcode,
    ReceiverProvince,
    ReceiverSms,
    ReceiverCompany,
    SenderAddress,
    SenderCity,
    SenderCountry,
    SenderName,
    SenderEmail,
    SenderPhone,
    SenderPostcode,
    SenderProvince,
    SenderSms,
    SenderCompany,
    TransferNumber,
    ReferenceNumber,
    CustomsNumber,
    ReservedText,
    Spare1,
    Spare2,
    Spare3,
    Spare4,
    Spare5,
    GoodsAlias,
    CodeA,
    CodeB,
    CodeC,
    UnitPrice,
    DeclaredValue,
    InsuredValue,
};

}  // namespace tallux
