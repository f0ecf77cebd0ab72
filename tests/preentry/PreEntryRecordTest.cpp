#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "net/BaseData.h"
#include "preentry/DestinationChooser.h"
#include "preentry/NumberRotation.h"
#include "preentry/NumberSource.h"
#include "preentry/PreEntryRecordBuilder.h"
#include "preentry/PreEntryRules.h"
#include "tests/support/GbkText.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

using test::G;

// A shipment that passes every check.
PreEntryValues ValidValues() {
    PreEntryValues v;
    v.kindName = u"国际特快专递";
    v.waybill = u"TL20240105001";
    v.businessDate = u"2024.01.05";
    v.origin = u"深圳";
    v.destination = u"美国";
    v.receiverName = u"John Smith";
    v.receiverPhone = u"2125550100";
    v.receiverAddress = u"350 Fifth Avenue";
    v.receiverCountry = u"美国";
    v.currency = u"USD";
    v.goodsOrigin = u"CN";
    v.goodsDescription = u"衣服";
    return v;
}

struct Builder {
    BaseData data;
    std::vector<GoodsLineRecord> goods;
    std::vector<PieceWeightRecord> pieces;
    PreEntryPaneValues panes;
    ShipmentRecord record{};
    const NumberContext* numbers = nullptr;

    std::optional<PreEntryCheckFailure> Build(PreEntryValues& values, int currentId = -1) {
        return BuildShipmentRecord(values, panes, {data, numbers, currentId, goods, pieces}, record);
    }
};

std::u16string Repeat(char16_t unit, std::size_t count) { return std::u16string(count, unit); }

TEST(PreEntryRecord, EachCheckStopsTheSaveWithItsMessageAndField) {
    struct Case {
        const char* what;
        std::function<void(PreEntryValues&, PreEntryPaneValues&)> change;
        const char* message;
        PreEntryField field;
    };
    using F = PreEntryField;
    const Case cases[] = {
        {"empty date", [](auto& v, auto&) { v.businessDate.clear(); }, "[业务日期]不得短于 8 字符。", F::BusinessDate},
        {"two-digit year", [](auto& v, auto&) { v.businessDate = u"24.1.5"; }, "[业务日期]不得短于 8 字符。",
         F::BusinessDate},
        {"30 February", [](auto& v, auto&) { v.businessDate = u"2024.2.30"; }, "业务日期数据不合法。", F::BusinessDate},
        {"year 99", [](auto& v, auto&) { v.businessDate = u"0099.1.1"; }, "业务日期数据不合法。", F::BusinessDate},
        {"no day", [](auto& v, auto&) { v.businessDate = u"2024.10.x"; }, "业务日期数据不合法。", F::BusinessDate},
        {"kind of 16 bytes", [](auto& v, auto&) { v.kindName = u"国际特快专递国际"; },
         "[快递类别]长度不得超过 15 字符。", F::KindName},
        {"short waybill", [](auto& v, auto&) { v.waybill = u"AB12"; }, "[运单号]不得短于 7 字符。", F::Waybill},
        {"long waybill", [](auto& v, auto&) { v.waybill = Repeat(u'A', 31); }, "[运单号]长度不得超过 30 字符。",
         F::Waybill},
        {"origin", [](auto& v, auto&) { v.origin = Repeat(u'深', 32); }, "[出发地]长度不得超过 62 字符。", F::Origin},
        {"settlement", [](auto& v, auto&) { v.settlement = u"PPPP"; }, "[结算指示]长度不得超过 3 字符。",
         F::Settlement},
        {"short address", [](auto& v, auto&) { v.receiverAddress = u"abcd"; }, "[收件地址]不得短于 5 字符。",
         F::ReceiverAddress},
        {"blank receiver", [](auto& v, auto&) { v.receiverName = u"   "; }, "[收件人]不得短于 1 字符。",
         F::ReceiverName},
        {"short phone", [](auto& v, auto&) { v.receiverPhone = u"123456"; }, "[收件电话]不得短于 7 字符。",
         F::ReceiverPhone},
        {"sender company", [](auto& v, auto&) { v.senderCompany = Repeat(u'x', 127); },
         "[发件单位]长度不得超过 126 字符。", F::SenderCompany},
        {"transfer number", [](auto&, auto& p) { p.transferNumber = Repeat(u'1', 31); },
         "[转单号]长度不得超过 30 字符。", F::TransferNumber},
        {"spare 5", [](auto&, auto& p) { p.spare5 = Repeat(u'x', 255); }, "[备用五]长度不得超过 254 字符。", F::Spare5},
        {"code C", [](auto& v, auto&) { v.codeC = Repeat(u'x', 63); }, "[物品丙码]长度不得超过 62 字符。", F::CodeC},
        {"unit price beyond the field", [](auto& v, auto&) { v.unitPrice = 3e7; }, "[单价]数值超出范围。",
         F::UnitPrice},
        // The first failing check wins: the address comes before the name.
        {"address before name",
         [](auto& v, auto&) {
             v.receiverName.clear();
             v.receiverAddress.clear();
         },
         "[收件地址]不得短于 5 字符。", F::ReceiverAddress},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Builder builder;
        PreEntryValues values = ValidValues();
        c.change(values, builder.panes);
        const auto failure = builder.Build(values);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->message, c.message);
        EXPECT_EQ(failure->field, c.field);
    }
}

