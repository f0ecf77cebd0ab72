// The client's upload requests against a real tallux-server with demo data.

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "net/ExpressKinds.h"
#include "net/LoginSession.h"
#include "net/ServerPreEntryFetch.h"
#include "net/TransactionPost.h"
#include "net/UploadRequests.h"
#include "tests/integration/DemoServerSuite.h"
#include "tests/support/ShipmentFixtures.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

class UploadIntegrationTest : public test::DemoServerSuite<UploadIntegrationTest> {
protected:
    void LogIn(const std::u16string& account, const std::u16string& password) {
        LoginOutcome outcome = Login(address, "8001", account, password, std::time(nullptr), session, {3000, 5000});
        ASSERT_EQ(outcome.status, LoginStatus::LoggedIn) << outcome.message;
        kinds.Append("GNTK", Utf8ToGbk("国内特快专递"));
    }
    TransactionContext Context() {
        return TransactionContext{address, session, "8001", kDefaultLocaleId, MonotonicTick, {3000, 5000}};
    }
    int Post(const std::optional<std::string>& body) {
        EXPECT_TRUE(body);
        if (!body) return 0;
        TransactionAnswer answer = PostTransaction(address, *body, 1024, {3000, 5000});
        EXPECT_TRUE(answer.Delivered());
        return answer.code;
    }

    static ShipmentRecord Shipment(std::int32_t localId, std::string_view number) {
        ShipmentRecord s = test::ReadyShipment(number);
        s.id = localId;
        s.businessYear = 2024;
        s.businessMonth = 5;
        s.businessDay = 6;
        s.pieces = 2;
        s.destination = Utf8ToGbk("北京");
        s.receiverName = "O'Neil";
        return s;
    }
    static GoodsLineRecord Goods(const char* description, int quantity) {
        GoodsLineRecord line{};
        line.description = description;
        line.quantity = quantity;
        line.unitPrice = 1.5;
        return line;
    }
    static PieceWeightRecord Piece(int grams) {
        PieceWeightRecord piece{};
        piece.weightGrams = grams;
        piece.volumetricPercent = 100;
        piece.goodsQuantity = 1;
        piece.description = "piece";
        return piece;
    }

    ServerAddress address{"127.0.0.1", server ? server->Port() : std::uint16_t{0}};
    SessionValues session;
    KindList kinds;
};

TEST_F(UploadIntegrationTest, PreEntryReadsBackWithItsGoodsAndPieces) {
    LogIn(u"demo", u"demo123");
    const std::vector<GoodsLineRecord> goods = {Goods("Kid's shoes", 2), Goods("socks", 3)};
    const std::vector<PieceWeightRecord> pieces = {Piece(1500), Piece(1000)};
    int id = Post(ShipmentUploadRequest(Context(), Shipment(5, "EA100000777CN"), goods, pieces, kinds));
    ASSERT_GT(id, 0);

    ShipmentRecord record{};
    std::vector<GoodsLineRecord> readGoods;
    std::vector<PieceWeightRecord> readPieces;
    PreEntryFetchResult found = FetchServerPreEntry(Context(), id, record, readGoods, readPieces, kFetchAllDetails);
    ASSERT_TRUE(found.Found()) << found.message;
    EXPECT_EQ(record.waybillNumber.view(), "EA100000777CN");
    EXPECT_EQ(record.receiverName.view(), "O'Neil");
    EXPECT_EQ(GbkToUtf8(record.expressKind.view()), "国内特快专递");
    EXPECT_EQ(record.businessDay, 6);
    ASSERT_EQ(readGoods.size(), 2u);
    EXPECT_EQ(readGoods[0].description.view(), "Kid`s shoes");
    EXPECT_EQ(readGoods[1].quantity, 3);
    ASSERT_EQ(readPieces.size(), 2u);
    EXPECT_EQ(readPieces[1].weightGrams, 1000);

    EXPECT_EQ(Post(ShipmentUploadRequest(Context(), Shipment(6, "EA100000777CN"), {}, {}, kinds)), -2);
}

TEST_F(UploadIntegrationTest, DirectRecordWithSeveralPieces) {
    LogIn(u"direct", u"direct123");
    ASSERT_EQ(session.memberMode, 1);
    const std::vector<PieceWeightRecord> pieces = {Piece(700), Piece(800), Piece(900)};
    EXPECT_GT(Post(ShipmentUploadRequest(Context(), Shipment(7, "EA100000778CN"), {Goods("book", 1)}, pieces, kinds)),
              0);
}

TEST_F(UploadIntegrationTest, ADestinationTheKindDoesNotTakeIsADataCheckFailure) {
    LogIn(u"demo", u"demo123");
    ShipmentRecord unknownPlace = Shipment(8, "EA100000779CN");
    unknownPlace.destination = Utf8ToGbk("火星");
    EXPECT_EQ(Post(ShipmentUploadRequest(Context(), unknownPlace, {Goods("book", 1)}, {}, kinds)), -3);
    ShipmentRecord abroad = Shipment(9, "EA100000779CN");  // a country: not for a domestic kind
    abroad.destination = Utf8ToGbk("美国");
    EXPECT_EQ(Post(ShipmentUploadRequest(Context(), abroad, {}, {}, kinds)), -3);
    // Nothing was stored under the number.
    EXPECT_GT(Post(ShipmentUploadRequest(Context(), Shipment(10, "EA100000779CN"), {}, {}, kinds)), 0);
}

TEST_F(UploadIntegrationTest, CheckScansOfEveryLanguage) {
    LogIn(u"demo", u"demo123");
    for (std::uint8_t language : {0, 1, 2}) {
        CheckScanRecord scan{};
        scan.id = 10 + language;
        scan.language = language;
        scan.eventType = 3;
        scan.flightPosition = 1;
        scan.waybillNumber = "EK10000000CN";
        scan.eventTime = "2024-05-06 07:08";
        scan.placeChinese = Utf8ToGbk("深圳宝安");
        scan.detailChinese = Utf8ToGbk("由李四签收");
        scan.placeEnglish = "Shenzhen";
        scan.detailEnglish = "Signed by O'Neil";
        scan.signer = Utf8ToGbk("李四");
        scan.signingTime = "2024.05.06 07:08:00";
        EXPECT_GT(Post(CheckScanUploadRequest(Context(), scan)), 0) << int(language);
    }
}

}  // namespace
}  // namespace tallux
