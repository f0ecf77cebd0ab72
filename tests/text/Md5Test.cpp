#include <gtest/gtest.h>

#include <string>

#include "text/Md5.h"

namespace tallux {
namespace {

TEST(Md5, MatchesTheReferenceDigests) {
    struct Case {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(55, 'x'), "04364420e25c512fd958a70738aa8f72"},  // padding fits the last block
        {std::string(56, 'x'), "668a72d5ba17f08e62dabcafad6db14b"},  // padding needs a second block
        {std::string(64, 'x'), "c1bb4f81d892b2d57947682aeb252456"},
    };
    for (const Case& c : cases) EXPECT_EQ(Md5Hex(c.input), c.digest) << c.input.size() << " bytes";
}

}  // namespace
}  // namespace tallux
