#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "net/ExpressKinds.h"
#include "net/UploadRequests.h"
#include "net/UploadWorker.h"
#include "tests/net/TransactionTestSupport.h"
#include "tests/support/GbkText.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using test::G;

// The arguments of "{?=CALL name(args)}", split at the commas outside
// quotes; quoted ones are returned without their quotes, still doubled.
std::vector<std::string> CallArguments(std::string_view body, std::string* procedure = nullptr) {
    const std::size_t call = body.find("CALL varno.dbo.");
    const std::size_t open = body.find('(', call);
    if (procedure) *procedure = std::string(body.substr(call + 15, open - call - 15));
    const std::size_t close = body.rfind(")}");
    std::vector<std::string> out;
    std::string current;
    bool quoted = false;
    for (std::size_t i = open + 1; i < close; ++i) {
        const char c = body[i];
        if (quoted) {
            if (c == '\'' && i + 1 < close && body[i + 1] == '\'') {
                current += "''";
                ++i;
            } else if (c == '\'') {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == '\'') {
            quoted = true;
        } else if (c == ',') {
            out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    out.push_back(current);
    return out;
}

ShipmentRecord Shipment() {
    ShipmentRecord s{};
    s.id = 12;
    s.businessYear = 2024;
    s.businessMonth = 1;
    s.businessDay = 5;
    s.itemType = 1;
    s.receiverLanguage = 2;
    s.payment = 2;
    s.expressKind = G("国际特快专递");
    s.destination = G("美国");
    s.waybillNumber = "TL0000012";
    s.weight = 1.5;
    s.actualWeight = 1.25;
    s.fee = 88.5;
    s.collectFreight = 80;
    s.receiverName = "O'Brien";
    s.goodsUnitPrice = 1999;
    s.goodsQuantity = 2;
    s.currency = "USD";
    s.reservedNumber = 9;
    s.spare5 = "last";
    s.goodsCodeC = "C3";
    s.duty = 1.5;
    s.dutyRate = 0.13;
    return s;
}

GoodsLineRecord Goods(const char* description, int quantity, double price) {
    GoodsLineRecord line{};
    line.description = description;
    line.quantity = quantity;
    line.unitPrice = price;
    return line;
}

class UploadRequestTest : public ::testing::Test {
protected:
    UploadRequestTest() { kinds.Append("GJTK", G("国际特快专递")); }

    std::string Request(const ShipmentRecord& shipment, const std::vector<GoodsLineRecord>& goods = {},
                        const std::vector<PieceWeightRecord>& pieces = {}) {
        TransactionContext context = test::TestContext(server, session);
        auto body = ShipmentUploadRequest(context, shipment, goods, pieces, kinds);
        EXPECT_TRUE(body.has_value());
        return body.value_or("");
    }

    ServerAddress server{"127.0.0.1", 9};
    SessionValues session = test::TestSession();
    KindList kinds;
};

TEST_F(UploadRequestTest, PreEntryMemberCallCarriesEveryArgumentInOrder) {
    session.customerId = 321;
    const std::vector<GoodsLineRecord> goods = {Goods("Kid's shoes", 2, 10), Goods("socks", 3, 1.5)};
    const std::string body = Request(Shipment(), goods);
    EXPECT_EQ(body.rfind("<WER>1</WER><WCID>8001</WCID><AC>acc01</AC><OP>0</OP><ID>12</ID><NUMBER>1</NUMBER>"
                         "<LCID>2052</LCID><RAND>4711</RAND><DATA>{?=CALL varno.dbo.",
                         0),
              0u);
    EXPECT_EQ(body.substr(body.size() - 11), ")}\x07</DATA>\n");
    std::string procedure;
    const std::vector<std::string> args = CallArguments(body, &procedure);
    EXPECT_EQ(procedure, "cp_rec_pre_input_add_ec_exx");
    ASSERT_EQ(args.size(), 72u);
    const std::map<int, std::string> expected = {
        {1, "321"},
        {2, "1"},
        {3, "2"},
        {4, "2024.01.05"},
        {5, "2"},
        {6,
         "*A\x07"
         "B\x07"
         "C\x07"
         "D\x07"},
        {7, "GJTK"},
        {9, G("美国")},
        {10, "TL0000012"},
        {11, "1.500"},
        {12, "88.50"},
        {14, "O''Brien"},
        {24, "1.250"},
        {26, "2"},
        {27, "1999"},
        {32, "USD"},
        {44, ""},
        {45, "88.50"},
        {46, "80.00"},
        {58, "9"},
        {64, "last"},
        {70, "C3"},
        {71, "1.50"},
        {72, "0.1300"},
    };
    for (const auto& [number, value] : expected) EXPECT_EQ(args[number - 1], value) << "argument " << number;
    // Goods first, then the (empty) pieces; a quote in a child becomes a backquote.
    EXPECT_EQ(args[64],
              "INSERT INTO varno.dbo.rec_pre_input_goods(wpos,iid,cgoods,cunit,iquantity,fprice,cgoodsa,cgcodea,"
              "cgcodeb,cgcodec,fgcustom,fgcrate) select 0,#1234567#,''Kid`s shoes'','''',2,10.00,'''','''','''','''',"
              "0.00,0.0000  union all select 1,#1234567#,''socks'','''',3,1.50,'''','''','''','''',0.00,0.0000 ");
    EXPECT_EQ(args[65], "");
    EXPECT_EQ(goods[0].description.view(), "Kid's shoes");  // the caller's records stay as they are
}

TEST_F(UploadRequestTest, DirectMemberCallOrdersTheTailDifferently) {
    session.memberMode = 1;
    ShipmentRecord shipment = Shipment();
    shipment.payment = 1;  // not collect: the two collect amounts go as 0
    PieceWeightRecord piece{};
    piece.length = 10;
    piece.width = 20;
    piece.height = 30;
    piece.weightGrams = 1500;
    piece.volumetricPercent = 100;
    piece.description = "box's";
    piece.goodsQuantity = 1;
    piece.goodsUnitPrice = 250;
    std::string procedure;
    const std::vector<std::string> args = CallArguments(Request(shipment, {}, {piece, piece}), &procedure);
    EXPECT_EQ(procedure, "cp_client_rec_add_ec_exx");
    ASSERT_EQ(args.size(), 77u);
    EXPECT_EQ(args[44], "0");
    EXPECT_EQ(args[45], "0");
    EXPECT_EQ(
        args[64],
        "INSERT INTO varno.dbo.client_rec_weight_detail(irid,ilong,iwidth,iheight,iweight,npercent,cno,famount,"
        "fcost,ibag,wpos,cgoods,iquantity,iprice,crno,cnum,cgoodsa,cgcodea,cgcodeb,cgcodec,fgcustom,fgcrate) "
        "select #1234567#,10,20,30,1500,100,'''',0,0,0,0,''box`s'',1,250,'''','''','''','''','''','''',0.00,0.0000"
        " union all select #1234567#,10,20,30,1500,100,'''',0,0,0,0,''box`s'',1,250,'''','''','''','''','''','''',"
        "0.00,0.0000");
    EXPECT_EQ(args[65], "");  // no goods lines
    for (int i = 66; i < 70; ++i) EXPECT_EQ(args[static_cast<std::size_t>(i)], "0");
    EXPECT_EQ(args[70], "");
    EXPECT_EQ(args[74], "C3");
    EXPECT_EQ(args[76], "0.1300");
}

TEST_F(UploadRequestTest, PreEntryPiecesCarryTheirRowNumber) {
    PieceWeightRecord piece{};
    piece.weightGrams = 1000;
    const std::string sql = PieceWeightsSql({piece, piece}, 0);
    EXPECT_NE(sql.find("select #1234567#,0,0,0,1000,0,'''',0,0,0,0,''"), std::string::npos);
    EXPECT_NE(sql.find("union all select #1234567#,0,0,0,1000,0,'''',0,0,0,1,''"), std::string::npos);
    EXPECT_EQ(GoodsLinesSql({}, 0), "");
}

TEST_F(UploadRequestTest, ShipmentsThatCannotBeSentGiveNoRequest) {
    TransactionContext context = test::TestContext(server, session);
    ShipmentRecord noDestination = Shipment();
    noDestination.destination = "";
    EXPECT_FALSE(ShipmentUploadRequest(context, noDestination, {}, {}, kinds));
    ShipmentRecord unknownKind = Shipment();
    unknownKind.expressKind = "??";
    EXPECT_FALSE(ShipmentUploadRequest(context, unknownKind, {}, {}, kinds));
    // A shipment whose goods lines would not fit one request.
    std::vector<GoodsLineRecord> many(600, Goods("a rather long goods description for the test", 1, 1));
    EXPECT_FALSE(ShipmentUploadRequest(context, Shipment(), many, {}, kinds));
    many.resize(50);
    EXPECT_TRUE(ShipmentUploadRequest(context, Shipment(), many, {}, kinds));
}

TEST_F(UploadRequestTest, CheckScanCallFollowsTheLanguage) {
    session.stationCode = "SZX";
    CheckScanRecord scan{};
    scan.id = 5;
    scan.waybillNumber = "TL1";
    scan.nextStation = "PEK";
    scan.eventType = 1;
    scan.eventTime = "2024-01-05 10:00";
    scan.placeChinese = G("深圳");
    scan.detailChinese = G("离开");
    scan.placeEnglish = "Shenzhen";
    scan.detailEnglish = "Departed";
    scan.signer = "O'Neil";
    scan.flightPosition = 51;
    TransactionContext context = test::TestContext(server, session);
    const struct {
        int language;
        const char* procedure;
    } cases[] = {
        {0, "cp_check_detail_scan_add_ec"}, {1, "cp_check_detail_en_scan_add_ec"}, {2, "cp_check_detail_scan_all_ec"}};
    for (const auto& c : cases) {
        scan.language = static_cast<std::uint8_t>(c.language);
        const auto body = CheckScanUploadRequest(context, scan);
        ASSERT_TRUE(body);
        EXPECT_NE(body->find("<OP>4</OP><ID>5</ID>"), std::string::npos);
        EXPECT_NE(body->find(std::string(c.procedure) + "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,0,'TL1','SZX','PEK',1,"),
                  std::string::npos);
        EXPECT_NE(body->find("'O''Neil',51,0)}\x07</DATA>\n"), std::string::npos);
        const bool chinese = body->find(G("深圳")) != std::string::npos;
        const bool english = body->find("Shenzhen") != std::string::npos;
        EXPECT_EQ(chinese, c.language != 1);
        EXPECT_EQ(english, c.language != 0);
    }
}

TEST(UploadTexts, StatusAndFailureTexts) {
    KindList kinds;
    kinds.Append("GJTK", G("国际特快专递"));
    kinds.FindKindByCode("GJTK")->destinations = G("美国\t日本\t");
    kinds.Append("GJXB", G("国际小包"));  // the base data lists no destinations for it
    struct Case {
        const char* kind;
        const char* destination;
        const char* waybill;
        const char* status;
    } cases[] = {
        {"国际特快专递", "美国", "TL0000012", "√"},
        {"国际特快专递", "日本", "AB12XXXXX89", "整理单号"},
        {"国际特快专递", "火星", "AB12XXXXX89", "目的地不存在"},  // before the placeholder
        {"国际特快专递", "火星", "TL0000012", "目的地不存在"},
        {"国际特快专递", "美国纽约州", "TL0000012", "目的地不存在"},
        {"国际小包", "美国", "TL0000012", "目的地不存在"},
        {"x", "火星", "TL0000012", "类别错误"},  // before the destination
        {"x", "", "TL0000012", "目的地空"},      // before the kind
        {"国际特快专递", "", "AB12XXXXX89", "目的地空"},
    };
    for (const Case& c : cases) {
        ShipmentRecord s = Shipment();
        s.expressKind = G(c.kind);
        s.destination = G(c.destination);
        s.waybillNumber = c.waybill;
        EXPECT_EQ(UploadStatusText(s, kinds), c.status) << c.kind << " " << c.destination << " " << c.waybill;
    }
    const std::map<int, std::string> failures = {
        {-1, "数据错误"},       {-2, "单号重复"},         {-3, "数据检查"}, {-4, "未知错误(Ret:-4)"},
        {0, "未知错误(Ret:0)"}, {-8, "未知错误(Ret:-8)"}, {-9, "通讯错-9"}};
    for (const auto& [code, text] : failures) EXPECT_EQ(UploadFailureText(code), text) << code;
}

// Records every call the run makes.
class RecordingHandler : public UploadHandler {
public:
    std::vector<int> unsendable;
    std::vector<std::string> calls;
    std::function<void(int)> onResult;

    std::optional<std::string> Serialize(int id) override {
        calls.push_back("serialize " + std::to_string(id));
        for (int bad : unsendable)
            if (bad == id) return std::nullopt;
        return "request " + std::to_string(id);
    }
    void RecordResult(int id, int code) override {
        calls.push_back("result " + std::to_string(id) + " " + std::to_string(code));
        if (onResult) onResult(id);
    }
    void Progress(int successes, int failures) override {
        calls.push_back("progress " + std::to_string(successes) + " " + std::to_string(failures));
    }
    // Written as "finished" and two numbers: successes and failures, a stop
    // as successes and -1 - failures, an unreachable server as its code and 0.
    void Finished(const UploadOutcome& outcome) override {
        switch (outcome.kind) {
        case UploadOutcome::Kind::Completed:
            calls.push_back("finished " + std::to_string(outcome.successes) + " " + std::to_string(outcome.failures));
            break;
        case UploadOutcome::Kind::Stopped:
            calls.push_back("finished " + std::to_string(outcome.successes) + " " +
                            std::to_string(-1 - outcome.failures));
            break;
        case UploadOutcome::Kind::Unreachable:
            calls.push_back("finished " + std::to_string(outcome.transportError) + " 0");
            break;
        }
    }
};

// Answers each request with the code listed for its id.
UploadPost Answers(std::map<int, int> codes, int transportFailureAt = 0) {
    return [codes, transportFailureAt](std::string_view body) {
        TransactionAnswer answer;
        const int id = std::stoi(std::string(body.substr(8)));
        if (id == transportFailureAt) {
            answer.transport = -3;
            return answer;
        }
        answer.transport = 10;
        answer.code = codes.count(id) ? codes.at(id) : 100 + id;
        return answer;
    };
}

TEST(UploadRun, EveryRecordIsReportedBeforeTheNextIsRead) {
    RecordingHandler handler;
    handler.unsendable = {2};
    std::atomic<bool> keep{true};
    RunUpload({1, 2, 3, 4}, handler, Answers({{3, -2}}), keep);
    const std::vector<std::string> expected = {
        "serialize 1",  "progress 1 0", "result 1 101", "serialize 2",  "result 2 -1",  "progress 1 1", "serialize 3",
        "progress 1 2", "result 3 -2",  "serialize 4",  "progress 2 2", "result 4 104", "finished 2 2"};
    EXPECT_EQ(handler.calls, expected);
}

TEST(UploadRun, StopsAndFailuresEndTheRunOnce) {
    {  // stopped while the third of five is sent: it is reported, then the run ends
        RecordingHandler handler;
        std::atomic<bool> keep{true};
        handler.onResult = [&](int id) {
            if (id == 3) keep = false;
        };
        RunUpload({1, 2, 3, 4, 5}, handler, Answers({{2, -3}}), keep);
        EXPECT_EQ(handler.calls.back(), "finished 2 -2");
        EXPECT_EQ(std::count(handler.calls.begin(), handler.calls.end(), "serialize 4"), 0);
    }
    {  // transport failure on the first record: nothing reaches the page
        RecordingHandler handler;
        std::atomic<bool> keep{true};
        RunUpload({1, 2}, handler, Answers({}, 1), keep);
        EXPECT_EQ(handler.calls, (std::vector<std::string>{"serialize 1", "finished -3 0"}));
    }
    {  // the server refuses the session: stop after reporting that record
        RecordingHandler handler;
        std::atomic<bool> keep{true};
        RunUpload({1, 2, 3}, handler, Answers({{2, -10}}), keep);
        EXPECT_EQ(handler.calls.back(), "finished 1 -2");
        EXPECT_EQ(std::count(handler.calls.begin(), handler.calls.end(), "result 2 -10"), 1);
        EXPECT_EQ(std::count(handler.calls.begin(), handler.calls.end(), "serialize 3"), 0);
    }
    {  // an empty list still ends the run
        RecordingHandler handler;
        std::atomic<bool> keep{true};
        RunUpload({}, handler, Answers({}), keep);
        EXPECT_EQ(handler.calls, std::vector<std::string>{"finished 0 0"});
    }
}

TEST(UploadRun, WorkerRunsOnItsOwnThreadOnceAtATime) {
    RecordingHandler handler;
    UploadWorker worker;
    ASSERT_TRUE(worker.Start({1, 2}, handler, Answers({})));
    worker.Wait();
    EXPECT_FALSE(worker.Running());
    EXPECT_EQ(handler.calls.back(), "finished 2 0");
    ASSERT_TRUE(worker.Start({3}, handler, Answers({})));  // a second run after the first
    worker.Wait();
    EXPECT_EQ(handler.calls.back(), "finished 1 0");
}

}  // namespace
}  // namespace tallux
