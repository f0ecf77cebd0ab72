#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "store/PieceWeightRecord.h"
#include "store/RecordFields.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

const RecordLayout* const kLayouts[] = {&ShipmentLayout(),  &GoodsLineLayout(), &PieceWeightLayout(),
                                        &CheckScanLayout(), &ContactLayout(),   &GoodsNameLayout()};

TEST(RecordLayout, FieldsLieInsideTheRecordWithoutOverlap) {
    for (const RecordLayout* layout : kLayouts) {
        std::size_t end = 0;
        for (const FieldInfo& field : layout->fields) {
            EXPECT_GE(field.offset, end) << layout->name << "." << field.name;
            end = field.offset + field.size;
        }
        EXPECT_LE(end, layout->size) << layout->name;
    }
}

TEST(RecordLayout, TextAtFullLengthKeepsItsTerminatorAndItsNeighbours) {
    const std::string longAscii(400, 'x');
    std::string longChinese;
    for (int i = 0; i < 200; ++i) longChinese += Utf8ToGbk("货");
    for (const RecordLayout* layout : kLayouts) {
        for (const FieldInfo& field : layout->fields) {
            if (field.kind != FieldKind::Text) continue;
            for (const std::string* text : {&longAscii, static_cast<const std::string*>(&longChinese)}) {
                std::vector<unsigned char> record(layout->size, 0xEE);
                SetTextField(record.data(), field, *text);
                std::string_view stored = TextField(record.data(), field);
                // Full-width ASCII fills size - 1 bytes; double-byte text
                // never ends in half a character.
                EXPECT_EQ(stored.size(), text == &longAscii ? field.size - 1 : (field.size - 1) / 2 * 2)
                    << layout->name << "." << field.name;
                EXPECT_EQ(record[field.offset + field.size - 1], 0) << layout->name << "." << field.name;
                for (std::size_t i = 0; i < layout->size; ++i) {
                    bool outside = i < field.offset || i >= field.offset + field.size;
                    ASSERT_TRUE(!outside || record[i] == 0xEE) << "byte " << i << " changed";
                }
            }
        }
    }
}

TEST(RecordLayout, UnalignedNumbersAreLittleEndianBytes) {
    PieceWeightRecord piece;
    std::memset(&piece, 0, sizeof piece);
    piece.goodsQuantity = 0x01020304;
    piece.goodsUnitPrice = -2;
    piece.dutyRate = 1.5;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&piece);
    EXPECT_EQ(std::vector<unsigned char>(bytes + 25, bytes + 29), (std::vector<unsigned char>{4, 3, 2, 1}));
    EXPECT_EQ(std::vector<unsigned char>(bytes + 29, bytes + 33), (std::vector<unsigned char>{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(std::vector<unsigned char>(bytes + 457, bytes + 465),
              (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));
    EXPECT_EQ(piece.goodsQuantity, 0x01020304);
    EXPECT_EQ(piece.goodsUnitPrice, -2);
    EXPECT_EQ(piece.dutyRate, 1.5);
}

TEST(RecordLayout, UnterminatedTextIsReadWithinItsField) {
    FixedText<8> text;
    std::memset(text.bytes, 'a', sizeof text.bytes);
    EXPECT_EQ(text.view().size(), 8u);
    EXPECT_FALSE(text.terminated());
    text = "abc";
    EXPECT_EQ(text.view(), "abc");
    EXPECT_TRUE(text.terminated());
}

}  // namespace
}  // namespace tallux
