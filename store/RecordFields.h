#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace tallux {

// A description of every named field of the record layouts, used by the
// tools that show or check record files without knowing each struct.

enum class FieldKind { Int32, UInt16, UInt8, Float64, Text };

struct FieldInfo {
    const char* name;
    std::size_t offset;
    std::size_t size;
    FieldKind kind;
    // Receiver texts: GBK with "&#n;" references for what GBK cannot hold,
    // or the marked Base64 form that server answers may carry.
    bool storedText = false;
};

struct RecordLayout {
    const char* name;
    std::size_t size;
    std::span<const FieldInfo> fields;
};

const RecordLayout& ShipmentLayout();
const RecordLayout& GoodsLineLayout();
const RecordLayout& PieceWeightLayout();
const RecordLayout& CheckScanLayout();
const RecordLayout& ContactLayout();
const RecordLayout& GoodsNameLayout();

// The value of a numeric field as a double (exact for every int kind).
double NumberField(const void* record, const FieldInfo& field);

// The text of a text field up to its terminator (or the whole field when it
// has none).
std::string_view TextField(const void* record, const FieldInfo& field);

// Stores text in a text field, cut at a character boundary so that the
// field keeps its terminator, and zero-fills the rest of the field.
void SetTextField(void* record, const FieldInfo& field, std::string_view text);

// False when a text field has no terminator within its width.
bool TextFieldTerminated(const void* record, const FieldInfo& field);

}  // namespace tallux
