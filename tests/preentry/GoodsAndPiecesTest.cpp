#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preentry/ChargeableWeight.h"
#include "preentry/GoodsLinesEditor.h"
#include "preentry/LocalShipmentWriter.h"
#include "preentry/PieceWeightsSession.h"
#include "store/GoodsLineStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

TEST(ChargeableWeight, VolumetricRule) {
    const struct {
        std::int64_t l, w, h, grams;
        int percent;
        char letter;
        std::int64_t expected;
    } cases[] = {
        {50, 40, 30, 8000, 100, 'E', 8000},   // 60000 / 8 = 7500, lighter than weighed
        {50, 40, 30, 8000, 100, 'T', 20000},  // 60000 / 3
        {50, 40, 30, 8000, 50, 'T', 14000},   // half and half
        {50, 40, 30, 8000, 0, 'T', 8000},     // no volumetric weighting
        {50, 40, 30, 8000, 200, 'T', 20000},  // above 100 counts as 100
        {50, 40, 30, 8000, 100, 'D', 12000},  // 60000 / 5
        {50, 40, 30, 8000, 100, 'X', 10000},  // any other letter: 6
        {50, 40, 30, 8000, 100, 0, 10000},
        {0, 0, 0, 0, 100, 'T', 0},
        {9999, 9999, 9999, 1000, 255, 'T', 333233343333},  // beyond 32 bits, still exact
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChargeableWeight(c.l, c.w, c.h, c.grams, c.percent, c.letter), c.expected)
            << c.l << "x" << c.w << "x" << c.h << " " << c.grams << "g " << c.percent << "% " << c.letter;
    EXPECT_EQ(Utf16ToUtf8(VolumetricWeightText(50, 40, 30, 'T')), "体积重:20.000公斤");
    EXPECT_EQ(Utf16ToUtf8(VolumetricDivisorLabel('D').text), "÷5000");
    EXPECT_EQ(Utf16ToUtf8(VolumetricDivisorLabel('?').text), "÷6000");
}

PieceInputs Weighed(double kg, int length = 0, int width = 0, int height = 0) {
    PieceInputs inputs;
    inputs.weightKg = kg;
    inputs.length = length;
    inputs.width = width;
    inputs.height = height;
    return inputs;
}

TEST(PieceWeights, CountFillsUpToThePiecesOfTheShipment) {
    std::vector<PieceWeightRecord> pieces;
    PieceWeightsSession session(pieces, 3, 'T');
    EXPECT_TRUE(session.Adding());
    EXPECT_EQ(Utf16ToUtf8(session.CurrentPieceText()), "第 1 件/共 3 件");
    PieceInputs five = Weighed(1.5, 10, 10, 10);
    five.count = 5;
    ASSERT_FALSE(session.Confirm(five));
    ASSERT_EQ(pieces.size(), 3u);  // lowered to the three the shipment has
    for (const PieceWeightRecord& piece : pieces) EXPECT_EQ(piece.weightGrams, 1500);
    EXPECT_TRUE(session.Changed());
    EXPECT_FALSE(session.Adding());
    EXPECT_EQ(session.CurrentIndex(), 0);  // all there: back to the first
    EXPECT_EQ(Utf16ToUtf8(session.TotalText()), "累计重量：4.500公斤");

    // From the second piece on only the pieces still missing are added.
    std::vector<PieceWeightRecord> more;
    PieceWeightsSession second(more, 3, 'T');
    ASSERT_FALSE(second.Confirm(Weighed(1)));
    PieceInputs again = Weighed(2);
    again.count = 5;
    ASSERT_FALSE(second.Confirm(again));
    EXPECT_EQ(more.size(), 3u);
    EXPECT_EQ(more[2].weightGrams, 2000);
}

