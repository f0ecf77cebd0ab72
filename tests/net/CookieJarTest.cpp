#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "net/CookieJar.h"

namespace tallux {
namespace {

TEST(CookieJar, MergesNewCookiesBeforeTheOldOnes) {
    struct Case {
        const char* name;
        std::string jar;
        std::string header;
        std::string merged;
    } cases[] = {
        {"new value replaces old", "SID=0;LANG=zh", "Set-Cookie: SID=1; Path=/\r\n", "SID=1;LANG=zh"},
        {"two lines, attributes dropped", "old=9",
         "Set-Cookie: a=1; Path=/\r\nset-cookie:  b=2; expires=Fri, 01 Jan 2100 00:00:00 GMT\r\n", "a=1;b=2;old=9"},
        {"plain cookie without attributes", "", "Set-Cookie: SID=7\r\n", "SID=7"},
        {"domain attribute", "x=1", "SET-COOKIE: y=2; Domain=.example.test; path=/\r\n", "y=2;x=1"},
        {"both old entries replaced", "a=0; b=0; c=0", "Set-Cookie: b=1\r\nSet-Cookie: a=1;\r\n", "b=1;a=1;c=0"},
        {"a name inside another is not the same", "ID=5;LANG=zh", "Set-Cookie: SID=1; Path=/\r\n",
         "SID=1;ID=5;LANG=zh"},
        {"duplicate old entries kept once", "a=1;a=2", "Set-Cookie: n=1\r\n", "n=1;a=1"},
        {"no Set-Cookie: jar kept, trailing ; removed", "SID=0;", "Content-Type: text/html\r\n", "SID=0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string jar = c.jar;
        MergeSetCookies(jar, c.header, 1024);
        EXPECT_EQ(jar, c.merged);
    }
}

TEST(CookieJar, StaysBelowItsCapacity) {
    const std::string first = "first=" + std::string(40, 'f');    // 46 bytes
    const std::string second = "second=" + std::string(40, 's');  // 47 bytes
    const std::string huge = "huge=" + std::string(80, 'h');      // 85 bytes
    const std::string longNew = "n=" + std::string(30, 'n');      // 32 bytes
    struct Case {
        const char* name;
        std::string jar;
        std::size_t capacity;
        std::string header;
        std::string merged;
    } cases[] = {
        {"everything fits", first + ";" + second, 1024, "Set-Cookie: n=1\r\n", "n=1;" + first + ";" + second},
        // After "n=1;" 96 bytes are left: first goes in, then only 49 remain.
        {"old entries only while more than 64 bytes remain", first + ";" + second, 100, "Set-Cookie: n=1\r\n",
         "n=1;" + first},
        // 96 left, huge needs 86 + 1: fits; with 90 it does not, and second is not tried.
        {"a long entry that just fits", huge + ";" + second, 100, "Set-Cookie: n=1\r\n", "n=1;" + huge},
        {"first entry that does not fit ends the merge", huge + ";" + second, 90, "Set-Cookie: n=1\r\n", "n=1"},
        {"no room left for old entries", first, 50, "Set-Cookie: " + longNew + "\r\n", longNew},
        {"new cookies as long as the capacity: jar unchanged", first, 33, "Set-Cookie: " + longNew + "\r\n", first},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string jar = c.jar;
        MergeSetCookies(jar, c.header, c.capacity);
        EXPECT_EQ(jar, c.merged);
        EXPECT_LT(jar.size(), std::max(c.capacity, c.jar.size() + 1));
    }
}

TEST(CookieJar, LineTextDropsTrailingSeparators) {
    struct Case {
        const char* jar;
        const char* line;
    } cases[] = {
        {"SID=1;LANG=zh", "SID=1;LANG=zh"},
        {"SID=1; \r\n", "SID=1"},
        {"a=1;;", "a=1"},
        {"a=", ""},
        {";;;", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CookieLineText(c.jar), c.line) << c.jar;
}

}  // namespace
}  // namespace tallux
