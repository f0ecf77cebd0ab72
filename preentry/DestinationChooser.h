#pragma once

#include <string>
#include <string_view>

#include "net/DestinationTable.h"

namespace tallux {

struct BaseData;

// The rows of the destination popup: up to five destinations of the
// current express kind for what the operator typed in the destination
// field. A kind whose base data lists no destinations offers the whole
// table.
class DestinationChooser {
public:
    explicit DestinationChooser(const BaseData& data) : data_(data) {}

    // The kind (GBK name) whose destinations are offered; unknown names
    // offer the whole table.
    void SetKind(std::string_view kindName);
    const std::string& Kind() const { return kind_; }

    // Up to five rows for the typed text (UTF-16; at most 31 characters
    // are looked at); empty text gives none.
    DestinationTable::Suggestions Suggest(std::u16string_view typed) const;

private:
    const DestinationTable& Table() const;

    const BaseData& data_;
    std::string kind_;
    bool restricted_ = false;
    DestinationTable kindTable_;  // the kind's destinations when restricted_
};

}  // namespace tallux
