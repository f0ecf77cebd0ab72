#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "net/ResultCodes.h"
#include "net/ServerOperations.h"
#include "net/ServerPreEntryFetch.h"
#include "tests/net/ScriptedPeer.h"
#include "tests/net/TransactionTestSupport.h"

namespace tallux {
namespace {

std::string Element(const std::string& tag, const std::string& value) {
    return "\x07<" + tag + ">" + value + "</" + tag + ">\x07";
}

// An operation 11 answer with a bit of everything.
std::string PreEntryAnswer(bool withPieces) {
    std::string answer = "1\n";
    answer += Element("RID", "9") + Element("IID", "8");
    answer += Element("LANGUAGE", "2") + Element("ITEMTYPE", "1") + Element("PAYWAY", "2");
    answer += Element("ITEM", "3") + Element("QUANTITY", "12") + Element("GPRICE", "1999");
    answer += Element("DVALUE", "50000") + Element("IVALUE", "700") + Element("IRESERVE", "-4");
    answer += Element("WEIGHT", "2.5") + Element("AMOUNT", "88.75") + Element("GOODST", "10.5");
    answer += Element("GOODSC", "9.25") + Element("GCUSTOM", "1.5") + Element("GCRATE", "0.13");
    answer += Element("DATE", "2026-07-09") + Element("EMSKIND", "标准快递");
    answer += Element("NUM", "EE123456789CN") + Element("NO", "T-1") + Element("DES", "上海");
    answer += Element("RNAME", "O'Neil") + Element("SNAME", "张三") + Element("MONEY", "USD");
    answer += Element("PAYDIR", "COD") + Element("BY5", "备用五");
    answer += Element("MEMO", std::string(300, 'm'));  // wider than the field
    answer += Element("GOODSITEM_DETAIL",
                      "2\t3.5\t茶叶\t0.5\t0.1\talias\tA1\tB1\tC1\n"
                      "1\t10\tbook\t0\t0\t\t\t\t\n"
                      "7\t1\n"  // missing fields: reading stops here
                      "9\t9\tlost\t0\t0\t\t\t\t\n");
    if (withPieces)
        answer += Element("WEIGHT_DETAIL",
                          "30\t20\t10\t1250\t50\t2\t300\tbox\t0.5\t0.1\tal\tca\tcb\tcc\n"
                          "1\t1\t1\t1\t0\t0\t0\tx\n");  // shorter than 11 bytes
    return answer;
}

class OperationFetchPreEntry : public ::testing::Test {
protected:
    SessionValues session = test::TestSession();
    ShipmentRecord record{};
    std::vector<GoodsLineRecord> goods;
    std::vector<PieceWeightRecord> pieces;

