#include <gtest/gtest.h>

#include <string>

#include "text/Base64.h"

namespace tallux {
namespace {

TEST(Base64, DecodesGroupsOfFour) {
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"TWFu", "Man"},
        {"TWE=", "Ma"},
        {"TQ==", "M"},
        {"TQ=A", "M"},  // "=" third gives one byte whatever follows
        {"TWFuTWFu", "ManMan"},
        {"TW\r\nFu\nTW\rFu", "ManMan"},  // line breaks anywhere are dropped
        {"+ TWFu", "Man"},
        {"+TWFu", "\xF9\x35\x85"},  // without the blank "+" is a Base64 digit
        {"TWFuTQ", "Man"},          // incomplete last group ignored
        {"TWF", ""},
        {"TQ==TWFu", "MMan"},  // decoding goes on after a padded group
        {"", ""},
        {"+ ", ""},
        {"\r\n", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeBase64(c.in, 1024), c.out) << c.in;
}

TEST(Base64, KeepsWhatWasDecodedBeforeAnError) {
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"TWFu!WFuTWFu", "Man"}, {"TWFuTW-u", "Man"},
        {"TWFu=AAA", "Man"},  // "=" first in a group
        {"TWFuT=AA", "Man"},  // "=" second in a group
        {"TWFuTW=!", "Man"},  // fourth place neither "=" nor Base64
        {"TWFu TWFu", "Man"},    {std::string("TWFu\0TWFu", 9), "Man"},
        {"\xC3\xA4TWFu", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeBase64(c.in, 1024), c.out) << c.in;
}

TEST(Base64, NeverProducesMoreThanTheLimit) {
    struct Case {
        std::size_t limit;
        std::string out;
    } cases[] = {{0, ""}, {1, "M"}, {2, "Ma"}, {3, "Man"}, {4, "ManM"}, {6, "ManMan"}, {100, "ManMan"}};
    for (const Case& c : cases) EXPECT_EQ(DecodeBase64("TWFuTWFu", c.limit), c.out) << c.limit;
}

}  // namespace
}  // namespace tallux
