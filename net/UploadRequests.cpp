#include "net/UploadRequests.h"

#include <cstdio>

#include "net/ExpressKinds.h"
#include "net/SqlQuote.h"
#include "net/TransactionPost.h"
#include "text/GbkBytes.h"

namespace tallux {
namespace {

// The fixed argument 6 and check-scan argument 10; its meaning is the
// server's.
constexpr std::string_view kFixedMarks =
    "*A\x07"
    "B\x07"
    "C\x07"
    "D\x07";

// Builds a comma-separated argument list.
class Arguments {
public:
    Arguments& Text(std::string_view text) {
        Comma();
        out_ += '\'';
        SqlQuoteCopy(text, out_);
        out_ += '\'';
        return *this;
    }
    // SQL whose own quotes are already doubled by its format: it goes
    // between the quotes unchanged.
    Arguments& NestedSql(std::string_view sql) {
        Comma();
        out_ += '\'';
        out_ += sql;
        out_ += '\'';
        return *this;
    }
    Arguments& Integer(long long value) { return Number("%lld", value); }
    Arguments& Number(const char* format, auto value) {
        Comma();
        char text[64];
        std::snprintf(text, sizeof text, format, value);
        out_ += text;
        return *this;
    }
    std::string Take() { return std::move(out_); }

private:
    void Comma() {
        if (!first_) out_ += ',';
        first_ = false;
    }
    std::string out_;
    bool first_ = true;
};

std::string Printf(const char* format, auto... values) {
    const int size = std::snprintf(nullptr, 0, format, values...);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, values...);
    return text;
}

}  // namespace

std::string GoodsLinesSql(const std::vector<GoodsLineRecord>& goods, int memberMode) {
    if (goods.empty()) return {};
    std::string sql = memberMode == 1
                          ? "INSERT INTO varno.dbo.client_rec_goods(wpos,irid,cgoods,cunit,iquantity,fprice,cgoodsa,"
                            "cgcodea,cgcodeb,cgcodec,fgcustom,fgcrate)"
                          : "INSERT INTO varno.dbo.rec_pre_input_goods(wpos,iid,cgoods,cunit,iquantity,fprice,cgoodsa,"
                            "cgcodea,cgcodeb,cgcodec,fgcustom,fgcrate)";
    int row = 0;
    for (const GoodsLineRecord& line : goods) {
        sql += row == 0 ? " select " : " union all select ";
        sql += Printf("%d,#1234567#,''%s'','''',%d,%.2f,''%s'',''%s'',''%s'',''%s'',%.2f,%.4f ", row,
                      NestedSqlValue(line.description.view()).c_str(), static_cast<int>(line.quantity),
                      static_cast<double>(line.unitPrice), NestedSqlValue(line.alias.view()).c_str(),
                      NestedSqlValue(line.codeA.view()).c_str(), NestedSqlValue(line.codeB.view()).c_str(),
                      NestedSqlValue(line.codeC.view()).c_str(), static_cast<double>(line.duty),
                      static_cast<double>(line.dutyRate));
        ++row;
    }
    return sql;
}

