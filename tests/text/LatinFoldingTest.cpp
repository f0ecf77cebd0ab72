#include <gtest/gtest.h>

#include <string>

#include "text/GbkCodec.h"
#include "text/LatinFolding.h"

namespace tallux {
namespace {

std::u16string Folded(std::u16string text) {
    FoldLatinAccents(text);
    return text;
}

TEST(LatinFolding, FoldsTheListedLettersOnly) {
    struct Case {
        std::u16string in;
        std::u16string out;
    } cases[] = {
        {u"Müller", u"Muller"},
        {u"François Lefèvre", u"Francois Lefevre"},
        {u"Łódź", u"Lodź"},                  // ź is not among the folded letters
        {u"Søren Ørsted", u"Soren Ørsted"},  // nor is Ø
        {u"Straße", u"StraBe"},              // ß folds to B, not to "ss"
        {u"Æsop Œuvre Þór", u"Asop Euvre Por"},
        {u"Nguyễn", u"Nguyễn"},  // ễ has no entry
        {u"中文 ABC 123", u"中文 ABC 123"},
        {u"", u""},
    };
    for (const Case& c : cases) EXPECT_EQ(Folded(c.in), c.out) << Utf16ToUtf8(c.in);
}

TEST(LatinFolding, CoversEveryLetterOfTheTable) {
    // Written with escapes so that a table typed with combining marks, or a
    // letter put in the wrong row, shows up here.
    struct Case {
        const char16_t* accented;
        char16_t letter;
    } cases[] = {
        {u"\u00C0\u00C1\u00C2\u00C3\u00C4\u00C5\u00C6\u0104", u'A'},
        {u"\u00DF", u'B'},
        {u"\u00C7\u0106", u'C'},
        {u"\u00D0", u'D'},
        {u"\u00C8\u00C9\u00CA\u00CB\u0118\u0152", u'E'},
        {u"\u00CC\u00CD\u00CE\u00CF", u'I'},
        {u"\u0141", u'L'},
        {u"\u00D1\u0143", u'N'},
        {u"\u00D2\u00D3\u00D4\u00D5\u00D6", u'O'},
        {u"\u00DE", u'P'},
        {u"\u015A\u0160", u'S'},
        {u"\u00D9\u00DA\u00DB\u00DC", u'U'},
        {u"\u00DD\u0178", u'Y'},
        {u"\u0179\u017B", u'Z'},
        {u"\u00E0\u00E1\u00E2\u00E3\u00E4\u00E5\u00E6\u0101\u0105\u01CE\u0251", u'a'},
        {u"\u00E7\u0107", u'c'},
        {u"\u00F0", u'd'},
        {u"\u00E8\u00E9\u00EA\u00EB\u0113\u0119\u011B\u0153", u'e'},
        {u"\u0192", u'f'},
        {u"\u0261", u'g'},
        {u"\u00EC\u00ED\u00EE\u00EF\u012B\u01D0", u'i'},
        {u"\u0142", u'l'},
        {u"\u00F1\u0144\u0148\u01F9", u'n'},
        {u"\u00F2\u00F3\u00F4\u00F5\u00F6\u00F8\u014D\u0151\u01D2", u'o'},
        {u"\u00FE", u'p'},
        {u"\u015B\u0161", u's'},
        {u"\u00F9\u00FA\u00FB\u00FC\u016B\u01D4\u01D6\u01D8\u01DA\u01DC", u'u'},
        {u"\u00FD\u00FF", u'y'},
        {u"\u017C", u'z'},
    };
    for (const Case& c : cases) {
        std::u16string text = c.accented;
        EXPECT_EQ(Folded(text), std::u16string(text.size(), c.letter)) << char(c.letter);
    }

    // Nothing else in the range the table covers changes.
    std::u16string others;
    for (char16_t c = 0; c < 0x300; ++c) {
        bool listed = false;
        for (const Case& row : cases)
            listed = listed || std::u16string_view(row.accented).find(c) != std::u16string_view::npos;
        if (!listed) others += c;
    }
    EXPECT_EQ(Folded(others), others);
}

}  // namespace
}  // namespace tallux
