#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tallux {

struct NamedCharRef {
    std::u16string_view name;  // without "&" and ";"
    char16_t character;
};

// The named character references of HTML 4.01 plus "apos", in ascending
// order of their character.
std::span<const NamedCharRef> NamedCharRefs();

// Replaces every "&name;" of NamedCharRefs() by its character, one name
// after the other in the table's order. A replacement is not scanned again
// by the same name but is by later ones: "&amp;amp;" gives "&amp;", while
// "&amp;lt;" gives "<" because "lt" comes after "amp".
void ReplaceNamedCharRefs(std::u16string& text);

}  // namespace tallux
