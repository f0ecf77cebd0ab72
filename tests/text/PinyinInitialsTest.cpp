#include <gtest/gtest.h>

#include <string>

#include "text/GbkCodec.h"
#include "text/PinyinInitials.h"

namespace tallux {
namespace {

TEST(PinyinInitials, TakesLevelOneCharactersAndStopsAtOthers) {
    struct Case {
        const char* utf8;
        const char* expected;
    } cases[] = {
        {"张三", "zs"},    {"北京", "bj"}, {"广州市", "gzs"}, {"深圳市", "s"},  // 圳 is a level-2 character
        {"ABC公司", "gs"},                                                      // letters are skipped
        {"（北京）", ""},                                                       // a full-width bracket is a symbol
        {"阿", "a"},       {"座", "z"},    {"", ""},          {"王 芳 123", "wf"},
    };
    for (const Case& c : cases) EXPECT_EQ(PinyinInitials(Utf8ToGbk(c.utf8)), c.expected) << c.utf8;
}

TEST(PinyinInitials, ExtensionCharactersNeverPairTheirTrailByte) {
    // 0x81 0xA1 is a GBK extension character; its trail byte must not be
    // read together with the lead byte of 北 (0xB1 0xB1) that follows.
    EXPECT_EQ(PinyinInitials("\x81\xA1\xB1\xB1\xBE\xA9"), "bj");
    // A lead byte at the end or before a NUL stands alone.
    EXPECT_EQ(PinyinInitials(std::string("\xB1\xB1\xB1", 3)), "b");
    EXPECT_EQ(PinyinInitials(std::string("\xB1\0\xB1\xB1", 4)), "");
}

}  // namespace
}  // namespace tallux
