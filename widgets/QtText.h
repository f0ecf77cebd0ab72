#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "text/GbkCodec.h"

namespace tallux {

// The texts of the windows are QStrings; the logic below them holds what
// the operator typed as UTF-16 and what is stored or sent as GBK. These
// are the conversions at that edge, the same in every window.

inline QString FromU16(const std::u16string& text) { return QString::fromStdU16String(text); }

inline std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Stored or received GBK bytes.
inline QString FromGbk(std::string_view gbk) { return FromU16(GbkToUtf16(gbk)); }

}  // namespace tallux
