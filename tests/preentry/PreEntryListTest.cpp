// The pre-entry list's texts and batch commands, without windows.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/BaseData.h"
#include "net/EmsKindSettings.h"
#include "net/LoginSession.h"
#include "net/TransactionPost.h"
#include "net/UploadRequests.h"
#include "preentry/NumberRotation.h"
#include "preentry/NumberSource.h"
#include "preentry/PreEntryBatch.h"
#include "preentry/PreEntryList.h"
#include "preentry/PreEntryRules.h"
#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/GbkText.h"
#include "tests/support/ShipmentFixtures.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using test::G;

// Every text field the "?" check looks at, in its order, with its tag.
struct QuestionField {
    const char* tag;
    std::function<void(ShipmentRecord&, std::string_view)> set;
};

#define FIELD(member, tag)                                               \
    QuestionField {                                                      \
        tag, [](ShipmentRecord& s, std::string_view t) { s.member = t; } \
    }
const QuestionField kQuestionFields[] = {
    FIELD(expressKind, "?类别"),
    FIELD(origin, "?出发"),
    FIELD(destination, "?目的"),
    FIELD(waybillNumber, "?运单号"),
    FIELD(department, "?部门"),
    FIELD(senderName, "?发姓名"),
    FIELD(senderCompany, "?发单位"),
    FIELD(senderAddress, "?发地址"),
    FIELD(senderPhone, "?发电话"),
    FIELD(senderPostcode, "?发邮编"),
    FIELD(senderCountry, "?发国家"),
    FIELD(senderProvince, "?发省州"),
    FIELD(senderCity, "?发城市"),
    FIELD(senderEmail, "?发邮件"),
    FIELD(senderSms, "?发短信"),
    FIELD(receiverName, "?收姓名"),
    FIELD(receiverCompany, "?收单位"),
    FIELD(receiverAddress, "?收地址"),
    FIELD(receiverPhone, "?收电话"),
    FIELD(receiverPostcode, "?收邮编"),
    FIELD(receiverCountry, "?收国家"),
    FIELD(receiverProvince, "?收省州"),
    FIELD(receiverCity, "?收城市"),
    FIELD(receiverEmail, "?收邮件"),
    FIELD(receiverSms, "?收短信"),
    FIELD(labelText, "?标签"),
    FIELD(remark, "?备注"),
    FIELD(goodsDescription, "?品名"),
    FIELD(transferNumber, "?转单号"),
    FIELD(customsNumber, "?报关号"),
    FIELD(reservedText, "?留用串"),
    FIELD(spare1, "?备一"),
    FIELD(spare2, "?备二"),
    FIELD(spare3, "?备三"),
    FIELD(spare4, "?备四"),
    FIELD(spare5, "?备五"),
};
#undef FIELD

TEST(QuestionMarkTag, TheFirstFieldInTheOrderWins) {
    // Field i and every later one hold a "?": field i is reported.
    for (std::size_t i = 0; i < std::size(kQuestionFields); ++i) {
        ShipmentRecord shipment = test::Shipment("TL1");
        for (std::size_t j = i; j < std::size(kQuestionFields); ++j) kQuestionFields[j].set(shipment, "a?b");
        EXPECT_EQ(QuestionMarkTag(shipment), kQuestionFields[i].tag) << i;
    }
    ShipmentRecord shipment = test::Shipment("TL1");
    shipment.origin = "?";
    shipment.receiverName = "Jo?";
    EXPECT_EQ(QuestionMarkTag(shipment), "?出发");
}

TEST(QuestionMarkTag, OnlySingleByteQuestionMarksCount) {
    ShipmentRecord shipment = test::Shipment("TL1");
    shipment.senderName = G("张伟");
    shipment.goodsDescription = G("衣服") + "!";
    // A lead byte takes the "?" after it as its second byte.
    shipment.remark = "\x81?";
    shipment.extraText = "?";  // not among the checked fields
    shipment.dimensions = "?";
    EXPECT_EQ(QuestionMarkTag(shipment), "ok");
    shipment.remark = "\x81??";
    EXPECT_EQ(QuestionMarkTag(shipment), "?备注");
}

