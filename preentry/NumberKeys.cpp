#include "preentry/NumberKeys.h"

namespace tallux {

const ExpressKind* FindKindAny(const BaseData& data, std::string_view kind) {
    if (const ExpressKind* byName = data.kinds.FindKindByName(kind)) return byName;
    return data.kinds.FindKindByCode(kind);
}

const EmsKindSettings::NamedNumber* FindKindEntry(const std::vector<EmsKindSettings::NamedNumber>& list,
                                                  const ExpressKind& kind) {
    for (const EmsKindSettings::NamedNumber& entry : list)
        if (entry.name == kind.code.view() || entry.name == kind.name.view()) return &entry;
    return nullptr;
}

std::string KeyFor(int number, const ExpressKind& kind) {
    if (number > 0) return std::to_string(number) + "*";
    return std::string(kind.code.view());
}

WaybillKey WaybillNumberKey(const BaseData& data, std::string_view kind) {
    if (const ExpressKind* found = FindKindAny(data, kind)) {
        if (const auto* entry = FindKindEntry(data.settings.numberKinds, *found))
            return {KeyFor(entry->number, *found), entry->number};
    }
    return {"99*", 99};
}

int TransferKindNumber(const BaseData& data, std::string_view kind) {
    if (data.settings.transferKinds.empty()) return -1;
    const ExpressKind* found = FindKindAny(data, kind);
    if (!found) return -1;
    const auto* entry = FindKindEntry(data.settings.transferKinds, *found);
    return entry ? entry->number : -1;
}

int VirtualNumberId(const BaseData& data, std::string_view value) {
    for (const EmsKindSettings::NamedNumber& id : data.settings.virtualIds)
        if (id.name == value) return id.number;
    return -1;
}

}  // namespace tallux
