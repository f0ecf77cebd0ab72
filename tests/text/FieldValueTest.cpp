#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

#include "text/FieldValue.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

const std::string kThirtyDigits = "123456789012345678901234567890";

FieldDefinition Field(FieldType type, std::int32_t subtype, std::int32_t minimum, std::int32_t maximum) {
    FieldDefinition d;
    d.type = type;
    d.subtype = subtype;
    d.minimum = minimum;
    d.maximum = maximum;
    return d;
}

std::tm Now() {
    std::tm now{};
    now.tm_year = 2024 - 1900;
    now.tm_mon = 6;
    now.tm_mday = 8;
    now.tm_hour = 9;
    now.tm_min = 10;
    now.tm_sec = 11;
    return now;
}
const std::string kNowText = "2024.07.08 09:10:11";

struct Case {
    std::int32_t subtype;
    std::int32_t minimum;
    std::int32_t maximum;
    std::string cell;
    std::string value;
    int code;
};

void CheckCases(FieldType type, const Case* begin, const Case* end) {
    for (const Case* c = begin; c != end; ++c) {
        FieldDefinition d = Field(type, c->subtype, c->minimum, c->maximum);
        d.value = "left from the previous row";
        EXPECT_EQ(ConvertFieldValue(d, c->cell, Now()), c->code) << c->cell;
        EXPECT_EQ(d.value, c->value) << c->cell;
    }
}

TEST(FieldValueText, ChecksCharactersAndByteRange) {
    const std::string aChineseB = Utf8ToGbk("a中文b");  // 6 bytes
    const Case cases[] = {
        {0, 0, 10, "", "", 4},
        {1, 0, 10, Utf8ToGbk("ab中"), "", -1},
        {5, 0, 10, Utf8ToGbk("ab中"), "", -1},
        {1, 0, 10, "\x80", "", -1},  // the euro byte is not ASCII either
        {1, 0, 10, "abc", "abc", 1},
        {5, 0, 10, "ab12x-Y", "AB12X-Y", 1},
        {0, 3, 10, "ab", "ab", 2},
        {5, 3, 10, "ab", "ab", 2},
        {0, 0, 6, aChineseB, aChineseB, 1},
        {0, 6, 6, aChineseB, aChineseB, 1},
        {0, 0, 5, aChineseB, Utf8ToGbk("a中文"), 3},
        {0, 0, 4, aChineseB, Utf8ToGbk("a中"), 3},  // 文 would be split
        {0, 0, 0, aChineseB, "", 3},
        {5, 0, 2, "abc", "ab", 3},
    };
    CheckCases(FieldType::Text, std::begin(cases), std::end(cases));
}

TEST(FieldValueText, NeverHoldsMoreThanTheValueBuffer) {
    std::string longText;
    for (int i = 0; i < 700; ++i) longText += Utf8ToGbk("中");
    FieldDefinition d = Field(FieldType::Text, 0, 0, 4000);
    EXPECT_EQ(ConvertFieldValue(d, longText), 3);
    EXPECT_EQ(d.value.size(), 1022u);  // 1023 would split a character

    d.minimum = 2000;  // too short, still kept only as far as the buffer goes
    EXPECT_EQ(ConvertFieldValue(d, longText), 2);
    EXPECT_EQ(d.value.size(), 1022u);
}

TEST(FieldValueInteger, AppliesMinimumAndMaximum) {
    const Case cases[] = {
        {0, 1, 0, "5", "5", 1},
        {0, 1, 0, "0", "0", 0},
        {0, 1, 0, "-3", "0", 0},
        {0, 1, 0, "", "0", 0},
        {0, 0, 0, "-3", "0", 0},
        {0, 5, 0, "3", "5", 0},
        {0, 0, 100, "150", "100", 0},
        {0, 0, 100, "100", "100", 1},
        {0, -1, 0, "-7", "-7", 1},  // a negative minimum is no minimum
        {0, 0, 0, " 42 pcs", "42", 1},
        {0, 0, 0, "+12", "12", 1},
        {0, 0, 0, "pcs 42", "0", 1},
        {0, 0, 0, "2147483647", "2147483647", 1},
        // out of int32 or of any integer type: bounded, never wrapped
        {0, 0, 0, "2147483648", "2147483647", 0},
        {0, 0, 100, kThirtyDigits, "100", 0},
        {0, 0, 0, kThirtyDigits, "2147483647", 0},
        {0, -1, 0, "-" + kThirtyDigits, "-2147483648", 0},
        {0, 1, 0, "-" + kThirtyDigits, "0", 0},
    };
    CheckCases(FieldType::Integer, std::begin(cases), std::end(cases));
}