TEST(ShownByFilter, MarkedUnmarkedOrAll) {
    ShipmentRecord marked = test::Shipment("A");
    marked.mark = 1;
    const ShipmentRecord unmarked = test::Shipment("B");
    struct Case {
        int filter;
        bool marked, unmarked;
    };
    for (const Case& c : {Case{kShowUnmarked, false, true}, Case{kShowMarked, true, false}, Case{kShowAll, true, true},
                          Case{7, true, true}}) {
        EXPECT_EQ(ShownByFilter(marked, c.filter), c.marked) << c.filter;
        EXPECT_EQ(ShownByFilter(unmarked, c.filter), c.unmarked) << c.filter;
    }
}

TEST(PreEntryRowTexts, ColumnsOfOneShipment) {
    KindList kinds;
    kinds.Append("GNBZ", G("国内标准快递"));
    kinds.FindKindByCode("GNBZ")->destinations = G("上海\t北京市\t");
    kinds.Append("GNJJ", G("国内经济快递"));  // no destinations listed
    ShipmentRecord s = test::Shipment("TL0000001", "REF9", "ZD1");
    s.businessYear = 2026;
    s.businessMonth = 3;
    s.businessDay = 7;
    s.itemType = 2;
    s.payment = 2;
    s.pieces = 3;
    s.weight = 1.5;
    s.fee = 12.3;
    s.destination = G("上海");
    s.expressKind = G("国内标准快递");
    s.receiverName = "&#1605;";
    s.goodsQuantity = 4;
    s.spare5 = "five";
    s.mark = 1;
    const std::vector<std::u16string> texts = PreEntryRowTexts(7, s, kinds);
    ASSERT_EQ(texts.size(), std::size_t(kPreEntryColumnCount));
    EXPECT_EQ(texts[0], u"7");
    EXPECT_EQ(texts[kPreEntryMarkColumn], u"√");
    EXPECT_EQ(texts[kPreEntryCheckColumn], u"√");
    EXPECT_EQ(texts[3], u"2026-03-07");
    EXPECT_EQ(texts[kPreEntryWaybillColumn], u"TL0000001");
    EXPECT_EQ(texts[kPreEntryTransferColumn], u"ZD1");
    EXPECT_EQ(texts[6], u"防水袋");
    EXPECT_EQ(texts[7], u"3");
    EXPECT_EQ(texts[kPreEntryWeightColumn], u"1.500");
    EXPECT_EQ(texts[kPreEntryFeeColumn], u"12.30");
    EXPECT_EQ(texts[kPreEntryKindColumn], u"国内标准快递");
    EXPECT_EQ(texts[12], u"到付");
    EXPECT_EQ(texts[15], std::u16string(1, u'\u0645'));  // a reference decoded
    EXPECT_EQ(texts[24], u"4");
    EXPECT_EQ(texts[25], u"REF9");
    EXPECT_EQ(texts[33], u"five");

    struct Case {
        const char* destination;
        const char* kind;
        const char* waybill;
        const char16_t* check;
    };
    const Case cases[] = {
        {"", "无此类别", "AB12XXXXX89", u"目的地空"},  // before the unknown kind
        {"上海", "无此类别", "AB12XXXXX89", u"类别错误"},
        {"火星", "无此类别", "AB1234567", u"类别错误"},
        {"火星", "国内标准快递", "AB12XXXXX89", u"目的地不存在"},  // before the placeholder
        {"火星", "国内标准快递", "AB1234567", u"目的地不存在"},
        {"上海", "国内经济快递", "AB1234567", u"目的地不存在"},
        {"上海", "国内标准快递", "AB12XXXXX89", u"整理单号"},
        {"上海", "国内标准快递", "AB1234567", u"√"},
        {"北京市海淀区中关村", "国内标准快递", "AB1234567", u"√"},  // an address within a listed place
    };
    for (const Case& c : cases) {
        ShipmentRecord r = test::Shipment(c.waybill);
        r.destination = G(c.destination);
        r.expressKind = G(c.kind);
        const std::u16string check = PreEntryRowTexts(1, r, kinds)[kPreEntryCheckColumn];
        EXPECT_EQ(check, c.check) << c.waybill << c.kind << c.destination;
        // Past the kind check, the destination passes exactly when the form
        // marks it valid.
        if (check == u"√" || check == u"整理单号" || check == u"目的地不存在") {
            EXPECT_EQ(check != u"目的地不存在",
                      DestinationIsValid(kinds, Utf8ToUtf16(c.kind), Utf8ToUtf16(c.destination)))
                << c.destination;
        }
    }
}

