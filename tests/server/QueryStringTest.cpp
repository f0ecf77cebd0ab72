#include "server/QueryString.h"

#include <gtest/gtest.h>

namespace tallux::server {
namespace {

TEST(PercentDecode, DecodesOnlyWellFormedEscapes) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"demo", "demo"},
        {"a%26b%3Dc", "a&b=c"},
        {"%2f%2F", "//"},
        {"a+b", "a+b"},                                // no form encoding
        {"100%", "100%"},                              // dangling
        {"%4", "%4"},                                  // short
        {"%zz%4g", "%zz%4g"},                          // not hex
        {"%%41", "%A"},                                // only the second starts an escape
        {"\xD5\xC5%20\xC8\xFD", "\xD5\xC5 \xC8\xFD"},  // raw GBK stays
        {"%00x", std::string("\0x", 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(PercentDecode(c.in), c.out);
    }
}

TEST(QueryString, FirstItemIsTheCommand) {
    QueryString q("ECLogin&w=8001&ac=a%26b&md5=&it=17&w=9999&flag");
    EXPECT_EQ(q.Command(), "ECLogin");
    EXPECT_EQ(q.Get("w"), "8001");  // first value wins
    EXPECT_EQ(q.Get("ac"), "a&b");
    EXPECT_EQ(q.Get("md5"), "");
    EXPECT_EQ(q.Get("it"), "17");
    EXPECT_EQ(q.Get("flag"), "");
    EXPECT_EQ(q.Get("missing"), std::nullopt);
}

TEST(QueryString, EmptyAndCommandOnly) {
    EXPECT_EQ(QueryString("").Command(), "");
    QueryString only("ECGetSysData");
    EXPECT_EQ(only.Command(), "ECGetSysData");
    EXPECT_EQ(only.Get("w"), std::nullopt);
    EXPECT_EQ(QueryString("&w=1").Command(), "");
}

}  // namespace
}  // namespace tallux::server