TEST(PreEntryRecord, ValidValuesBuildTheRecord) {
    Builder builder;
    PreEntryValues values = ValidValues();
    values.waybill = u"  tl2024x  ";  // more than 6 characters: upper-cased, then trimmed
    values.receiverPostcode = u"sw1a 1aa";
    values.receiverName = u" 李娜\u0645 ";  // one character GBK cannot hold
    values.weight = 2.5;
    values.pieces = 2;
    values.mark = true;
    values.payment = 2;
    builder.panes.transferNumber = u"ab123";
    builder.goods.resize(2);
    ASSERT_FALSE(builder.Build(values, 17));
    const ShipmentRecord& r = builder.record;
    EXPECT_EQ(r.id, 17);
    EXPECT_EQ(r.businessYear, 2024);
    EXPECT_EQ(r.businessMonth, 1);
    EXPECT_EQ(r.businessDay, 5);
    EXPECT_EQ(r.waybillNumber.view(), "TL2024X");
    EXPECT_EQ(values.waybill, u"TL2024X");  // the form shows what was stored
    EXPECT_EQ(r.receiverPostcode.view(), "SW1A 1AA");
    EXPECT_EQ(r.transferNumber.view(), "AB123");
    EXPECT_EQ(r.receiverName.view(), G("李娜") + "&#1605;");
    EXPECT_EQ(values.receiverName, u"李娜\u0645");
    EXPECT_EQ(r.expressKind.view(), G("国际特快专递"));
    EXPECT_DOUBLE_EQ(r.weight, 2.5);
    EXPECT_DOUBLE_EQ(r.actualWeight, 2.5);
    EXPECT_EQ(r.goodsUnitPrice, 100);
    EXPECT_EQ(r.pieces, 2);
    EXPECT_EQ(r.mark, 1);
    EXPECT_EQ(r.payment, 2);
    EXPECT_EQ(r.goodsLineCount, 2);
    EXPECT_EQ(r.pieceWeightCount, 0);
    EXPECT_TRUE(r.dimensions.empty());
}

TEST(PreEntryRecord, AmountsAreStoredInHundredths) {
    const struct {
        double typed;
        std::int32_t stored;
    } cases[] = {{19.99, 1999}, {19.999, 1999}, {12.345, 1234}, {1.005, 100}, {0, 0}, {-3.5, -350}};
    for (const auto& c : cases) {
        Builder builder;
        PreEntryValues values = ValidValues();
        values.unitPrice = values.declaredValue = values.insuredValue = c.typed;
        ASSERT_FALSE(builder.Build(values)) << c.typed;
        EXPECT_EQ(builder.record.goodsUnitPrice, c.stored) << c.typed;
        EXPECT_EQ(builder.record.declaredValue, c.stored) << c.typed;
        EXPECT_EQ(builder.record.insuredValue, c.stored) << c.typed;
    }
}

