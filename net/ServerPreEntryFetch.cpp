#include "net/ServerPreEntryFetch.h"

#include "net/DecimalText.h"
#include "net/ResultCodes.h"

namespace tallux {
namespace {

class TaggedAnswer {
public:
    explicit TaggedAnswer(std::string_view text) : text_(text) {}

    std::string_view Value(std::string_view tag) const { return PreEntryTagValue(text_, tag); }
    std::int32_t Int(std::string_view tag) const { return ReadDecimalInt(Value(tag)); }
    std::uint8_t Byte(std::string_view tag) const { return static_cast<std::uint8_t>(Int(tag)); }
    double Real(std::string_view tag) const { return ReadDecimalReal(Value(tag)); }
    template <std::size_t N>
    void Text(std::string_view tag, FixedText<N>& field) const {
        field.assign(Value(tag));
    }

private:
    std::string_view text_;
};

// Lines of a detail element split at line feeds (a CR before one is
// dropped), each split at tabs. Reading stops at the first line shorter than
// minLength bytes or with fewer than fieldCount fields.
template <typename Handle>
void ForEachDetailLine(std::string_view detail, std::size_t minLength, std::size_t fieldCount, Handle handle) {
    std::vector<std::string_view> fields;
    while (!detail.empty()) {
        std::size_t lineFeed = detail.find('\n');
        std::string_view line = detail.substr(0, lineFeed);
        detail = lineFeed == std::string_view::npos ? std::string_view() : detail.substr(lineFeed + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() < minLength) return;
        fields.clear();
        for (std::size_t start = 0;;) {
            std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
        if (fields.size() < fieldCount) return;
        handle(fields);
    }
}

std::vector<GoodsLineRecord> ReadGoodsLines(std::string_view detail, std::int32_t parentId) {
    std::vector<GoodsLineRecord> lines;
    ForEachDetailLine(detail, 4, 9, [&](const std::vector<std::string_view>& f) {
        GoodsLineRecord line{};
        line.id = static_cast<std::int32_t>(lines.size() + 1);
        line.parentId = parentId;
        line.quantity = ReadDecimalInt(f[0]);
        line.unitPrice = ReadDecimalReal(f[1]);
        line.description.assign(f[2]);
        line.duty = ReadDecimalReal(f[3]);
        line.dutyRate = ReadDecimalReal(f[4]);
        line.alias.assign(f[5]);
        line.codeA.assign(f[6]);
        line.codeB.assign(f[7]);
        line.codeC.assign(f[8]);
        lines.push_back(line);
    });
    return lines;
}

std::vector<PieceWeightRecord> ReadPieces(std::string_view detail, std::int32_t parentId) {
    std::vector<PieceWeightRecord> pieces;
    ForEachDetailLine(detail, 11, 14, [&](const std::vector<std::string_view>& f) {
        PieceWeightRecord piece{};
        piece.id = static_cast<std::int32_t>(pieces.size() + 1);
        piece.parentId = parentId;
        piece.length = ReadDecimalInt(f[0]);
        piece.width = ReadDecimalInt(f[1]);
        piece.height = ReadDecimalInt(f[2]);
        piece.weightGrams = ReadDecimalInt(f[3]);
        piece.volumetricPercent = static_cast<std::uint8_t>(ReadDecimalInt(f[4]));
        piece.goodsQuantity = ReadDecimalInt(f[5]);
        piece.goodsUnitPrice = ReadDecimalInt(f[6]);
        piece.description.assign(f[7]);
        piece.duty = ReadDecimalReal(f[8]);
        piece.dutyRate = ReadDecimalReal(f[9]);
        piece.alias.assign(f[10]);
        piece.codeA.assign(f[11]);
        piece.codeB.assign(f[12]);
        piece.codeC.assign(f[13]);
        pieces.push_back(piece);
    });
    return pieces;
}

// "YYYY-MM-DD" (any separators): year, month and day at fixed positions.
void ReadDate(std::string_view date, ShipmentRecord& record) {
    auto at = [&](std::size_t pos) { return pos < date.size() ? ReadDecimalInt(date.substr(pos)) : 0; };
    record.businessYear = static_cast<std::uint16_t>(at(0));
    record.businessMonth = static_cast<std::uint8_t>(at(5));
    record.businessDay = static_cast<std::uint8_t>(at(8));
}

}  // namespace

std::string_view PreEntryTagValue(std::string_view answer, std::string_view tag) {
    std::string open = "\x07<" + std::string(tag) + ">";
    std::string close = "</" + std::string(tag) + ">\x07";
    std::size_t at = answer.find(open);
    if (at == std::string_view::npos) return {};
    std::size_t start = at + open.size();
    std::size_t end = answer.find(close, start);
    if (end == std::string_view::npos) return {};
    return answer.substr(start, end - start);
}

void ReadServerPreEntry(std::string_view answer, std::int32_t id, int detailFlags, ShipmentRecord& record,
                        std::vector<GoodsLineRecord>& goodsLines, std::vector<PieceWeightRecord>& pieces) {
    TaggedAnswer a(answer);
    record = ShipmentRecord{};
    record.id = id;
    record.receiverLanguage = a.Byte("LANGUAGE");
    record.itemType = a.Byte("ITEMTYPE");
    record.payment = a.Byte("PAYWAY");
    record.pieces = a.Int("ITEM");
    record.goodsQuantity = a.Int("QUANTITY");
    record.goodsUnitPrice = a.Int("GPRICE");
    record.declaredValue = a.Int("DVALUE");
    record.insuredValue = a.Int("IVALUE");
    record.reservedNumber = a.Int("IRESERVE");
    record.weight = a.Real("WEIGHT");
    record.fee = a.Real("AMOUNT");
    record.codGoodsAmount = a.Real("GOODST");
    record.codSettledAmount = a.Real("GOODSC");
    record.duty = a.Real("GCUSTOM");
    record.dutyRate = a.Real("GCRATE");
    ReadDate(a.Value("DATE"), record);
    a.Text("EMSKIND", record.expressKind);
    a.Text("ADDRFROM", record.origin);
    a.Text("DES", record.destination);
    a.Text("NUM", record.waybillNumber);
    a.Text("RNO", record.referenceNumber);
    a.Text("NO", record.transferNumber);
    a.Text("CNO", record.customsNumber);
    a.Text("CRESERVE", record.reservedText);
    a.Text("DEPART", record.department);
    a.Text("MARK", record.labelText);
    a.Text("MEMO", record.remark);
    a.Text("LWH", record.dimensions);
    a.Text("GOODS", record.goodsDescription);
    a.Text("PACK", record.packing);
    a.Text("TRANSNOTE", record.consignmentRemark);
    a.Text("MONEY", record.currency);
    a.Text("PAYDIR", record.settlementInstruction);
    a.Text("ORIGIN", record.goodsOrigin);
    a.Text("BY1", record.spare1);
    a.Text("BY2", record.spare2);
    a.Text("BY3", record.spare3);
    a.Text("BY4", record.spare4);
    a.Text("BY5", record.spare5);
    a.Text("SNAME", record.senderName);
    a.Text("SUNIT", record.senderCompany);
    a.Text("SADDR", record.senderAddress);
    a.Text("SPHONE", record.senderPhone);
    a.Text("SPOST", record.senderPostcode);
    a.Text("SCOUNTRY", record.senderCountry);
    a.Text("SPROVINCE", record.senderProvince);
    a.Text("SCITY", record.senderCity);
    a.Text("SEMAIL", record.senderEmail);
    a.Text("SSMS", record.senderSms);
    a.Text("RNAME", record.receiverName);
    a.Text("RUNIT", record.receiverCompany);
    a.Text("RADDR", record.receiverAddress);
    a.Text("RPHONE", record.receiverPhone);
    a.Text("RPOST", record.receiverPostcode);
    a.Text("RCOUNTRY", record.receiverCountry);
    a.Text("RPROVINCE", record.receiverProvince);
    a.Text("RCITY", record.receiverCity);
    a.Text("REMAIL", record.receiverEmail);
    a.Text("RSMS", record.receiverSms);
    a.Text("GOODSA", record.goodsAlias);
    a.Text("GCODEA", record.goodsCodeA);
    a.Text("GCODEB", record.goodsCodeB);
    a.Text("GCODEC", record.goodsCodeC);
    // RID and IID are sent too but carry nothing the record keeps.
    if (detailFlags % 10 >= kFetchGoodsLines) {
        goodsLines = ReadGoodsLines(a.Value("GOODSITEM_DETAIL"), id);
        record.goodsLineCount = static_cast<std::int32_t>(goodsLines.size());
    }
    if (detailFlags >= kFetchPieces) {
        pieces = ReadPieces(a.Value("WEIGHT_DETAIL"), id);
        record.pieceWeightCount = static_cast<std::int32_t>(pieces.size());
    }
}

PreEntryFetchResult FetchServerPreEntry(const TransactionContext& context, std::int32_t id, ShipmentRecord& record,
                                        std::vector<GoodsLineRecord>& goodsLines,
                                        std::vector<PieceWeightRecord>& pieces, int detailFlags) {
    std::string body = TransactionBody(context.Header(op::kFetchPreEntry, 2, id, 1), "..");
    TransactionAnswer answer = PostTransaction(context.server, body, kPreEntryAnswerSize, context.timeouts);
    PreEntryFetchResult result;
    if (!answer.Delivered()) {
        result.status = PreEntryFetchStatus::TransportFailed;
        result.code = answer.transport;
        result.message = "与服务器通讯失败。返回值：" + std::to_string(answer.transport);
        return result;
    }
    result.code = answer.code;
    if (answer.code < 0) {
        result.status = PreEntryFetchStatus::ServerFailed;
        result.message = "查询失败。返回值：" + std::to_string(answer.code);
        return result;
    }
    // 0 is "no record": a cleared record must not pass for the one asked for.
    if (answer.code == 0) {
        result.status = PreEntryFetchStatus::NotFound;
        result.message = ResultCodeText(0);
        return result;
    }
    ReadServerPreEntry(answer.Payload(), id, detailFlags, record, goodsLines, pieces);
    result.status = PreEntryFetchStatus::Found;
    return result;
}

}  // namespace tallux