TEST(FieldValueDecimal, RoundsAtTheDecimalsAndAppliesBounds) {
    const Case cases[] = {
        {2, 0, 0, "USD 12.345", "12.35", 1},
        {2, 0, 0, "-3", "0.000000", 0},
        {2, 1, 0, "-3", "0.0", 0},
        {2, 1, 0, "0.004", "0.0", 0},   // rounds to zero
        {2, 5, 0, "4.999", "5.00", 1},  // compared after rounding
        {2, 5, 0, "4.994", "5.000000", 0},
        {2, 0, 500, "501", "500.000000", 0},
        {2, 0, 500, "500.001", "500.00", 1},
        {2, 0, 500, "500.01", "500.000000", 0},
        {3, 0, 0, "1.5", "1.500", 1},
        {0, 0, 0, "7.5", "8", 1},
        {4, 0, 0, "kg .5", "0.5000", 1},
        {2, 0, 0, "12.345e1", "123.45", 1},
        {2, 0, 0, "123456789.125", "123456789.13", 1},
        {2, -1, 0, "-3.456", "-3.46", 1},  // negative amounts round away from zero too
        {2, -1, 0, "-0.001", "0.00", 1},
        {2, 0, 0, "abc", "0.00", 1},
        {2, 0, 0, "+-5", "0.00", 1},
        {-3, 0, 0, "2.5", "3", 1},  // a negative number of decimals counts as 0
        {17, 0, 0, "1", "1.00000000000000000", 1},
        {40, 0, 0, "1", "1.00000000000000000", 1},
        // no defined 64-bit scaled value: refused
        {2, 0, 0, "nan", "0.00", 1},  // no sign, point or digit: no number at all
        {2, 0, 0, "+nan", "", -1},
        {2, 0, 0, "+inf", "", -1},
        {2, 0, 0, "-infinity", "", -1},
        {2, 0, 0, "1e400", "", -1},
        {2, 0, 0, "1e-400", "", -1},
        {2, 0, 0, kThirtyDigits, "", -1},
        {2, 0, 500, kThirtyDigits, "", -1},
        {2, -1, 0, "-" + kThirtyDigits, "", -1},
        {17, 0, 0, "10", "", -1},
    };
    CheckCases(FieldType::Decimal, std::begin(cases), std::end(cases));
}

TEST(FieldValueDate, ReadsDateAndTimeOfDay) {
    const std::string pm = Utf8ToGbk("下午");
    const Case cases[] = {
        {1, 0, 0, "2024-05-06", "2024-05-06", 1},
        {1, 0, 0, "24/5/6", "2024-05-06", 1},
        {1, 0, 0, Utf8ToGbk("2024年5月6日"), "2024-05-06", 1},
        {1, 0, 0, "2024-02-30", "2024-02-29", 1},  // no impossible date reaches the record
        {1, 0, 0, "2024-05-06 1430", "2024-05-06 14:30", 1},
        {1, 0, 0, "2024-05-06 143000", "2024-05-06 14:30:00", 1},
        {1, 0, 0, "2024-05-06 143005", "2024-05-06 14:30:05", 1},
        {1, 0, 0, "2024-05-06 14:30", "2024-05-06 14:30", 1},
        {1, 0, 0, "2024-05-06 14:30:45", "2024-05-06 14:30:45", 1},
        {1, 0, 0, "2024-05-06 14:30:00", "2024-05-06 14:30", 1},
        {1, 0, 0, "2024-05-06 14:30:75", "2024-05-06 14:30", 1},
        {1, 0, 0, "2024-05-06 2:30 PM", "2024-05-06 14:30", 1},
        {1, 0, 0, "2024-05-06 2:30 pm", "2024-05-06 14:30", 1},
        {1, 0, 0, "2024-05-06 2:30p", "2024-05-06 14:30", 1},
        {1, 0, 0, "2024-05-06 " + pm + " 2:30", "2024-05-06 14:30", 1},
        {1, 0, 0, "2024-05-06 12:30 PM", "2024-05-06 12:30", 1},
        {1, 0, 0, "2024-05-06 3pm", "2024-05-06 15:00", 1},
        {1, 0, 0, "2024-05-06th 1430", "2024-05-06 14:30", 1},
        // P and M as second bytes of double-byte characters are no afternoon
        {1, 0, 0, "2024-05-06 2:30 \x81PM\x81p", "2024-05-06 02:30", 1},
        // times that do not exist give none
        {1, 0, 0, "2024-05-06 24:00", "2024-05-06", 1},
        {1, 0, 0, "2024-05-06 10:60", "2024-05-06", 1},
        {1, 0, 0, "2024-05-06 2460", "2024-05-06", 1},
        {1, 0, 0, "2024-05-06 1460", "2024-05-06", 1},
        {1, 0, 0, "2024-05-06 143060", "2024-05-06", 1},
        {1, 0, 0, "2024-05-06 " + kThirtyDigits, "2024-05-06", 1},
        {1, 0, 0, "2024-05-06" + std::string(50, ' ') + "1430", "2024-05-06", 1},  // beyond the first 60 bytes
        // nothing valid: the current date and time
        {1, 0, 0, "May 5th 2024", kNowText, 1},  // read as year 2005, month 2024
        {1, 0, 0, "2024 May 5th", kNowText, 1},
        {1, 0, 0, "2024-13-01", kNowText, 1},
        {1, 0, 0, "2024-05-32", kNowText, 1},
        {1, 0, 0, "10000-01-01", kNowText, 1},
        {1, 0, 0, kThirtyDigits + "-01-01", kNowText, 1},
        {1, 0, 0, "", kNowText, 1},
    };
    CheckCases(FieldType::Date, std::begin(cases), std::end(cases));
}

