#include "net/ExpressKinds.h"

#include "text/DestinationList.h"
#include "text/GbkCodec.h"

namespace tallux {

void KindList::Clear() {
    kinds_.clear();
    names_.clear();
    numbers_.clear();
}

void KindList::Append(std::string_view code, std::string_view name) {
    ExpressKind kind;
    kind.code.assign(code);
    kind.name.assign(name);
    names_.push_back(GbkToUtf16(kind.name.view()));
    kinds_.push_back(std::move(kind));
    numbers_.push_back(0);
}

const ExpressKind* KindList::FindKindByName(std::string_view name) const {
    for (const ExpressKind& kind : kinds_)
        if (kind.name.view() == name) return &kind;
    return nullptr;
}

const ExpressKind* KindList::FindKindByCode(std::string_view code) const {
    for (const ExpressKind& kind : kinds_)
        if (kind.code.view() == code) return &kind;
    return nullptr;
}

ExpressKind* KindList::FindKindByCode(std::string_view code) {
    return const_cast<ExpressKind*>(static_cast<const KindList*>(this)->FindKindByCode(code));
}

const ExpressKind* KindList::KindAt(int index) const {
    if (index < 0 || index >= Size()) return nullptr;
    return &kinds_[static_cast<std::size_t>(index)];
}

bool KindList::KindAcceptsDestination(std::string_view kindName, std::string_view destination) const {
    const ExpressKind* kind = FindKindByName(kindName);
    if (!kind || kind->destinations.empty()) return false;
    return DestinationListTakes(kind->destinations, destination);
}

int KindList::KindNumber(std::string_view kindName, int defaultNumber) const {
    if (defaultNumber > 10) return defaultNumber % 10;
    for (std::size_t i = 0; i < kinds_.size(); ++i) {
        if (kinds_[i].name.view() == kindName) return numbers_[i] != 0 ? numbers_[i] : defaultNumber;
    }
    return defaultNumber;
}

bool KindList::ApplyOrder(const std::vector<OrderEntry>& entries) {
    std::vector<bool> taken(kinds_.size(), false);
    KindList ordered;
    for (const OrderEntry& entry : entries) {
        for (std::size_t i = 0; i < kinds_.size(); ++i) {
            if (taken[i] || kinds_[i].name.view() != entry.name) continue;
            taken[i] = true;
            ExpressKind kind = kinds_[i];
            kind.waybillTemplate = entry.templateName.empty() ? std::string() : "TAB_" + entry.templateName;
            ordered.names_.push_back(names_[i]);
            ordered.numbers_.push_back(entry.number);
            ordered.kinds_.push_back(std::move(kind));
            break;
        }
    }
    if (ordered.Empty()) return false;
    *this = std::move(ordered);
    return true;
}

}  // namespace tallux
