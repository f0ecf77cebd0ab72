#include "preentry/DestinationChooser.h"

#include <string>

#include "net/BaseData.h"
#include "text/GbkBytes.h"
#include "text/StoredText.h"

namespace tallux {
namespace {

// The popup looks at no more of the typed text than the field of a
// destination name holds.
constexpr std::size_t kTypedCharacters = 31;

}  // namespace

const DestinationTable& DestinationChooser::TableFor(std::string_view kindName) {
    const ExpressKind* kind = data_.kinds.FindKindByName(kindName);
    if (!kind || kind->destinations.empty()) return data_.destinations;
    const std::uint64_t stamp = data_.destinations.Stamp();
    if (built_ && built_->accepted == kind->destinations && built_->stamp == stamp) return kindTable_;
    const std::string& accepted = kind->destinations;
    kindTable_.AssignFiltered(data_.destinations, [&](const DestinationRecord& record) {
        std::string listed(record.nameZh.view());
        listed += '\t';
        return accepted.find(listed) == 0 || accepted.find('\t' + listed) != std::string::npos;
    });
    built_ = Source{accepted, stamp};
    ++builds_;
    return kindTable_;
}

DestinationTable::Suggestions DestinationChooser::Suggest(std::string_view kindName, std::u16string_view typed) {
    if (typed.size() > kTypedCharacters) typed = typed.substr(0, kTypedCharacters);
    const std::string gbk = ToGbkFolded(typed);
    if (gbk.empty()) return {};
    return TableFor(kindName).SuggestDestinations(gbk);
}

}  // namespace tallux