TEST(PieceWeights, ConfirmationsCycleOnceEveryPieceExists) {
    std::vector<PieceWeightRecord> pieces;
    PieceWeightsSession session(pieces, 2, 0);
    ASSERT_FALSE(session.Confirm(Weighed(1)));
    EXPECT_EQ(session.CurrentIndex(), 1);
    ASSERT_FALSE(session.Confirm(Weighed(2)));
    EXPECT_EQ(session.CurrentIndex(), 0);
    EXPECT_DOUBLE_EQ(session.Inputs().weightKg, 1.0);  // the current piece's values
    PieceInputs heavier = session.Inputs();
    heavier.weightKg = 3;
    ASSERT_FALSE(session.Confirm(heavier));
    EXPECT_EQ(pieces[0].weightGrams, 3000);
    EXPECT_EQ(session.CurrentIndex(), 1);
    ASSERT_FALSE(session.Confirm(session.Inputs()));
    EXPECT_EQ(session.CurrentIndex(), 0);
    EXPECT_EQ(pieces.size(), 2u);

    std::vector<PieceWeightRecord> single;
    PieceWeightsSession one(single, 0, 0);  // pieces below 1 count as 1
    EXPECT_EQ(one.PieceCount(), 1);
    ASSERT_FALSE(one.Confirm(Weighed(1)));
    EXPECT_EQ(one.CurrentIndex(), 0);
    ASSERT_FALSE(one.Confirm(Weighed(2)));
    EXPECT_EQ(one.CurrentIndex(), 0);
    EXPECT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].weightGrams, 2000);
}

TEST(PieceWeights, RefusalsLeaveThePiecesAsTheyWere) {
    const struct {
        const char* what;
        PieceInputs inputs;
        const char* message;  // empty: refused without a word
        PieceField field;
    } cases[] = {
        {"no weight, no volume", Weighed(0), "", PieceField::Weight},
        {"no weight, no percent",
         [] {
             auto i = Weighed(0, 10, 10, 10);
             i.percent = 0;
             return i;
         }(),
         "", PieceField::Weight},
        {"percent above a byte",
         [] {
             auto i = Weighed(1);
             i.percent = 256;
             return i;
         }(),
         "[泡重权重]应在 0 到 255 之间。", PieceField::Percent},
        {"side beyond the field", Weighed(1, 10000, 10, 10), "[长宽高]每边应在 0 到 9999 厘米之间。",
         PieceField::Length},
        {"negative side", Weighed(1, 10, -1, 10), "[长宽高]每边应在 0 到 9999 厘米之间。", PieceField::Width},
        {"long description",
         [] {
             auto i = Weighed(1);
             i.description = std::u16string(63, u'x');
             return i;
         }(),
         "[物品名称]长度不得超过 62 字符。", PieceField::Description},
        {"long code",
         [] {
             auto i = Weighed(1);
             i.codeB = std::u16string(63, u'x');
             return i;
         }(),
         "[物品乙码]长度不得超过 62 字符。", PieceField::CodeB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<PieceWeightRecord> pieces;
        PieceWeightsSession session(pieces, 2, 'T');
        const auto refusal = session.Confirm(c.inputs);
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->message, c.message);
        EXPECT_EQ(refusal->field, c.field);
        EXPECT_TRUE(pieces.empty());
        EXPECT_FALSE(session.Changed());
    }
    // Volume alone is a weight.
    std::vector<PieceWeightRecord> pieces;
    PieceWeightsSession session(pieces, 1, 'T');
    EXPECT_FALSE(session.Confirm(Weighed(0, 30, 30, 30)));
    EXPECT_EQ(Utf16ToUtf8(session.TotalText()), "累计重量：9.000公斤");
}

