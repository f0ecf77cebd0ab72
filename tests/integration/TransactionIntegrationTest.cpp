// Runs the client's transactions against a real tallux-server with demo data.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>
#include <string>

#include "net/LoginSession.h"
#include "net/ServerOperations.h"
#include "net/ServerPreEntryFetch.h"
#include "tests/integration/DemoServerSuite.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

class TransactionIntegrationTest : public test::DemoServerSuite<TransactionIntegrationTest> {
public:
    static std::vector<std::string> ServerArguments() { return {"--refuse-number-key", "2*"}; }

protected:
    void LogIn(const std::u16string& account, const std::u16string& password) {
        LoginOutcome outcome = Login(address, "8001", account, password, std::time(nullptr), session, {3000, 5000});
        ASSERT_EQ(outcome.status, LoginStatus::LoggedIn) << outcome.message;
    }
    TransactionContext Context() {
        return TransactionContext{address, session, "8001", kDefaultLocaleId, MonotonicTick, {3000, 5000}};
    }

    ServerAddress address{"127.0.0.1", server ? server->Port() : std::uint16_t{0}};
    SessionValues session;
};

TEST_F(TransactionIntegrationTest, NumbersFromTheNumberService) {
    LogIn(u"demo", u"demo123");
    ASSERT_TRUE(session.numberServiceFlag);
    std::set<std::string> numbers;
    for (int i = 0; i < 20; ++i) {
        std::optional<std::string> number = FetchNumber(Context(), "1*");
        ASSERT_TRUE(number);
        EXPECT_GE(number->size(), 8u);
        EXPECT_LE(number->size(), 30u);
        EXPECT_TRUE(numbers.insert(*number).second) << *number;
    }
    EXPECT_TRUE(FetchNumber(Context(), "5*"));
    EXPECT_FALSE(FetchNumber(Context(), "2*"));   // refused on the command line
    EXPECT_FALSE(FetchNumber(Context(), "99*"));  // not configured

    SessionValues stale = session;
    stale.sessionNumber ^= 0x5A5A;
    TransactionContext wrongSession{address, stale, "8001"};
    EXPECT_FALSE(FetchNumber(wrongSession, "1*"));
}

TEST_F(TransactionIntegrationTest, PreEntryWithGoodsAndPieces) {
    LogIn(u"demo", u"demo123");
    ShipmentRecord record{};
    std::vector<GoodsLineRecord> goods;
    std::vector<PieceWeightRecord> pieces;
    PreEntryFetchResult found = FetchServerPreEntry(Context(), 501, record, goods, pieces, kFetchAllDetails);
    ASSERT_TRUE(found.Found()) << found.message;
    EXPECT_EQ(record.id, 501);
    EXPECT_EQ(GbkToUtf8(record.destination.view()), "美国");
    EXPECT_DOUBLE_EQ(record.weight, 2.5);
    EXPECT_EQ(record.pieces, 2);
    EXPECT_EQ(record.businessYear, 2024);
    EXPECT_EQ(record.businessMonth, 5);
    EXPECT_EQ(record.businessDay, 6);
    ASSERT_EQ(goods.size(), 2u);
    EXPECT_EQ(goods[1].quantity, 10);
    EXPECT_DOUBLE_EQ(goods[1].unitPrice, 5.0);
    EXPECT_EQ(goods[1].description.view(), "USB cable");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].weightGrams, 1500);
    EXPECT_EQ(pieces[0].length, 30);

    ShipmentRecord untouched{};
    PreEntryFetchResult other = FetchServerPreEntry(Context(), 503, untouched, goods, pieces, kFetchAllDetails);
    EXPECT_EQ(other.status, PreEntryFetchStatus::NotFound);
    EXPECT_EQ(untouched.id, 0);
}

TEST_F(TransactionIntegrationTest, PricingAndSettlement) {
    LogIn(u"demo", u"demo123");
    std::string destination = Utf8ToGbk("上海");
    std::optional<std::string> body = BuildPricingRequest(Context(), PricingShipment{1, 2.5, destination, "GNTK"});
    ASSERT_TRUE(body);
    TransactionAnswer answer = PostTransaction(address, *body, kPricingBodySize, {3000, 5000});
    ASSERT_TRUE(answer.Delivered());
    EXPECT_EQ(answer.code, 36);
    EXPECT_EQ(answer.text.substr(0, 6), "36.00\n");

    std::string summary = ShowSettlementSummary(Context(), std::time(nullptr));
    EXPECT_NE(summary.find("信用额度:     5000.00"), std::string::npos) << summary;
    EXPECT_NE(summary.find("结算余额:      219.50"), std::string::npos) << summary;
    EXPECT_NE(summary.find("未核金额:      365.50[2票]"), std::string::npos) << summary;
}

}  // namespace
}  // namespace tallux
