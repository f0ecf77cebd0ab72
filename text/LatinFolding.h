#pragma once

#include <string>

namespace tallux {

// Replaces the accented Latin letters that operators commonly type in
// foreign names by plain ASCII letters, so that fields converted with "?"
// substitution keep a readable name. Every other character stays. Works on
// single UTF-16 units; none of the folded letters needs a surrogate pair.
void FoldLatinAccents(std::u16string& text);

}  // namespace tallux
