#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "text/DateNormaliser.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

const std::string kThirtyDigits = "123456789012345678901234567890";

struct Case {
    std::string input;
    std::string expected;
};

TEST(NormaliseDate, ReadsAndClampsDates) {
    const Case cases[] = {
        // eight-digit form
        {"20240230", "2024.02.29"},
        {"20230229", "2023.02.28"},
        {"20000230", "2000.02.29"},  // divisible by 400
        {"21000229", "2100.02.28"},  // divisible by 100 only
        {"20240431", "2024.04.30"},
        {"20241231", "2024.12.31"},
        {"19000101", "1900.01.01"},
        // separated numbers
        {"2023-02-30", "2023.02.28"},
        {"23/7/5", "2023.07.05"},
        {"2024.13.05", "2024.01.05"},
        {"2024-0-05", "2024.01.05"},
        {"2024-06-31", "2024.06.30"},
        {"2024-5-6", "2024.05.06"},
        {"  2024 / 05 / 06  ", "2024.05.06"},
        {Utf8ToGbk("2024年5月6日"), "2024.05.06"},
        {"999-1-2", "2999.01.02"},  // a year below 1000 counts from 2000
        {"1850-3-4", "1850.03.04"},
        {"3000-12-31", "3000.12.31"},
        {"2024-" + kThirtyDigits + "-05", "2024.01.05"},  // month out of range becomes 1
    };
    for (const Case& c : cases) EXPECT_EQ(NormaliseDate(c.input), c.expected) << c.input;
}

TEST(NormaliseDate, GivesTheErrorMarkerForWhatIsNoDate) {
    const std::string cases[] = {
        "",
        "1/1",
        "abcdefghij",
        "3001-01-01",
        "5000-01-01",
        "20241305",  // not a valid compact date, and as one number far above 3000
        "18991231",
        "2024-05-00",  // a day of 0 must not come out as some date
        "2024-05-32",
        "2024-05",
        "2024-05-",
        "2024-05-" + kThirtyDigits,
        kThirtyDigits + "-01-01",
    };
    for (const std::string& input : cases) EXPECT_EQ(NormaliseDate(input), "1900.01.01") << input;
}

TEST(NormaliseDateTime, ReadsPartsUntilTheFirstBadOne) {
    const Case cases[] = {
        {"2024-05-06 25:10", "2024.05.06 00:00:00"},
        {"1999-05-06 10:10", "1900.01.01 00:00:00"},
        {"2024-13-06 10:10", "2024.01.01 00:00:00"},
        {"2024-05-32 10:10", "2024.05.01 00:00:00"},
        {"2024-05-06 10:61:05", "2024.05.06 10:00:00"},
        {"2024-05-06 23:59:60", "2024.05.06 23:59:00"},
        {"2024-02-30 10:11:12", "2024.02.29 10:11:12"},
        {"2023/2/29 1:2:3", "2023.02.28 01:02:03"},
        {"2024-05-06", "2024.05.06 00:00:00"},
        {"10000-01-01 1:1", "1900.01.01 00:00:00"},
        {kThirtyDigits, "1900.01.01 00:00:00"},
        {"2024-05-06 " + std::string(20, '9'), "2024.05.06 00:00:00"},  // 31 bytes
    };
    for (const Case& c : cases) EXPECT_EQ(NormaliseDateTime(c.input), c.expected) << c.input;
}

TEST(NormaliseDateTime, RejectsTextsOfTheWrongLength) {
    EXPECT_EQ(NormaliseDateTime("2024-5-"), "1900.01.01");
    EXPECT_EQ(NormaliseDateTime("2024-05-06 " + std::string(21, '0')), "1900.01.01");  // 32 bytes
    EXPECT_EQ(NormaliseDateTime(""), "1900.01.01");
}

bool IsRealDate(const std::string& s) {
    if (s.size() != 10 || s[4] != '.' || s[7] != '.') return false;
    int year = std::stoi(s.substr(0, 4)), month = std::stoi(s.substr(5, 2)), day = std::stoi(s.substr(8, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= ClampDayToMonth(year, month, 31);
}

// Whatever is typed, the query condition gets a real calendar date or the
// marker that the caller reports.
TEST(NormaliseDate, AlwaysGivesARealDateOrTheMarker) {
    std::mt19937 random(7);
    const std::string alphabet = "0123456789-/. :\xD6\xD0\xC4\xEA";
    for (int i = 0; i < 20000; ++i) {
        std::string text(random() % 24, ' ');
        for (char& c : text) c = i % 2 ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
        std::string date = NormaliseDate(text);
        ASSERT_TRUE(IsRealDate(date)) << text << " -> " << date;
        std::string dateTime = NormaliseDateTime(text);
        ASSERT_TRUE(dateTime == "1900.01.01" || (dateTime.size() == 19 && IsRealDate(dateTime.substr(0, 10))))
            << text << " -> " << dateTime;
    }
}

}  // namespace
}  // namespace tallux
