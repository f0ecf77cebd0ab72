#include "text/LatinFolding.h"

#include <array>
#include <string_view>

namespace tallux {
namespace {

struct FoldRow {
    char16_t letter;
    std::u16string_view accented;
};

// Deliberately not a general decomposition: only these letters fold, and
// some to a letter that is not their base (ß to B, Þ to P, æ to a).
constexpr FoldRow kFoldRows[] = {
    {u'A', u"ÀÁÂÃÄÅÆĄ"}, {u'B', u"ß"},  {u'C', u"ÇĆ"},          {u'D', u"Ð"},  {u'E', u"ÈÉÊËĘŒ"}, {u'I', u"ÌÍÎÏ"},
    {u'L', u"Ł"},        {u'N', u"ÑŃ"}, {u'O', u"ÒÓÔÕÖ"},       {u'P', u"Þ"},  {u'S', u"ŚŠ"},     {u'U', u"ÙÚÛÜ"},
    {u'Y', u"ÝŸ"},       {u'Z', u"ŹŻ"}, {u'a', u"àáâãäåæāąǎɑ"}, {u'c', u"çć"}, {u'd', u"ð"},      {u'e', u"èéêëēęěœ"},
    {u'f', u"ƒ"},        {u'g', u"ɡ"},  {u'i', u"ìíîïīǐ"},      {u'l', u"ł"},  {u'n', u"ñńňǹ"},   {u'o', u"òóôõöøōőǒ"},
    {u'p', u"þ"},        {u's', u"śš"}, {u'u', u"ùúûüūǔǖǘǚǜ"},  {u'y', u"ýÿ"}, {u'z', u"ż"},
};

// Every folded letter lies below U+0270, so a flat table covers them.
constexpr std::size_t kTableSize = 0x270;

constexpr std::array<char16_t, kTableSize> BuildTable() {
    std::array<char16_t, kTableSize> table{};
    for (const FoldRow& row : kFoldRows)
        for (char16_t c : row.accented) table.at(c) = row.letter;  // at(): a letter outside the range fails the build
    return table;
}

constexpr std::array<char16_t, kTableSize> kFoldTable = BuildTable();

}  // namespace

void FoldLatinAccents(std::u16string& text) {
    for (char16_t& c : text)
        if (c < kTableSize && kFoldTable[c] != 0) c = kFoldTable[c];
}

}  // namespace tallux
