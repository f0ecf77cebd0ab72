#include "preentry/DestinationChooser.h"

#include "net/BaseData.h"
#include "text/GbkBytes.h"
#include "text/StoredText.h"

namespace tallux {
namespace {

// The popup looks at no more of the typed text than the field of a
// destination name holds.
constexpr std::size_t kTypedCharacters = 31;

}  // namespace

void DestinationChooser::SetKind(std::string_view kindName) {
    kind_.assign(kindName);
    const ExpressKind* kind = data_.kinds.FindKindByName(kindName);
    restricted_ = kind && !kind->destinations.empty();
    if (!restricted_) {
        kindTable_.Clear();
        return;
    }
    kindTable_.AssignFiltered(data_.destinations, [&](const DestinationRecord& record) {
        std::string listed(record.nameZh.view());
        listed += '\t';
        return kind->destinations.find(listed) == 0 || kind->destinations.find('\t' + listed) != std::string::npos;
    });
}

const DestinationTable& DestinationChooser::Table() const { return restricted_ ? kindTable_ : data_.destinations; }

DestinationTable::Suggestions DestinationChooser::Suggest(std::u16string_view typed) const {
    if (typed.size() > kTypedCharacters) typed = typed.substr(0, kTypedCharacters);
    const std::string gbk = ToGbkFolded(typed);
    if (gbk.empty()) return {};
    return Table().SuggestDestinations(gbk);
}

}  // namespace tallux