TEST(PieceWeights, PieceValuesAndRows) {
    std::vector<PieceWeightRecord> pieces;
    PieceWeightsSession session(pieces, 1, 'T');
    PieceInputs inputs = Weighed(8, 50, 40, 30);
    inputs.percent = 50;
    inputs.description = u"Kid's shoes";
    inputs.quantity = 2;
    inputs.unitPrice = 19.99;
    inputs.taxRate = 0.13;
    ASSERT_FALSE(session.Confirm(inputs));
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].description.view(), "Kid`s shoes");  // apostrophes never reach the server's SQL
    EXPECT_EQ(pieces[0].goodsUnitPrice, 1999);
    EXPECT_EQ(pieces[0].volumetricPercent, 50);
    std::vector<std::string> cells;
    for (const auto& cell : session.RowTexts(0)) cells.push_back(Utf16ToUtf8(cell));
    const std::vector<std::string> expected = {"1", "14.000", "8.000", "50",     "40", "30", "50", "Kid`s shoes",
                                               "2", "19.99",  "0.00",  "0.1300", "",   "",   "",   ""};
    EXPECT_EQ(cells, expected);

    pieces[0].id = 7;  // stored pieces keep their identity when edited
    pieces[0].parentId = 3;
    session.Select(0);
    EXPECT_FALSE(session.Adding());
    EXPECT_EQ(session.Inputs().description, u"Kid`s shoes");
    PieceInputs edited = session.Inputs();
    edited.weightKg = 9;
    ASSERT_FALSE(session.Confirm(edited));
    EXPECT_EQ(pieces[0].id, 7);
    EXPECT_EQ(pieces[0].parentId, 3);
    EXPECT_EQ(pieces[0].weightGrams, 9000);

    session.ResetInputs();
    EXPECT_EQ(session.Inputs().percent, 50);  // "重输" keeps the weighting
    EXPECT_EQ(session.Inputs().weightKg, 0);
}

GoodsLineInputs Line(std::u16string description, int quantity, double price) {
    GoodsLineInputs inputs;
    inputs.description = std::move(description);
    inputs.quantity = quantity;
    inputs.unitPrice = price;
    return inputs;
}

TEST(GoodsLines, RowsAreAddedModifiedAndDeleted) {
    std::vector<GoodsLineRecord> lines;
    GoodsLinesEditor editor(lines, -1, false, 40);
    GoodsLineInputs blank = Line(u"  ", 1, 1);
    EXPECT_EQ(editor.AddOrModify(blank), "[物品名称]不得短于 1 字符。");
    EXPECT_EQ(editor.EditCount(), 0);

    GoodsLineInputs shoes = Line(u"shoes", 2, 10);
    GoodsLineInputs socks = Line(u"socks", 3, 1.5);
    ASSERT_FALSE(editor.AddOrModify(shoes));
    ASSERT_FALSE(editor.AddOrModify(socks));
    ASSERT_EQ(editor.Rows().size(), 2u);
    EXPECT_EQ(editor.Rows()[0].id, 41);  // provisional: last store id + edits + rows
    EXPECT_EQ(editor.Rows()[1].id, 43);
    EXPECT_EQ(Utf16ToUtf8(editor.StatusText()), "记录:2;数量:5");

    GoodsLineInputs loaded = editor.BeginModify(1);
    EXPECT_EQ(loaded, socks);
    loaded.quantity = 4;
    ASSERT_FALSE(editor.AddOrModify(loaded));
    EXPECT_EQ(Utf16ToUtf8(editor.StatusText()), "记录:2;数量:6");
    EXPECT_FALSE(editor.DeleteModified());  // nothing is being modified
    editor.BeginModify(0);
    EXPECT_TRUE(editor.DeleteModified());
    EXPECT_EQ(Utf16ToUtf8(editor.Rows()[0].cells[0]), "socks");

    bool changed = false;
    ASSERT_FALSE(editor.Confirm(lines, nullptr, changed));
    ASSERT_TRUE(changed);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].description.view(), "socks");
    EXPECT_EQ(lines[0].quantity, 4);
    EXPECT_DOUBLE_EQ(lines[0].unitPrice, 1.5);
    EXPECT_EQ(lines[0].parentId, -1);

    editor.Reload();  // "刷新原值": back to what the dialog was given
    EXPECT_EQ(editor.EditCount(), 0);
}

class StoredGoodsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(shipments.Open(dir.File("recinput.dat")), 0);
        ASSERT_GE(goods.Open(dir.File("recgoods.dat")), 0);
        lock.Release();
        ShipmentRecord shipment = test::Shipment("TL0000001");
        shipments.Append(shipment);
        for (const char* name : {"a", "b"}) {
            GoodsLineRecord line = test::Child<GoodsLineRecord>(1, name);
            line.quantity = 1;
            goods.Append(line);
        }
        GoodsLineRecord other = test::Child<GoodsLineRecord>(2, "other");
        goods.Append(other);
        goods.CollectChildren(1, lines);
    }

    test::TempDir dir;
    ShipmentStore shipments;
    GoodsLineStore goods;
    StoreLock lock;
    StoredShipmentTarget target{shipments, goods, lock};
    std::vector<GoodsLineRecord> lines;
};

TEST_F(StoredGoodsTest, ConfirmReplacesTheStoredLinesAndTheirCount) {
    GoodsLinesEditor editor(lines, 1, false, goods.LastId());
    editor.BeginModify(0);
    ASSERT_TRUE(editor.DeleteModified());
    GoodsLineInputs added = Line(u"c", 5, 2);
    ASSERT_FALSE(editor.AddOrModify(added));
    bool changed = false;
    ASSERT_FALSE(editor.Confirm(lines, &target, changed));
    ASSERT_TRUE(changed);
    std::vector<GoodsLineRecord> stored;
    goods.CollectChildren(1, stored);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].description.view(), "b");
    EXPECT_EQ(stored[1].description.view(), "c");
    EXPECT_EQ(stored[1].quantity, 5);
    EXPECT_EQ(lines[1].id, stored[1].id);  // the form's lines carry the store's ids
    EXPECT_EQ(shipments.FindById(1)->goodsLineCount, 2);
    goods.CollectChildren(2, stored);
    EXPECT_EQ(stored.size(), 1u);  // other shipments' lines stay
}

TEST_F(StoredGoodsTest, NothingEditedLeavesTheStoreAlone) {
    GoodsLinesEditor editor(lines, 1, false, goods.LastId());
    editor.BeginModify(1);  // looked at, not changed
    editor.EndModify();
    const int lastId = goods.LastId();
    bool changed = true;
    ASSERT_FALSE(editor.Confirm(lines, &target, changed));
    EXPECT_FALSE(changed);
    EXPECT_EQ(goods.LastId(), lastId);
    EXPECT_EQ(goods.Count(), 3);
}

TEST_F(StoredGoodsTest, ARowFailingItsCheckStopsTheConfirmation) {
    GoodsLinesEditor editor(lines, 1, false, goods.LastId());
    GoodsLineInputs longAlias = Line(u"d", 1, 1);
    longAlias.alias = std::u16string(63, u'x');
    ASSERT_FALSE(editor.AddOrModify(longAlias));  // only the description is checked on adding
    bool changed = true;
    EXPECT_EQ(editor.Confirm(lines, &target, changed), "[物品别名]长度不得超过 62 字符。");
    EXPECT_FALSE(changed);
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(goods.Count(), 3);
}

TEST_F(StoredGoodsTest, AShipmentGoneMeanwhileGetsNoLines) {
    GoodsLinesEditor editor(lines, 1, false, goods.LastId());
    GoodsLineInputs added = Line(u"c", 1, 1);
    ASSERT_FALSE(editor.AddOrModify(added));
    // Uploaded while the dialog was open: the record and its lines left.
    ASSERT_TRUE(shipments.RemoveById(1));
    goods.RemoveChildren(1);
    bool changed = true;
    EXPECT_EQ(editor.Confirm(lines, &target, changed), kVanishedRecordMessage);
    EXPECT_FALSE(changed);
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(goods.Count(), 1);  // no lines without their shipment
}