std::string PieceWeightsSql(const std::vector<PieceWeightRecord>& pieces, int memberMode) {
    if (pieces.empty()) return {};
    std::string sql = memberMode == 1
                          ? "INSERT INTO varno.dbo.client_rec_weight_detail(irid,ilong,iwidth,iheight,iweight,npercent,"
                            "cno,famount,fcost,ibag,wpos,cgoods,iquantity,iprice,crno,cnum,cgoodsa,cgcodea,cgcodeb,"
                            "cgcodec,fgcustom,fgcrate)"
                          : "INSERT INTO varno.dbo.rec_pre_input_item(iid,ilong,iwidth,iheight,iweight,npercent,cno,"
                            "famount,fcost,ibag,wpos,cgoods,iquantity,iprice,crno,cgoodsa,cgcodea,cgcodeb,cgcodec,"
                            "fgcustom,fgcrate)";
    int row = 0;
    for (const PieceWeightRecord& piece : pieces) {
        sql += row == 0 ? " select " : " union all select ";
        const std::string description = NestedSqlValue(piece.description.view());
        const std::string alias = NestedSqlValue(piece.alias.view());
        const std::string codeA = NestedSqlValue(piece.codeA.view());
        const std::string codeB = NestedSqlValue(piece.codeB.view());
        const std::string codeC = NestedSqlValue(piece.codeC.view());
        if (memberMode == 1) {
            sql += Printf(
                "#1234567#,%d,%d,%d,%d,%d,'''',0,0,0,0,''%s'',%d,%d,'''','''',''%s'',''%s'',''%s'',''%s'',"
                "%.2f,%.4f",
                static_cast<int>(piece.length), static_cast<int>(piece.width), static_cast<int>(piece.height),
                static_cast<int>(piece.weightGrams), static_cast<int>(piece.volumetricPercent), description.c_str(),
                static_cast<int>(piece.goodsQuantity), static_cast<int>(piece.goodsUnitPrice), alias.c_str(),
                codeA.c_str(), codeB.c_str(), codeC.c_str(), static_cast<double>(piece.duty),
                static_cast<double>(piece.dutyRate));
        } else {
            sql += Printf(
                "#1234567#,%d,%d,%d,%d,%d,'''',0,0,0,%d,''%s'',%d,%d,'''',''%s'',''%s'',''%s'',''%s'',"
                "%.2f,%.4f",
                static_cast<int>(piece.length), static_cast<int>(piece.width), static_cast<int>(piece.height),
                static_cast<int>(piece.weightGrams), static_cast<int>(piece.volumetricPercent), row,
                description.c_str(), static_cast<int>(piece.goodsQuantity), static_cast<int>(piece.goodsUnitPrice),
                alias.c_str(), codeA.c_str(), codeB.c_str(), codeC.c_str(), static_cast<double>(piece.duty),
                static_cast<double>(piece.dutyRate));
        }
        ++row;
    }
    return sql;
}

std::string ShipmentArguments(const ShipmentRecord& s, std::string_view kindCode, int customerId, int memberMode,
                              const std::vector<GoodsLineRecord>& goods, const std::vector<PieceWeightRecord>& pieces) {
    const bool collect = s.payment == 2;
    Arguments a;
    a.Integer(customerId)
        .Integer(s.itemType)
        .Integer(s.receiverLanguage)
        .Text(Printf("%d.%02d.%02d", static_cast<int>(s.businessYear), static_cast<int>(s.businessMonth),
                     static_cast<int>(s.businessDay)))
        .Integer(s.payment)
        .Text(kFixedMarks)
        .Text(kindCode)
        .Text(s.origin.view())
        .Text(s.destination.view())
        .Text(s.waybillNumber.view())
        .Number("%.3f", static_cast<double>(s.weight))
        .Number("%.2f", static_cast<double>(s.fee))
        .Text(s.senderName.view())
        .Text(s.receiverName.view())
        .Text(s.receiverPhone.view())
        .Text(s.receiverCompany.view())
        .Text(s.receiverPostcode.view())
        .Text(s.receiverAddress.view())
        .Text(s.receiverCountry.view())
        .Text(s.receiverCity.view())
        .Text(s.receiverProvince.view())
        .Text(s.remark.view())
        .Text(s.dimensions.view())
        .Number("%.3f", static_cast<double>(s.actualWeight))
        .Text(s.goodsDescription.view())
        .Integer(s.goodsQuantity)
        .Integer(s.goodsUnitPrice)
        .Text(s.packing.view())
        .Text(s.consignmentRemark.view())
        .Integer(s.declaredValue)
        .Integer(s.insuredValue)
        .Text(s.currency.view())
        .Text(s.senderCompany.view())
        .Text(s.senderAddress.view())
        .Text(s.senderPhone.view())
        .Text(s.senderPostcode.view())
        .Text(s.senderCountry.view())
        .Text(s.senderProvince.view())
        .Text(s.senderCity.view())
        .Text(s.labelText.view())
        .Text(s.settlementInstruction.view())
        .Text(s.goodsOrigin.view())
        .Integer(s.pieces)
        .Text("");
    if (collect)
        a.Number("%.2f", static_cast<double>(s.fee)).Number("%.2f", static_cast<double>(s.collectFreight));
    else
        a.Integer(0).Integer(0);
    a.Text(s.senderSms.view())
        .Number("%.2f", static_cast<double>(s.codGoodsAmount))
        .Number("%.2f", static_cast<double>(s.codSettledAmount))
        .Text(s.department.view())
        .Text(s.senderEmail.view())
        .Text(s.receiverEmail.view())
        .Text(s.receiverSms.view())
        .Text(s.transferNumber.view())
        .Text(s.referenceNumber.view())
        .Text(s.customsNumber.view())
        .Text(s.reservedText.view())
        .Integer(s.reservedNumber)
        .Text(s.extraText.view())
        .Text(s.spare1.view())
        .Text(s.spare2.view())
        .Text(s.spare3.view())
        .Text(s.spare4.view())
        .Text(s.spare5.view());
    if (memberMode == 1) {
        a.NestedSql(PieceWeightsSql(pieces, 1)).NestedSql(GoodsLinesSql(goods, 1));
        a.Integer(0).Integer(0).Integer(0).Integer(0).Text("");
    } else {
        a.NestedSql(GoodsLinesSql(goods, 0)).NestedSql(PieceWeightsSql(pieces, 0));
    }
    a.Text(s.goodsAlias.view())
        .Text(s.goodsCodeA.view())
        .Text(s.goodsCodeB.view())
        .Text(s.goodsCodeC.view())
        .Number("%.2f", static_cast<double>(s.duty))
        .Number("%.4f", static_cast<double>(s.dutyRate));
    return a.Take();
}

