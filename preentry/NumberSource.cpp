#include "preentry/NumberSource.h"

#include "net/ServerOperations.h"
#include "preentry/NumberKeys.h"

namespace tallux {

namespace {

constexpr std::size_t kNumberField = 32;  // bytes, with the terminator

const EmsKindSettings::OneToMany* FindOneToMany(const EmsKindSettings& settings, std::string_view name) {
    for (const EmsKindSettings::OneToMany& definition : settings.oneToMany)
        if (definition.name == name) return &definition;
    return nullptr;
}

std::optional<std::string> Fetch(const NumberContext& context, std::string_view key) {
    if (!context.fetch || key.empty()) return std::nullopt;
    std::optional<std::string> number = context.fetch(key);
    if (number && (number->empty() || number->size() >= kNumberField)) return std::nullopt;
    return number;
}

}  // namespace

NumberFetcher ServerNumberFetcher(const TransactionContext& context) {
    return [context](std::string_view key) { return FetchNumber(context, key); };
}

NumberResult NumberSource(const NumberContext& context, std::string_view kind, std::string& number, int& mode,
                          NumberExtras& extras, NumberPurpose purpose) {
    extras.Clear();
    mode = -1;
    const BaseData& data = context.data;
    const EmsKindSettings::OneToMany* definition = nullptr;
    if (static_cast<int>(purpose) == data.settings.numberKindSelector) definition = FindOneToMany(data.settings, kind);

    if (!definition) {
        if (purpose == NumberPurpose::Transfer) return NumberResult::None;
        WaybillKey key = WaybillNumberKey(data, kind);
        if (key.key.empty()) return NumberResult::NoKey;
        mode = key.mode;
        std::optional<std::string> fetched = Fetch(context, key.key);
        if (!fetched) return NumberResult::None;
        number = std::move(*fetched);
        FillExtras(data, kind, extras);
        return NumberResult::Obtained;
    }

    mode = purpose == NumberPurpose::Transfer ? TransferKindNumber(data, kind) : WaybillNumberKey(data, kind).mode;
    const std::vector<std::string>& values = definition->values;
    const std::size_t count = values.size();
    const std::size_t start = context.rotation.Start(definition->name, count);
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t at = (start + step) % count;
        const int id = VirtualNumberId(data, values[at]);
        const std::string key = id > 0 ? std::to_string(id) + "*" : values[at];
        std::optional<std::string> fetched = Fetch(context, key);
        if (!fetched) continue;
        number = std::move(*fetched);
        FillExtras(data, values[at], extras);
        if (data.settings.numberMode == 1) context.rotation.MovePast(definition->name, at, count);
        return NumberResult::Obtained;
    }
    return NumberResult::None;
}

}  // namespace tallux
