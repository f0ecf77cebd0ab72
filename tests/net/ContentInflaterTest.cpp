#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/ContentInflater.h"
#include "tests/net/CompressedText.h"

namespace tallux {
namespace {

// Puts data at the start of an area of the given size and inflates it.
struct Inflated {
    int result;
    std::string text;
    bool terminated;
};

Inflated InflateInto(const std::string& data, int coding, std::size_t areaSize) {
    std::vector<char> area(areaSize + 16, 'G');  // guard bytes after the area
    std::copy(data.begin(), data.end(), area.begin());
    int result = InflateBody({area.data(), areaSize}, data.size(), coding);
    for (std::size_t i = areaSize; i < area.size(); ++i) EXPECT_EQ(area[i], 'G') << "written past the area at " << i;
    if (result <= 0) return {result, {}, false};
    return {result, std::string(area.data(), static_cast<std::size_t>(result)),
            area[static_cast<std::size_t>(result)] == '\0'};
}

TEST(ContentInflater, InflatesEveryAcceptedForm) {
    const std::string text = test::SampleText();
    struct Case {
        const char* name;
        std::string data;
        int coding;
    } cases[] = {
        {"gzip", test::Compress(text, 31), kCodingGzip},
        {"gzip with file name", test::GzipWithFileName(text, "emskind.txt"), kCodingGzip},
        {"zlib-wrapped deflate", test::Compress(text, 15), kCodingDeflate},
        {"raw deflate", test::Compress(text, -15), kCodingDeflate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Inflated out = InflateInto(c.data, c.coding, 64'000);
        EXPECT_EQ(out.result, 12'000);
        EXPECT_EQ(out.text, text);
        EXPECT_TRUE(out.terminated);
    }
}

TEST(ContentInflater, RefusesWhatDoesNotFitTheArea) {
    const std::string text = test::SampleText();
    struct Case {
        std::size_t area;
        int result;
    } cases[] = {
        {12'001, 12'000},          // exactly the text and its NUL
        {12'000, kInflateFailed},  // no room for the NUL
        {8'192, kInflateFailed},   // far too small
    };
    for (int coding : {kCodingGzip, kCodingDeflate}) {
        std::string data = test::Compress(text, coding == kCodingGzip ? 31 : 15);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(coding) + " area " + std::to_string(c.area));
            EXPECT_EQ(InflateInto(data, coding, c.area).result, c.result);
        }
    }
}

TEST(ContentInflater, RefusesBrokenOrEmptyData) {
    const std::string text = test::SampleText();
    std::string gzip = test::Compress(text, 31);
    std::string badCrc = gzip;
    badCrc[badCrc.size() - 6] ^= 0x55;
    struct Case {
        const char* name;
        std::string data;
        int coding;
    } cases[] = {
        {"gzip cut short", gzip.substr(0, gzip.size() / 2), kCodingGzip},
        {"gzip without its trailer", gzip.substr(0, gzip.size() - 8), kCodingGzip},
        {"gzip with a wrong checksum", badCrc, kCodingGzip},
        {"plain text called gzip", "hello world", kCodingGzip},
        {"plain text called deflate", "hello world", kCodingDeflate},
        {"deflate cut short", test::Compress(text, 15).substr(0, 40), kCodingDeflate},
        {"gzip of nothing", test::Compress("", 31), kCodingGzip},
        {"no coding", test::Compress(text, 31), kCodingNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InflateInto(c.data, c.coding, 64'000).result, kInflateFailed);
    }
}

}  // namespace
}  // namespace tallux