PieceWeightRecord Piece(int length, int width, int height, int grams) {
    PieceWeightRecord piece{};
    piece.length = length;
    piece.width = width;
    piece.height = height;
    piece.weightGrams = grams;
    return piece;
}

TEST(PreEntryRecord, PieceWeightsGiveActualWeightAndDimensions) {
    const struct {
        const char* what;
        int pieces;
        std::vector<PieceWeightRecord> lines;
        char letter;
        double actual;
        const char* dimensions;
    } cases[] = {
        {"no pieces", 1, {}, 0, 4.0, ""},
        {"no pieces, letter T", 1, {}, 'T', 4.0, "T"},
        {"one piece", 1, {Piece(10, 20, 30, 1500)}, 0, 1.5, "10*20*30"},
        {"one piece, letter D", 1, {Piece(10, 20, 30, 1500)}, 'D', 1.5, "10*20*30D"},
        {"one flat piece", 1, {Piece(0, 10, 10, 1500)}, 0, 4.0, ""},
        {"one piece without weight", 1, {Piece(10, 10, 10, 0)}, 0, 4.0, "10*10*10"},
        {"one piece beyond the field", 1, {Piece(100000, 99999, 99999, 1500)}, 'E', 4.0, "E"},
        {"largest piece", 1, {Piece(9999, 9999, 9999, 1500)}, 'E', 1.5, "9999*9999*9999E"},
        {"three lines, two pieces", 2, {Piece(1, 1, 1, 1000), Piece(1, 1, 1, 2000), Piece(1, 1, 1, 4000)}, 0, 3.0, ""},
        {"two lines, five pieces", 5, {Piece(1, 1, 1, 1000), Piece(1, 1, 1, 2000)}, 0, 3.0, ""},
        {"lines without weight", 2, {Piece(1, 1, 1, 0), Piece(1, 1, 1, 0)}, 0, 4.0, ""},
        {"other letters are not written", 1, {}, 'X', 4.0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Builder builder;
        builder.data.volumetricLetter = c.letter;
        builder.pieces = c.lines;
        PreEntryValues values = ValidValues();
        values.weight = 4.0;
        values.pieces = c.pieces;
        ASSERT_FALSE(builder.Build(values));
        EXPECT_DOUBLE_EQ(builder.record.actualWeight, c.actual);
        EXPECT_EQ(builder.record.dimensions.view(), c.dimensions);
        EXPECT_EQ(builder.record.pieceWeightCount, static_cast<int>(c.lines.size()));
    }
}

TEST(PreEntryRecord, ShortWaybillGetsAGeneratedNumber) {
    Builder builder;
    builder.data.kinds.Append("GJTK", G("国际特快专递"));
    SessionValues session;  // nobody logged in: a local number with the placeholder
    NumberRotation rotation;
    NumberContext context{session,
                          builder.data,
                          rotation,
                          nullptr,
                          3,
                          [] { return 42; },
                          [] { return std::chrono::year_month_day{std::chrono::year{2024} / 1 / 5}; }};
    builder.numbers = &context;
    PreEntryValues values = ValidValues();
    values.waybill = u"";
    ASSERT_FALSE(builder.Build(values));
    const std::string number(builder.record.waybillNumber.view());
    EXPECT_GE(number.size(), 7u);
    EXPECT_NE(number.find("00423XXXXX"), std::string::npos) << number;
    EXPECT_EQ(values.waybill, Utf8ToUtf16(number));
}

TEST(PreEntryRecord, StoredRecordComesBackAsTheValuesThatMadeIt) {
    Builder builder;
    PreEntryValues values = ValidValues();
    values.itemType = 0;
    values.language = 2;
    values.payment = 0;
    values.pieces = 3;
    values.weight = 1.25;
    values.fee = 88.5;
    values.receiverCompany = u"Société Générale";  // accents kept as references for the receiver
    values.receiverCity = u"Paris";
    values.senderName = u"张伟";
    values.senderAddress = u"宝安区\r\n一号路";
    values.remark = u"易碎";
    values.unitPrice = 19.99;
    values.declaredValue = 120;
    values.quantity = 4;
    values.duty = 1.5;
    values.taxRate = 0.13;
    values.mark = true;
    values.collectFreight = 10;
    values.codGoodsAmount = 200;
    values.codSettledAmount = 190;
    builder.panes.referenceNumber = u"REF-1";
    builder.panes.reservedNumber = 9;
    builder.panes.spare5 = u"备用";
    ASSERT_FALSE(builder.Build(values, 5));

    PreEntryValues loaded;
    PreEntryPaneValues panes;
    ValuesFromRecord(builder.record, loaded, panes);
    EXPECT_EQ(loaded, values);
    EXPECT_EQ(panes, builder.panes);
}

TEST(PreEntryRules, DestinationSplits) {
    struct Case {
        const char* name;
        int language;
        const char* code;
        const char* postcode;
        const char* country;
        bool setsPlace;
        const char* province;
        const char* city;
    };
    const Case cases[] = {
        {"印度尼西亚雅加达", 2, "ID", "", "印度尼西亚", true, "雅加达", ""},
        {"印度孟买", 2, "IN", "", "印度", true, "孟买", ""},
        {"日本", 2, "JP", "", "日本", true, "", ""},
        {"火星基地", 2, "XX", "", "火星基地", true, "", ""},
        {"广东深圳", 0, "SZ", "518000", "中国", true, "广东", "深圳"},
        {"广东", 0, "GD", "", "中国", true, "广东", "广东"},
        {"黑龙江哈尔滨", 0, "HRB", "", "中国", true, "黑龙江", "哈尔滨"},
        {"香港", 1, "HK", "", "中国", true, "香港", "香港"},
        {"某地", 0, "MD", "", "中国", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DestinationRecord row{};
        row.nameZh = G(c.name);
        row.code = c.code;
        row.fourth = c.postcode;
        row.firstNumber = static_cast<std::uint8_t>(c.language);
        const DestinationChoice choice = SplitDestination(row);
        EXPECT_EQ(choice.language, c.language);
        EXPECT_EQ(choice.setsPostcode, *c.postcode != 0);
        EXPECT_EQ(Utf16ToUtf8(choice.country), c.country);
        EXPECT_EQ(choice.setsProvinceAndCity, c.setsPlace);
        EXPECT_EQ(Utf16ToUtf8(choice.province), c.province);
        EXPECT_EQ(Utf16ToUtf8(choice.city), c.city);

        PreEntryValues values;
        values.receiverProvince = u"旧省";
        values.receiverCity = u"旧市";
        values.receiverPostcode = u"100000";
        ApplyDestinationChoice(choice, values);
        EXPECT_EQ(values.language, c.language);
        EXPECT_EQ(Utf16ToUtf8(values.receiverPostcode), *c.postcode ? c.postcode : "100000");
        EXPECT_EQ(Utf16ToUtf8(values.receiverProvince), c.setsPlace ? c.province : "旧省");
        EXPECT_EQ(Utf16ToUtf8(values.receiverCity), c.setsPlace ? c.city : "旧市");
    }
}

TEST(PreEntryRules, NewRecordKeepsOnlyWhatItShould) {
    PreEntryDefaults defaults;
    defaults.origin = u"深圳";
    defaults.department = u"一部";
    defaults.senderName = u"张伟";
    defaults.goodsOrigin = u"CN";
    defaults.currency = u"USD";
    PreEntryValues values = ValidValues();
    values.payment = 2;
    values.origin = u"广州";
    values.currency = u"EUR";
    values.weight = 3;
    values.pieces = 4;
    values.mark = true;
    values.collectFreight = 5;
    PreEntryPaneValues panes;
    panes.spare1 = u"x";
    panes.reservedNumber = 7;

    PreEntryValues locked = values;
    ResetForNewRecord(locked, panes, defaults, u"2024.01.09", false, true);
    EXPECT_EQ(locked.origin, u"广州");    // the locked origin survives
    EXPECT_EQ(locked.receiverName, u"");  // other fields are cleared whatever their lock
    EXPECT_EQ(locked.settlement, u"CC");
    EXPECT_EQ(locked.payment, 2);
    EXPECT_EQ(locked.currency, u"EUR");
    EXPECT_EQ(locked.kindName, values.kindName);
    EXPECT_EQ(locked.businessDate, u"2024.01.05");  // a date is kept
    EXPECT_EQ(locked.goodsDescription, u"");
    EXPECT_EQ(locked.goodsOrigin, u"CN");
    EXPECT_EQ(locked.senderName, u"张伟");
    EXPECT_EQ(locked.department, u"一部");
    EXPECT_EQ(locked.pieces, 1);
    EXPECT_EQ(locked.weight, 0);
    EXPECT_FALSE(locked.mark);
    EXPECT_EQ(locked.collectFreight, 0);
    EXPECT_EQ(panes, PreEntryPaneValues{});

    PreEntryValues keepGoods = values;
    keepGoods.businessDate.clear();
    ResetForNewRecord(keepGoods, panes, defaults, u"2024.01.09", true, false);
    EXPECT_EQ(keepGoods.origin, u"深圳");
    EXPECT_EQ(keepGoods.goodsDescription, u"衣服");
    EXPECT_EQ(keepGoods.businessDate, u"2024.01.09");
}

TEST(PreEntryRules, DateLabelCyclesThroughTheLastThreeDays) {
    const BusinessDateList dates = MakeBusinessDateList(2024, 3, 1);
    EXPECT_EQ(dates[0], u"2024.03.01");
    EXPECT_EQ(dates[1], u"2024.02.29");
    EXPECT_EQ(dates[2], u"2024.02.28");
    EXPECT_EQ(NextBusinessDate(u"2024.03.01", dates), u"2024.02.29");
    EXPECT_EQ(NextBusinessDate(u"2024.02.29", dates), u"2024.02.28");
    EXPECT_EQ(NextBusinessDate(u"2024.02.28", dates), u"2024.03.01");
    EXPECT_EQ(NextBusinessDate(u"2023.1.1", dates), u"2024.03.01");
    EXPECT_EQ(SettlementForPayment(0), u"PP");
    EXPECT_EQ(SettlementForPayment(1), u"PP");
    EXPECT_EQ(SettlementForPayment(2), u"CC");
}

// Four destinations; the domestic kind accepts two, the international one
// one, the city kind lists none of its own.
BaseData ChooserData() {
    BaseData data;
    data.destinations.Parse(
        G("0 0\tSH\t\t200000\t上海\tShanghai\n"
          "0 0\tSZ\t\t518000\t广东深圳\tShenzhen\n"
          "0 0\tGZ\t\t510000\t广东广州\tGuangzhou\n"
          "2 0\tUS\t\t\t美国\tUnited States\n"));
    data.kinds.Append("GNBZ", G("国内标准快递"));
    data.kinds.Append("GJTK", G("国际特快专递"));
    data.kinds.Append("TCKD", G("同城快递"));
    data.kinds.FindKindByCode("GNBZ")->destinations = G("上海\t广东深圳\t");
    data.kinds.FindKindByCode("GJTK")->destinations = G("美国\t");
    return data;
}

std::vector<std::string> RowNames(const DestinationTable::Suggestions& rows) {
    std::vector<std::string> out;
    for (const DestinationRecord* row : rows)
        if (row) out.push_back(GbkToUtf8(row->nameZh.view()));
    return out;
}

TEST(DestinationChooser, OffersTheDestinationsOfTheCurrentKind) {
    const BaseData data = ChooserData();
    DestinationChooser chooser(data);
    const auto names = [&](std::string_view kind, std::u16string_view typed) {
        return RowNames(chooser.Suggest(G(kind), typed));
    };
    // Rows go on in the index's order from the first name that fits.
    EXPECT_EQ(names("国内标准快递", u"广东"), (std::vector<std::string>{"广东深圳", "上海"}));
    EXPECT_EQ(names("国内标准快递", u"s"), (std::vector<std::string>{"上海", "广东深圳"}));
    EXPECT_TRUE(names("国内标准快递", u"美").empty());
    EXPECT_TRUE(names("国内标准快递", u"").empty());
    EXPECT_EQ(names("国际特快专递", u"united states"), std::vector<std::string>{"美国"});
    // A kind without a list of its own offers every destination.
    EXPECT_EQ(names("同城快递", u"广东"), (std::vector<std::string>{"广东广州", "广东深圳", "美国", "上海"}));
    EXPECT_EQ(names("未知", u"5180"), std::vector<std::string>{"广东深圳"});
}

// The rows are those of the kind asked for, whatever was asked before; the
// kind's table is built once per kind and base data, not per keystroke, and
// again when the base data changed.
TEST(DestinationChooser, RowsFollowKindAndBaseDataWithoutRebuildingPerKeystroke) {
    BaseData data = ChooserData();
    DestinationChooser chooser(data);
    struct Step {
        const char* kind;
        std::u16string typed;
        std::vector<std::string> rows;
        int builds;  // after the step
    };
    const Step steps[] = {
        {"国内标准快递", u"广", {"广东深圳", "上海"}, 1},
        {"国内标准快递", u"广东", {"广东深圳", "上海"}, 1},
        {"国内标准快递", u"广东深", {"广东深圳", "上海"}, 1},
        {"国内标准快递", u"", {}, 1},                                        // nothing typed: nothing looked up
        {"同城快递", u"广东", {"广东广州", "广东深圳", "美国", "上海"}, 1},  // the whole table
        {"国内标准快递", u"美", {}, 1},                                      // same kind, same data
        {"国际特快专递", u"美", {"美国"}, 2},
        {"国际特快专递", u"美国", {"美国"}, 2},
        {"国内标准快递", u"广东", {"广东深圳", "上海"}, 3},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.kind + std::string(" ") + Utf16ToUtf8(step.typed));
        EXPECT_EQ(RowNames(chooser.Suggest(G(step.kind), step.typed)), step.rows);
        EXPECT_EQ(chooser.TableBuilds(), step.builds);
    }

    // The kind's list changes: built again.
    data.kinds.FindKindByCode("GNBZ")->destinations = G("广东广州\t");
    EXPECT_EQ(RowNames(chooser.Suggest(G("国内标准快递"), u"广东")), std::vector<std::string>{"广东广州"});
    EXPECT_EQ(chooser.TableBuilds(), 4);
    // The table is loaded again with the same size and version but another
    // English name: built again, and the rows show the new record.
    ASSERT_TRUE(
        data.destinations.Parse(G("0 0\tSH\t\t200000\t上海\tShanghai\n"
                                  "0 0\tSZ\t\t518000\t广东深圳\tShenzhen\n"
                                  "0 0\tGZ\t\t510000\t广东广州\tCanton\n"
                                  "2 0\tUS\t\t\t美国\tUnited States\n")));
    const DestinationTable::Suggestions rows = chooser.Suggest(G("国内标准快递"), u"广东");
    EXPECT_EQ(chooser.TableBuilds(), 5);
    ASSERT_NE(rows[0], nullptr);
    EXPECT_EQ(GbkToUtf8(rows[0]->nameEn.view()), "Canton");
    chooser.Suggest(G("国内标准快递"), u"广东广");
    EXPECT_EQ(chooser.TableBuilds(), 5);
}

}  // namespace
}  // namespace tallux
