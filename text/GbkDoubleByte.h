#pragma once

#include <cstdint>

namespace tallux {

// The double-byte code page 936 code of a UTF-16 unit (lead byte in the high
// eight bits), or 0 when the unit has none. Only codes that decode back to
// the same unit count, so text written with them reads back unchanged.
// Single-byte codes (ASCII, the euro sign's 0x80) are not reported.
std::uint16_t GbkDoubleByteCode(char16_t unit);

}  // namespace tallux