TEST(UploadFailureText, ReasonsShownInTheList) {
    struct Case {
        int code;
        const char* text;
    };
    for (const Case& c :
         {Case{-1, "数据错误"}, Case{-2, "单号重复"}, Case{-3, "数据检查"}, Case{-4, "未知错误(Ret:-4)"},
          Case{0, "未知错误(Ret:0)"}, Case{-8, "未知错误(Ret:-8)"}, Case{-9, "通讯错-9"}})
        EXPECT_EQ(UploadFailureText(c.code), c.text) << c.code;
}

TEST(PriceHundredths, LeadingNumberOfTheAnswer) {
    struct Case {
        const char* answer;
        int hundredths;
    };
    for (const Case& c : {Case{"12.3\n", 1230}, Case{"36.00\nGNTK", 3600}, Case{"0\n", 0}, Case{"0.29", 29},
                          Case{"-5\n", 0}, Case{"", 0}, Case{"abc", 0}, Case{"1e300", 0}})
        EXPECT_EQ(PriceHundredths(c.answer), c.hundredths) << c.answer;
}

class PreEntryBatchTest : public ::testing::Test, protected test::ShipmentStoresInTempDir {
protected:
    void SetUp() override {
        ASSERT_TRUE(opened);
        data.kinds.Append("GNTK", G("国内特快专递"));
        data.kinds.Append("GJJJ", G("国际经济快递"));
        data.settings =
            ParseEmsKindSettings(G("<取单号快递类别定义开始>\r\n国内特快专递=1\r\n<取单号快递类别定义结束>\r\n"
                                   "<取转单号快递类别定义开始>\r\n国际经济快递=5\r\n<取转单号快递类别定义结束>\r\n"));
        session.customerId = 1001;
        session.sessionNumber = 7;
        session.shortCode = "SZA";
    }

    int Store(std::string_view waybill, std::string_view kind = {}) {
        ShipmentRecord record = test::Shipment(waybill);
        record.id = -1;
        record.expressKind = G(kind);
        return SaveLocalShipment(stores, record, {test::Child<GoodsLineRecord>(0, "shoes")},
                                 {test::Child<PieceWeightRecord>(0, "box")}, false)
            .record.id;
    }

    // A number service that notes whether the store lock was free when asked.
    NumberContext Numbers() {
        return NumberContext{session,
                             data,
                             rotation,
                             [this](std::string_view key) -> std::optional<std::string> {
                                 asked.emplace_back(key);
                                 if (lock.TryAcquireFor(std::chrono::milliseconds(0)))
                                     lock.Release();
                                 else
                                     askedUnderLock = true;
                                 if (answers.empty()) return std::nullopt;
                                 std::string next = answers.front();
                                 answers.erase(answers.begin());
                                 return next;
                             },
                             1,
                             [] { return 1; }};
    }

    SessionValues session;
    BaseData data;
    NumberRotation rotation;
    std::vector<std::string> answers;
    std::vector<std::string> asked;
    bool askedUnderLock = false;
};

TEST_F(PreEntryBatchTest, TidyingReplacesOnlyThePlaceholder) {
    const int placeholder = Store("AB12XXXXX89");
    const int complete = Store("AB1234567");

    const TidyOutcome tidied = TidyWaybillNumber(stores, Numbers(), placeholder);
    EXPECT_TRUE(tidied.found);
    EXPECT_TRUE(tidied.changed);
    EXPECT_EQ(tidied.record.waybillNumber.view(), "AB12SZA89");
    EXPECT_EQ(shipments.FindById(placeholder)->waybillNumber.view(), "AB12SZA89");

    const TidyOutcome untouched = TidyWaybillNumber(stores, Numbers(), complete);
    EXPECT_TRUE(untouched.found);
    EXPECT_FALSE(untouched.changed);
    EXPECT_EQ(shipments.FindById(complete)->waybillNumber.view(), "AB1234567");

    EXPECT_FALSE(TidyWaybillNumber(stores, Numbers(), 99).found);

    // Without a login there is no short code: the placeholder stays.
    session.customerId = 0;
    const int later = Store("CD12XXXXX");
    EXPECT_FALSE(TidyWaybillNumber(stores, Numbers(), later).changed);
    EXPECT_EQ(shipments.FindById(later)->waybillNumber.view(), "CD12XXXXX");
}