TEST(FieldValueDate, UsesTheLocalClockByDefault) {
    FieldDefinition d = Field(FieldType::Date, 1, 0, 0);
    EXPECT_EQ(ConvertFieldValue(d, "no date"), 1);
    ASSERT_EQ(d.value.size(), 19u) << d.value;
    EXPECT_EQ(d.value[4], '.');
    EXPECT_EQ(d.value[10], ' ');
    EXPECT_EQ(d.value[16], ':');
}

TEST(FieldValueTarget, ReceivesOnlyFullyValidValues) {
    struct TargetCase {
        FieldDefinition definition;
        std::string cell;
        int code;
    } cases[] = {
        {Field(FieldType::Text, 0, 0, 10), "abc", 1},
        {Field(FieldType::Text, 0, 0, 2), "abc", 3},
        {Field(FieldType::Text, 0, 5, 10), "abc", 2},
        {Field(FieldType::Text, 0, 0, 10), "", 4},
        {Field(FieldType::Text, 1, 0, 10), Utf8ToGbk("中"), -1},
        {Field(FieldType::Integer, 0, 1, 0), "7", 1},
        {Field(FieldType::Integer, 0, 1, 0), "0", 0},
        {Field(FieldType::Decimal, 2, 0, 0), "1.5", 1},
        {Field(FieldType::Decimal, 2, 0, 0), "-1.5", 0},
        {Field(FieldType::Decimal, 2, 0, 0), "-nan", -1},
        {Field(FieldType::Date, 1, 0, 0), "2024-5-6", 1},
    };
    for (TargetCase& c : cases) {
        char field[16];
        std::memset(field, 'X', sizeof field);
        c.definition.target = field;
        c.definition.targetSize = sizeof field;
        ASSERT_EQ(ConvertFieldValue(c.definition, c.cell, Now()), c.code) << c.cell;
        if (c.code == 1) {
            EXPECT_EQ(std::string(field), c.definition.value) << c.cell;
            for (std::size_t i = c.definition.value.size(); i < sizeof field; ++i) EXPECT_EQ(field[i], '\0');
        } else {
            EXPECT_EQ(std::string(field, sizeof field), std::string(sizeof field, 'X')) << c.cell;
        }
    }
}

TEST(FieldValueTarget, KeepsTheTerminatorAndWholeCharacters) {
    const std::string value = Utf8ToGbk("a中文");  // 5 bytes
    struct {
        std::size_t size;
        std::string stored;
    } cases[] = {{1, ""}, {2, "a"}, {3, "a"}, {4, Utf8ToGbk("a中")}, {5, Utf8ToGbk("a中")}, {6, value}};
    for (const auto& c : cases) {
        char field[8];
        std::memset(field, 'X', sizeof field);
        FieldDefinition d = Field(FieldType::Text, 0, 0, 30);
        d.target = field;
        d.targetSize = c.size;
        ASSERT_EQ(ConvertFieldValue(d, value), 1);
        EXPECT_EQ(d.value, value) << "the value itself is not cut";
        EXPECT_EQ(std::string(field), c.stored) << c.size;
        EXPECT_EQ(field[c.size], 'X') << "nothing written beyond the field, size " << c.size;
    }
}

TEST(FieldValue, SurvivesArbitraryCells) {
    std::mt19937 random(11);
    const std::string alphabet = "0123456789-+.eEinfa:/ pPmM\x81\xCF\xC2\xCE\xE7";
    const FieldType types[] = {FieldType::Text, FieldType::Integer, FieldType::Decimal, FieldType::Date};
    for (int i = 0; i < 20000; ++i) {
        std::string cell(random() % (i % 100 == 0 ? 3000 : 70), ' ');
        for (char& c : cell) c = i % 2 ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
        FieldType type = types[i % 4];
        FieldDefinition d = Field(type, static_cast<std::int32_t>(random() % 8),
                                  static_cast<std::int32_t>(random() % 3), static_cast<std::int32_t>(random() % 3000));
        char field[12];
        d.target = field;
        d.targetSize = sizeof field;
        int code = ConvertFieldValue(d, cell, Now());
        ASSERT_TRUE(code >= -1 && code <= 4) << code;
        ASSERT_LE(d.value.size(), kFieldValueMaxBytes);
        if (code == 1) {
            ASSERT_LT(std::strlen(field), sizeof field);
        }
    }
}

}  // namespace
}  // namespace tallux
