#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tallux {

// The vocabulary of printable fields: 108 names in a fixed order. A field's
// index is its position; the label layout caches cells by index and the
// waybill fill walks the table in order, so the order never changes.
inline constexpr std::size_t kPrintFieldCount = 108;

// The names as written here (UTF-8); PrintFieldTable holds the same names
// in GBK, which is what definition lookups compare.
extern const std::array<std::string_view, kPrintFieldCount> kPrintFieldNamesUtf8;

// The GBK names, converted once on first use; safe from any thread.
const std::array<std::string, kPrintFieldCount>& PrintFieldTable();

// The GBK name of field index; empty outside 0..107.
std::string_view PrintFieldName(int index);

// The index of a GBK field name (exact bytes), or −1.
int PrintFieldIndex(std::string_view nameGbk);

// The bracketed tags a QR-code definition may hold ("[运单号]" …), each
// replaced by a value of the record; 42 of them in a fixed order.
inline constexpr std::size_t kQrTagCount = 42;

extern const std::array<std::string_view, kQrTagCount> kQrTagsUtf8;

// The GBK tags, converted once on first use; safe from any thread.
const std::array<std::string, kQrTagCount>& QrTagTable();

// The GBK tag of index; an index outside 0..41 gives tag 0 ("[运单号]").
std::string_view QrTag(int index);

}  // namespace tallux