TEST_F(PreEntryBatchTest, TidyingAsksTheNumberServiceWithoutTheStoreLock) {
    session.numberServiceFlag = true;
    answers = {"SV00000001"};
    const int id = Store("AB12XXXXX89", "国内特快专递");
    const TidyOutcome outcome = TidyWaybillNumber(stores, Numbers(), id);
    EXPECT_TRUE(outcome.changed);
    EXPECT_EQ(asked, std::vector<std::string>{"1*"});
    EXPECT_FALSE(askedUnderLock);
    EXPECT_EQ(shipments.FindById(id)->waybillNumber.view(), "SV00000001");
}

TEST_F(PreEntryBatchTest, TransferNumbersRepeatedByTheServiceAreRefused) {
    const int first = Store("TL1", "国际经济快递");
    const int second = Store("TL2", "国际经济快递");
    const int third = Store("TL3", "国际经济快递");

    answers = {"ZD100"};
    TransferOutcome outcome = FetchStoredTransferNumber(stores, Numbers(), first, "");
    EXPECT_TRUE(outcome.fetched);
    EXPECT_EQ(shipments.FindById(first)->transferNumber.view(), "ZD100");

    // The same number again, then a new one: the second try counts.
    answers = {"ZD100", "ZD101"};
    outcome = FetchStoredTransferNumber(stores, Numbers(), second, "ZD100");
    EXPECT_TRUE(outcome.fetched);
    EXPECT_EQ(outcome.record.transferNumber.view(), "ZD101");
    EXPECT_EQ(shipments.FindById(second)->transferNumber.view(), "ZD101");

    // Twice the same: nothing stored.
    answers = {"ZD101", "ZD101"};
    outcome = FetchStoredTransferNumber(stores, Numbers(), third, "ZD101");
    EXPECT_FALSE(outcome.fetched);
    EXPECT_TRUE(shipments.FindById(third)->transferNumber.empty());
    EXPECT_FALSE(askedUnderLock);
}

TEST_F(PreEntryBatchTest, DeletingTakesTheChildrenAlong) {
    const int a = Store("TL1");
    const int b = Store("TL2");
    const int c = Store("TL3");
    EXPECT_EQ(DeleteShipments(stores, {a, c, 42}), 2);
    ASSERT_EQ(shipments.Count(), 1);
    EXPECT_EQ(shipments.At(0)->id, b);
    ASSERT_EQ(goods.Count(), 1);
    EXPECT_EQ(goods.At(0)->parentId, b);
    ASSERT_EQ(weights.Count(), 1);
    EXPECT_EQ(weights.At(0)->parentId, b);
}

TEST_F(PreEntryBatchTest, PricingNeedsWeightDestinationAndKnownKind) {
    ServerAddress server("127.0.0.1", 8080);
    const TransactionContext context{server, session, "8001"};
    ShipmentRecord s = test::Shipment("TL1");
    s.itemType = 1;
    s.weight = 2.5;
    s.destination = G("上海");
    s.expressKind = G("国内特快专递");
    const std::optional<std::string> body = PreEntryPricingRequest(context, s, data.kinds);
    ASSERT_TRUE(body);
    EXPECT_NE(body->find("<OP>3</OP><ID>1</ID><NUMBER>2500</NUMBER>"), std::string::npos) << *body;
    EXPECT_NE(body->find(G("上海") + "\nGNTK\n"), std::string::npos) << *body;

    ShipmentRecord noWeight = s;
    noWeight.weight = 0;
    ShipmentRecord noDestination = s;
    noDestination.destination = "";
    ShipmentRecord unknownKind = s;
    unknownKind.expressKind = G("无此类别");
    for (const ShipmentRecord& refused : {noWeight, noDestination, unknownKind})
        EXPECT_FALSE(PreEntryPricingRequest(context, refused, data.kinds));
}

}  // namespace
}  // namespace tallux
