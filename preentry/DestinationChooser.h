#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/DestinationTable.h"

namespace tallux {

struct BaseData;

// The rows of the destination popup: up to five destinations of an express
// kind for what the operator typed in the destination field. A kind that is
// unknown, or whose base data lists no destinations, offers the whole table.
//
// The rows depend on the kind's name, the typed text and the base data only,
// never on what was asked before. The kind's own table is kept between calls
// and built again only when the kind's list of destinations or the
// destination table changed since it was built, so that asking on every
// keystroke stays cheap.
class DestinationChooser {
public:
    explicit DestinationChooser(const BaseData& data) : data_(data) {}

    // Up to five rows for the typed text (UTF-16; at most 31 characters are
    // looked at) among the destinations of the kind named kindName (GBK);
    // empty text gives none. The rows point into the base data or into this
    // chooser and hold until the next call or the next load of base data.
    DestinationTable::Suggestions Suggest(std::string_view kindName, std::u16string_view typed);

    // How often a kind's own table was built.
    int TableBuilds() const { return builds_; }

private:
    // What the kind's table was built from: the kind's list and the
    // destination table it was taken from.
    struct Source {
        std::string accepted;
        std::uint64_t stamp = 0;
    };

    const DestinationTable& TableFor(std::string_view kindName);

    const BaseData& data_;
    std::optional<Source> built_;
    DestinationTable kindTable_;
    int builds_ = 0;
};

}  // namespace tallux