std::optional<std::string> ShipmentUploadRequest(const TransactionContext& context, const ShipmentRecord& shipment,
                                                 const std::vector<GoodsLineRecord>& goods,
                                                 const std::vector<PieceWeightRecord>& pieces, const KindList& kinds) {
    if (shipment.destination.empty()) return std::nullopt;
    const ExpressKind* kind = kinds.FindKindByName(shipment.expressKind.view());
    if (!kind) return std::nullopt;
    const int memberMode = context.session.memberMode;
    std::string data = "{?=CALL varno.dbo.";
    data += memberMode == 1 ? kDirectRecordAddProcedure : kPreEntryAddProcedure;
    data += '(';
    data += ShipmentArguments(shipment, kind->code.view(), context.session.customerId, memberMode, goods, pieces);
    data += ")}";
    std::string body = TransactionBody(context.Header(op::kUploadPreEntry, 1, shipment.id, 1), data);
    if (body.size() > kUploadRequestLimit) return std::nullopt;
    return body;
}

std::optional<std::string> CheckScanUploadRequest(const TransactionContext& context, const CheckScanRecord& scan) {
    std::string data = "{?=CALL varno.dbo.cp_check_detail_";
    data += scan.language == 0 ? "scan_add" : scan.language == 1 ? "en_scan_add" : "scan_all";
    data += "_ec(?,?,?,?,?,?,?,?,?,?,?,?,?,?,";
    Arguments a;
    a.Integer(0)
        .Text(scan.waybillNumber.view())
        .Text(context.session.stationCode)
        .Text(scan.nextStation.view())
        .Integer(scan.eventType)
        .Text(scan.signingTime.view())
        .Text(scan.eventTime.view());
    if (scan.language == 0 || scan.language == 2) a.Text(scan.placeChinese.view()).Text(scan.detailChinese.view());
    if (scan.language == 1 || scan.language == 2) a.Text(scan.placeEnglish.view()).Text(scan.detailEnglish.view());
    a.Text(kFixedMarks).Text(scan.signer.view()).Integer(scan.flightPosition).Integer(scan.exceptionStatus);
    data += a.Take();
    data += ")}";
    std::string body = TransactionBody(context.Header(op::kUploadCheckScan, 1, scan.id, 1), data);
    if (body.size() > kUploadRequestLimit) return std::nullopt;
    return body;
}

std::string_view UploadStatusText(const ShipmentRecord& shipment, const KindList& kinds) {
    if (shipment.destination.empty()) return "目的地空";
    if (!kinds.FindKindByName(shipment.expressKind.view())) return "类别错误";
    // The rule of the form's validity mark; the server refuses the others.
    if (!kinds.KindAcceptsDestination(shipment.expressKind.view(), shipment.destination.view())) return "目的地不存在";
    if (FindAtCharBoundary(shipment.waybillNumber.view(), "XXXXX", true) != std::string_view::npos) return "整理单号";
    return "√";
}

bool UploadReady(std::string_view statusText) { return statusText == "√" || statusText == "整理单号"; }

std::string UploadFailureText(int code) {
    switch (code) {
    case -1: return "数据错误";
    case -2: return "单号重复";
    case -3: return "数据检查";
    default: break;
    }
    if (code < -8) return Printf("通讯错%d", code);
    return Printf("未知错误(Ret:%d)", code);
}

}  // namespace tallux
