#include "preentry/NumberExtras.h"

#include <cstring>

#include "text/GbkBytes.h"

namespace tallux {

namespace {

const EmsKindSettings::FieldFill* FindFill(const EmsKindSettings& settings, std::string_view name) {
    for (const EmsKindSettings::FieldFill& fill : settings.fieldFills)
        if (fill.name == name) return &fill;
    return nullptr;
}

void Copy(const EmsKindSettings::FieldFill& fill, NumberExtras& extras) {
    extras.Clear();
    extras.name = fill.name;
    extras.reserved = CutAtCharBoundary(fill.title, 30);
    extras.spare1 = fill.texts[0];
    extras.spare2 = fill.texts[1];
    extras.spare3 = fill.texts[2];
    extras.spare4 = fill.texts[3];
    extras.spare5 = CutAtCharBoundary(fill.last, 254);
}

template <std::size_t N, std::size_t M>
void CopyIfSet(const FixedText<N>& from, FixedText<M>& to) {
    if (!from.empty()) to = from.view();
}

}  // namespace

void NumberExtras::Clear() { std::memset(static_cast<void*>(this), 0, sizeof(*this)); }

bool FillExtras(const BaseData& data, std::string_view name, NumberExtras& extras) {
    extras.Clear();
    const EmsKindSettings& settings = data.settings;
    const EmsKindSettings::FieldFill* fill = FindFill(settings, name);
    if (!fill) {
        if (const ExpressKind* kind = data.kinds.FindKindByName(name)) {
            if (kind->code.view() != name) fill = FindFill(settings, kind->code.view());
        } else if (const ExpressKind* byCode = data.kinds.FindKindByCode(name)) {
            fill = FindFill(settings, byCode->name.view());
        }
    }
    if (!fill) return false;
    Copy(*fill, extras);
    return true;
}

void ApplyExtras(const NumberExtras& extras, ShipmentRecord& shipment) {
    CopyIfSet(extras.reserved, shipment.reservedText);
    CopyIfSet(extras.spare1, shipment.spare1);
    CopyIfSet(extras.spare2, shipment.spare2);
    CopyIfSet(extras.spare3, shipment.spare3);
    CopyIfSet(extras.spare4, shipment.spare4);
    CopyIfSet(extras.spare5, shipment.spare5);
}

}  // namespace tallux
