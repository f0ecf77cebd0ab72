#pragma once

#include <string>
#include <string_view>

#include "text/GbkCodec.h"

namespace tallux::test {

// The GBK bytes of a UTF-8 literal: what records, requests and base data
// hold of a text a test writes in Chinese.
inline std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

}  // namespace tallux::test
