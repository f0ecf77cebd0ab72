#pragma once

#include <string>
#include <string_view>

namespace tallux {

// The lower-case pinyin initials of the level-1 GB2312 characters of a GBK
// text, found from the characters' section-position codes (level-1
// characters are ordered by pinyin). Other single bytes, ASCII included,
// and GBK extension characters are skipped; a GB2312 symbol or level-2
// character ends the initials. 张三 gives "zs", 深圳市 only "s".
std::string PinyinInitials(std::string_view gbk);

}  // namespace tallux
