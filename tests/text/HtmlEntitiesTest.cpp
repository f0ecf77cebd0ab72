#include <gtest/gtest.h>

#include <set>
#include <string>

#include "text/GbkCodec.h"
#include "text/HtmlEntities.h"

namespace tallux {
namespace {

char16_t CharacterOf(std::u16string_view name) {
    for (const NamedCharRef& ref : NamedCharRefs())
        if (ref.name == name) return ref.character;
    return 0;
}

TEST(HtmlEntities, TableHoldsHtml401AndApos) {
    auto refs = NamedCharRefs();
    EXPECT_EQ(refs.size(), 253u);
    std::set<std::u16string_view> names;
    for (std::size_t i = 0; i < refs.size(); ++i) {
        EXPECT_TRUE(names.insert(refs[i].name).second) << Utf16ToUtf8(refs[i].name);
        if (i > 0) {
            EXPECT_LT(refs[i - 1].character, refs[i].character) << Utf16ToUtf8(refs[i].name);
        }
    }
    struct Case {
        std::u16string_view name;
        char16_t character;
    } cases[] = {
        {u"quot", 34},      {u"amp", 38},     {u"apos", 39},     {u"lt", 60},      {u"gt", 62},     {u"nbsp", 160},
        {u"eacute", 233},   {u"Eacute", 201}, {u"yuml", 255},    {u"fnof", 402},   {u"OElig", 338}, {u"Omega", 937},
        {u"thetasym", 977}, {u"euro", 8364},  {u"hearts", 9829}, {u"diams", 9830}, {u"loz", 9674},  {u"rang", 9002},
    };
    for (const Case& c : cases) EXPECT_EQ(CharacterOf(c.name), c.character) << Utf16ToUtf8(c.name);
}

TEST(HtmlEntities, ReplacesNamesInAscendingOrderOfTheirCharacter) {
    struct Case {
        std::u16string in;
        std::u16string out;
    } cases[] = {
        {u"Tom &amp; Jerry", u"Tom & Jerry"},
        {u"&lt;b&gt;", u"<b>"},
        {u"&amp;lt;", u"<"},         // lt comes after amp and sees its result
        {u"&amp;quot;", u"&quot;"},  // quot comes before amp and does not
        {u"&amp;amp;", u"&amp;"},    // a name does not rescan its own result
        {u"caf&eacute; &Eacute;", u"café É"},
        {u"5&euro; &hearts;", u"5€ ♥"},
        {u"it&apos;s", u"it's"},
        {u"&nbsp", u"&nbsp"},  // the ";" is part of the reference
        {u"&AMP; &Amp; &unknown;", u"&AMP; &Amp; &unknown;"},
        {u"&&amp;;", u"&&;"},
        {u"&amp;eacute;&amp;hearts", u"é&hearts"},
        {u"a&lt;b;c&gt;", u"a<b;c>"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        std::u16string text = c.in;
        ReplaceNamedCharRefs(text);
        EXPECT_EQ(text, c.out) << Utf16ToUtf8(c.in);
    }
}

}  // namespace
}  // namespace tallux
