// ECGetSysData: the base data a site's clients cache, from the demo data.

#include "server/BaseDataAnswer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "server/DemoData.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux::server {
namespace {

class BaseDataAnswerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(CreateDemoDatabase(dir.File("demo.db"), false, 1700000000)); }

    test::TempDir dir;
};

TEST_F(BaseDataAnswerTest, TheLetterIsTheSecondByteOfTheCachedData) {
    std::optional<std::string> answer = BaseDataAnswer(dir.File("demo.db")).ForSite("8001");
    ASSERT_TRUE(answer);
    // The client caches what follows the "C": a line feed, the letter, then
    // the kind section.
    EXPECT_EQ(answer->substr(0, 8), std::string("C\n") + BaseDataAnswer::kVolumetricLetter + "\nEMB\n");
    EXPECT_EQ(answer->back(), '\x07');
    EXPECT_EQ(answer->find('\x07'), answer->size() - 1);
}

TEST_F(BaseDataAnswerTest, KindsListTheirDestinationsByChineseName) {
    std::optional<std::string> answer = BaseDataAnswer(dir.File("demo.db")).ForSite("8001");
    ASSERT_TRUE(answer);
    const std::string accepted = answer->substr(answer->find("\nEPB\n"));
    EXPECT_NE(accepted.find("\nGNTK\n" + Utf8ToGbk("北京\t天津\t")), std::string::npos);
    EXPECT_NE(accepted.find("\nGJTK\n" + Utf8ToGbk("香港\t澳门\t台湾\t美国\t")), std::string::npos);
    EXPECT_FALSE(BaseDataAnswer(dir.File("demo.db")).ForSite("9999"));
}

}  // namespace
}  // namespace tallux::server