    PreEntryFetchResult Fetch(const std::string& reply, int flags, std::string* requestBody = nullptr) {
        test::ScriptedPeer peer(reply);
        ServerAddress server("127.0.0.1", peer.Port());
        PreEntryFetchResult result =
            FetchServerPreEntry(test::TestContext(server, session), 345, record, goods, pieces, flags);
        if (requestBody) *requestBody = test::RequestBody(peer.Request());
        return result;
    }
};

TEST_F(OperationFetchPreEntry, SendsOperation11AndFillsTheRecord) {
    std::string body;
    PreEntryFetchResult result = Fetch(test::HttpOk(PreEntryAnswer(true)), kFetchAllDetails, &body);
    EXPECT_EQ(body,
              "<WER>2</WER><WCID>8001</WCID><AC>acc01</AC><OP>11</OP><ID>345</ID><NUMBER>1</NUMBER>"
              "<LCID>2052</LCID><RAND>4711</RAND><DATA>..\x07</DATA>\n");
    ASSERT_TRUE(result.Found());
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(record.id, 345);
    EXPECT_EQ(record.receiverLanguage, 2);
    EXPECT_EQ(record.itemType, 1);
    EXPECT_EQ(record.payment, 2);
    EXPECT_EQ(record.pieces, 3);
    EXPECT_EQ(record.goodsQuantity, 12);
    EXPECT_EQ(record.goodsUnitPrice, 1999);
    EXPECT_EQ(record.declaredValue, 50000);
    EXPECT_EQ(record.insuredValue, 700);
    EXPECT_EQ(record.reservedNumber, -4);
    EXPECT_DOUBLE_EQ(record.weight, 2.5);
    EXPECT_DOUBLE_EQ(record.fee, 88.75);
    EXPECT_DOUBLE_EQ(record.codGoodsAmount, 10.5);
    EXPECT_DOUBLE_EQ(record.codSettledAmount, 9.25);
    EXPECT_DOUBLE_EQ(record.duty, 1.5);
    EXPECT_DOUBLE_EQ(record.dutyRate, 0.13);
    EXPECT_EQ(record.businessYear, 2026);
    EXPECT_EQ(record.businessMonth, 7);
    EXPECT_EQ(record.businessDay, 9);
    EXPECT_EQ(record.expressKind.view(), "标准快递");
    EXPECT_EQ(record.waybillNumber.view(), "EE123456789CN");
    EXPECT_EQ(record.transferNumber.view(), "T-1") << "NO must not match NUM";
    EXPECT_EQ(record.destination.view(), "上海");
    EXPECT_EQ(record.receiverName.view(), "O'Neil");
    EXPECT_EQ(record.senderName.view(), "张三");
    EXPECT_EQ(record.currency.view(), "USD");
    EXPECT_EQ(record.settlementInstruction.view(), "COD");
    EXPECT_EQ(record.spare5.view(), "备用五");
    EXPECT_EQ(record.remark.view(), std::string(255, 'm'));
    EXPECT_TRUE(record.origin.empty()) << "absent tag";

    ASSERT_EQ(goods.size(), 2u);
    EXPECT_EQ(record.goodsLineCount, 2);
    EXPECT_EQ(goods[0].id, 1);
    EXPECT_EQ(goods[0].parentId, 345);
    EXPECT_EQ(goods[0].quantity, 2);
    EXPECT_DOUBLE_EQ(goods[0].unitPrice, 3.5);
    EXPECT_EQ(goods[0].description.view(), "茶叶");
    EXPECT_DOUBLE_EQ(goods[0].duty, 0.5);
    EXPECT_DOUBLE_EQ(goods[0].dutyRate, 0.1);
    EXPECT_EQ(goods[0].alias.view(), "alias");
    EXPECT_EQ(goods[0].codeA.view(), "A1");
    EXPECT_EQ(goods[0].codeB.view(), "B1");
    EXPECT_EQ(goods[0].codeC.view(), "C1");
    EXPECT_EQ(goods[1].id, 2);
    EXPECT_EQ(goods[1].description.view(), "book");
    EXPECT_TRUE(goods[1].alias.empty());

    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(record.pieceWeightCount, 1);
    EXPECT_EQ(pieces[0].id, 1);
    EXPECT_EQ(pieces[0].parentId, 345);
    EXPECT_EQ(pieces[0].length, 30);
    EXPECT_EQ(pieces[0].width, 20);
    EXPECT_EQ(pieces[0].height, 10);
    EXPECT_EQ(pieces[0].weightGrams, 1250);
    EXPECT_EQ(pieces[0].volumetricPercent, 50);
    EXPECT_EQ(pieces[0].goodsQuantity, 2);
    EXPECT_EQ(pieces[0].goodsUnitPrice, 300);
    EXPECT_EQ(pieces[0].description.view(), "box");
    EXPECT_DOUBLE_EQ(pieces[0].duty, 0.5);
    EXPECT_DOUBLE_EQ(pieces[0].dutyRate, 0.1);
    EXPECT_EQ(pieces[0].alias.view(), "al");
    EXPECT_EQ(pieces[0].codeC.view(), "cc");
}

TEST_F(OperationFetchPreEntry, AnswerWithoutWeightDetailGivesNoPieces) {
    pieces.resize(3);  // stale pieces of an earlier fetch must go
    ASSERT_TRUE(Fetch(test::HttpOk(PreEntryAnswer(false)), kFetchAllDetails).Found());
    EXPECT_TRUE(pieces.empty());
    EXPECT_EQ(record.pieceWeightCount, 0);
    EXPECT_EQ(goods.size(), 2u);
}

TEST_F(OperationFetchPreEntry, DetailFlagsChooseTheLists) {
    struct Case {
        int flags;
        std::size_t goods;
        std::size_t pieces;
    } cases[] = {{0, 5, 5}, {1, 2, 5}, {10, 5, 1}, {11, 2, 1}, {21, 2, 1}};
    for (const Case& c : cases) {
        goods.assign(5, GoodsLineRecord{});
        pieces.assign(5, PieceWeightRecord{});
        ShipmentRecord read{};
        ReadServerPreEntry(AnswerPayload(PreEntryAnswer(true)), 7, c.flags, read, goods, pieces);
        EXPECT_EQ(goods.size(), c.goods) << c.flags;
        EXPECT_EQ(pieces.size(), c.pieces) << c.flags;
    }
}

TEST_F(OperationFetchPreEntry, NoRecordAndFailuresLeaveTheOutputsAlone) {
    struct Case {
        const char* what;
        std::string reply;
        PreEntryFetchStatus status;
        int code;
        std::string message;
    } cases[] = {
        {"answer 0 is no record", test::HttpOk("0\n" + Element("NUM", "X")), PreEntryFetchStatus::NotFound, 0,
         "没有查询结果。"},
        {"server refused", test::HttpOk("-15\n"), PreEntryFetchStatus::ServerFailed, -15, "查询失败。返回值：-15"},
        {"empty answer", test::HttpOk(""), PreEntryFetchStatus::TransportFailed, 0, "与服务器通讯失败。返回值：0"},
        {"bad status", "HTTP/1.0 404 Not Found\r\n\r\n", PreEntryFetchStatus::TransportFailed, -6,
         "与服务器通讯失败。返回值：-6"},
    };
    for (const Case& c : cases) {
        record = ShipmentRecord{};
        record.id = 99;
        record.waybillNumber.assign("KEEP");
        goods.assign(1, GoodsLineRecord{});
        pieces.assign(1, PieceWeightRecord{});
        PreEntryFetchResult result = Fetch(c.reply, kFetchAllDetails);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_FALSE(result.Found()) << c.what;
        EXPECT_EQ(result.code, c.code) << c.what;
        EXPECT_EQ(result.message, c.message) << c.what;
        EXPECT_EQ(record.id, 99) << c.what;
        EXPECT_EQ(record.waybillNumber.view(), "KEEP") << c.what;
        EXPECT_EQ(goods.size(), 1u) << c.what;
        EXPECT_EQ(pieces.size(), 1u) << c.what;
    }
}

TEST(OperationPreEntryTag, FindsOnlyCompleteElements) {
    struct Case {
        std::string answer;
        std::string value;
    } cases[] = {
        {"\x07<NO>5</NO>\x07", "5"}, {"\x07<NUM>7</NUM>\x07\x07<NO>5</NO>\x07", "5"},
        {"<NO>5</NO>\x07", ""},  // no 0x07 before the tag
        {"\x07<NO>5</NO>", ""},  // never closed with 0x07
        {"\x07<NO></NO>\x07", ""},   {"\x07<NO>a</NO>b</NO>\x07", "a</NO>b"},
    };
    for (const Case& c : cases) EXPECT_EQ(PreEntryTagValue(c.answer, "NO"), c.value) << c.answer;
}

TEST(OperationFetchNumber, SendsTsAndChecksTheAnswer) {
    struct Case {
        const char* what;
        std::string reply;
        std::optional<std::string> number;
    } cases[] = {
        {"number", test::HttpOk("1\nEE1234CN"), "EE1234CN"},
        {"shortest", test::HttpOk("1\nX"), "X"},
        {"code and line feed only", test::HttpOk("1\n"), std::nullopt},
        {"32 bytes", test::HttpOk("1\n" + std::string(30, '7')), std::string(30, '7')},
        {"33 bytes", test::HttpOk("1\n" + std::string(31, '7')), std::nullopt},
        {"other code", test::HttpOk("2\nEE1234CN"), std::nullopt},
        {"negative", test::HttpOk("-15\n"), std::nullopt},
        {"bad status", "HTTP/1.0 500 Oops\r\n\r\n1\nEE1", std::nullopt},
    };
    SessionValues session = test::TestSession();
    session.numberServiceFlag = true;
    for (const Case& c : cases) {
        test::ScriptedPeer peer(c.reply);
        ServerAddress server("127.0.0.1", peer.Port());
        EXPECT_EQ(FetchNumber(test::TestContext(server, session), "K1|2"), c.number) << c.what;
        EXPECT_EQ(test::RequestBody(peer.Request()),
                  "<WER>1</WER><WCID>8001</WCID><AC>acc01</AC><OP>12</OP><ID>1</ID><NUMBER>1</NUMBER>"
                  "<LCID>2052</LCID><RAND>4711</RAND><TS>123456</TS><DATA>K1|2\x07</DATA>\n")
            << c.what;
    }
}

TEST(OperationFetchNumber, NeedsTheNumberService) {
    ServerAddress nobody("127.0.0.1", test::UnusedLoopbackPort());
    SessionValues session = test::TestSession();
    EXPECT_EQ(FetchNumber(test::TestContext(nobody, session), "K"), std::nullopt);
    session.numberServiceFlag = true;
    EXPECT_EQ(FetchNumber(test::TestContext(nobody, session), "K"), std::nullopt) << "refused connection";
}

TEST(OperationPricing, SendsTheWeightInGrams) {
    ServerAddress server("127.0.0.1", 1);
    SessionValues session = test::TestSession();
    TransactionContext context = test::TestContext(server, session);
    struct Case {
        double kg;
        const char* number;
    } cases[] = {{2.5, "2500"}, {19.99, "19990"}, {0.001, "1"}, {0.5, "500"}};
    for (const Case& c : cases) {
        std::optional<std::string> body = BuildPricingRequest(context, PricingShipment{1, c.kg, "上海", "EMS"});
        ASSERT_TRUE(body) << c.kg;
        EXPECT_EQ(*body, std::string("<WER>1</WER><WCID>8001</WCID><AC>acc01</AC><OP>3</OP><ID>1</ID><NUMBER>") +
                             c.number + "</NUMBER><LCID>2052</LCID><RAND>4711</RAND><DATA>上海\nEMS\n\x07</DATA>\n\x07")
            << c.kg;
    }
}

TEST(OperationPricing, RefusesShipmentsThatCannotBePriced) {
    ServerAddress server("127.0.0.1", 1);
    SessionValues session = test::TestSession();
    TransactionContext context = test::TestContext(server, session);
    struct Case {
        const char* what;
        std::optional<PricingShipment> shipment;
    } cases[] = {
        {"missing", std::nullopt},
        {"zero weight", PricingShipment{1, 0.0, "上海", "EMS"}},
        {"negative weight", PricingShipment{1, -1.0, "上海", "EMS"}},
        {"NaN weight", PricingShipment{1, std::numeric_limits<double>::quiet_NaN(), "上海", "EMS"}},
        {"too heavy for grams", PricingShipment{1, 3.0e6, "上海", "EMS"}},
        {"no destination", PricingShipment{1, 1.0, "", "EMS"}},
        {"unknown express kind", PricingShipment{1, 1.0, "上海", ""}},
        {"line feed in destination", PricingShipment{1, 1.0, "上\n海", "EMS"}},
        {"end mark in kind", PricingShipment{1, 1.0, "上海", "E\x07"}},
    };
    for (const Case& c : cases) EXPECT_FALSE(BuildPricingRequest(context, c.shipment)) << c.what;
}

constexpr const char* kRule = "────────────────────\r\n";

TEST(OperationSettlementSummary, FormatsTheSevenLines) {
    std::string text = SettlementSummaryText("1000\n250.5\n3\n40.25\n4\n9.75\n8\n", "2026-07-09 10:11:12");
    EXPECT_EQ(text, std::string("业务结算情况\r\n") + kRule +
                        "信用额度:     1000.00\r\n"
                        "结算余额:      250.50\r\n"
                        "未核金额:       50.00[8票]\r\n"
                        "发货余额:     1200.50[含信用1000.00]\r\n"
                        "实际余额:      200.50[概算供参考]\r\n" +
                        kRule + "查询时间:2026-07-09 10:11:12[本地]\r\n");
}

TEST(OperationSettlementSummary, MissingLinesCountAsZero) {
    std::string text = SettlementSummaryText("-20.5\n", "T");
    EXPECT_NE(text.find("信用额度:      -20.50\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("结算余额:        0.00\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("未核金额:        0.00[0票]\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("发货余额:      -20.50[含信用-20.50]\r\n"), std::string::npos) << text;
}

TEST(OperationSettlementSummary, PostsOperation5AndReportsFailures) {
    SessionValues session = test::TestSession();
    {
        test::ScriptedPeer peer(test::HttpOk("1\n1\n2\n0\n3\n1\n4\n0\n"));
        ServerAddress server("127.0.0.1", peer.Port());
        std::string text = ShowSettlementSummary(test::TestContext(server, session), 0);
        EXPECT_NE(text.find("未核金额:        7.00[2票]"), std::string::npos) << text;
        EXPECT_EQ(test::RequestBody(peer.Request()),
                  "<WER>1</WER><WCID>8001</WCID><AC>acc01</AC><OP>5</OP><ID>0</ID><NUMBER>1</NUMBER>"
                  "<LCID>2052</LCID><RAND>4711</RAND><DATA>\x07</DATA>\n");
    }
    struct Case {
        std::string reply;
        std::string text;
    } cases[] = {
        {test::HttpOk("0\n"), "没有查询结果。"},
        {test::HttpOk("-13\n"), "没有会员登入信息。"},
        {test::HttpOk("-77\n"), "未知错误(Ret:-77)"},
        {test::HttpOk(""), "通讯错误，查询失败。"},
        {"HTTP/1.0 404 Not Found\r\n\r\n", "通讯错误，查询失败。"},
    };
    for (const Case& c : cases) {
        test::ScriptedPeer peer(c.reply);
        ServerAddress server("127.0.0.1", peer.Port());
        EXPECT_EQ(ShowSettlementSummary(test::TestContext(server, session), 0), c.text);
    }
}

}  // namespace
}  // namespace tallux