TEST(StoredGoodsFull, AGoodsStoreThatTakesNoMoreLeavesTheLinesAsTheyWere) {
    // A goods file whose ids are used up: every append is refused.
    test::TempDir dir;
    std::string header(256, '\0');
    header[4] = '\xff';
    header[5] = '\xff';
    header[6] = '\xff';
    header[7] = '\x7f';
    test::WriteWholeFile(dir.File("recgoods.dat"), header);
    ShipmentStore shipments;
    GoodsLineStore goods;
    ASSERT_GE(shipments.Open(dir.File("recinput.dat")), 0);
    ASSERT_GE(goods.Open(dir.File("recgoods.dat")), 0);
    StoreLock lock;
    lock.Release();
    ShipmentRecord shipment = test::Shipment("TL0000001");
    shipments.Append(shipment);
    StoredShipmentTarget target{shipments, goods, lock};
    std::vector<GoodsLineRecord> lines;
    GoodsLinesEditor editor(lines, 1, false, goods.LastId());
    GoodsLineInputs added = Line(u"a", 1, 1);
    ASSERT_FALSE(editor.AddOrModify(added));
    bool changed = true;
    EXPECT_EQ(editor.Confirm(lines, &target, changed), "物品信息写入失败，原有物品信息未改变。");
    EXPECT_FALSE(changed);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(goods.Count(), 0);
    EXPECT_EQ(shipments.FindById(1)->goodsLineCount, 0);
}

GoodsLineRecord StoredLine(const char* description, int quantity, double price) {
    GoodsLineRecord line{};
    line.description = Utf8ToGbk(description);
    line.quantity = quantity;
    line.unitPrice = price;
    return line;
}

TEST(GoodsSummary, JoinsDescriptionsAndQuantities) {
    EXPECT_FALSE(SummariseGoods({}));
    const auto summary = SummariseGoods({StoredLine("鞋子", 2, 10), StoredLine("袜子", 3, 1.5)});
    ASSERT_TRUE(summary);
    EXPECT_EQ(Utf16ToUtf8(summary->description), "鞋子,袜子");
    EXPECT_EQ(Utf16ToUtf8(summary->consignmentRemark), "2,3");
    EXPECT_EQ(summary->quantity, 5);
    EXPECT_DOUBLE_EQ(summary->declaredValue, 24.5);
    EXPECT_DOUBLE_EQ(summary->unitPrice, 4.9);

    const auto zero = SummariseGoods({StoredLine("样品", 0, 3)});
    EXPECT_EQ(zero->quantity, 1);

    std::vector<GoodsLineRecord> long_lines;
    for (int i = 0; i < 6; ++i) long_lines.push_back(StoredLine(std::string(49, 'a' + i).c_str(), 1, 1));
    const auto cut = SummariseGoods(long_lines);  // 6 x 49 + 5 commas = 299 characters
    EXPECT_EQ(cut->description.size(), 253u);
    EXPECT_EQ(cut->description.substr(250), u"...");
    EXPECT_EQ(cut->description.substr(0, 3), u"aaa");
}

TEST(CollectCharges, SettlementAndReturnChecks) {
    const struct {
        bool collect;
        CollectCharges in;
        const char* message;
        double settlement, returned;
    } cases[] = {
        {true, {100, 0, 0, 0}, nullptr, 100, 0},
        {true, {100, 80, 0, 0}, nullptr, 80, 0},
        {true, {100, 120, 0, 0}, "到付运费错误：下家结算小于向客户返款。", 120, 0},
        {false, {100, 80, 0, 0}, nullptr, 0, 0},
        {false, {0, 0, 500, 0}, nullptr, 0, 500},
        {false, {0, 0, 500, 450}, nullptr, 0, 450},
        {false, {0, 0, 500, 600}, "返还客户货款错误：大于实收代收货款。", 0, 600},
    };
    for (const auto& c : cases) {
        CollectCharges charges = c.in;
        const auto message = ConfirmCollectCharges(charges, c.collect);
        EXPECT_EQ(message.has_value(), c.message != nullptr);
        if (c.message) {
            EXPECT_EQ(*message, c.message);
        }
        EXPECT_DOUBLE_EQ(charges.settlement, c.settlement);
        EXPECT_DOUBLE_EQ(charges.returned, c.returned);
    }
}

}  // namespace
}  // namespace tallux
