#include "preentry/WaybillNumbers.h"

#include <cstdio>

#include "preentry/NumberKeys.h"
#include "text/GbkBytes.h"

namespace tallux {

namespace {

constexpr std::size_t kMinServerNumber = 8;
constexpr std::size_t kMaxServerNumber = 30;
constexpr std::size_t kMaxWaybillBytes = 31;
constexpr std::size_t kShortTransferNumber = 7;  // shorter ones are placeholders

bool UsableServerNumber(std::string_view number) {
    return number.size() >= kMinServerNumber && number.size() <= kMaxServerNumber;
}

bool LoggedIn(const SessionValues& session) { return session.customerId > 0; }

// Every placeholder, in any letter case; only at character boundaries, so
// the trail byte of a GBK character is never taken for an 'X'.
std::string ReplaceEveryPlaceholder(std::string_view text, std::string_view by) {
    std::string out;
    while (!text.empty()) {
        std::size_t at = FindAtCharBoundary(text, kNumberPlaceholder, true);
        if (at == std::string_view::npos) break;
        out.append(text.substr(0, at));
        out.append(by);
        text.remove_prefix(at + kNumberPlaceholder.size());
    }
    out.append(text);
    return out;
}

}  // namespace

bool HasPlaceholder(std::string_view text) {
    return FindAtCharBoundary(text, kNumberPlaceholder, true) != std::string_view::npos;
}

std::string GenerateWaybillNumber(const NumberContext& context, std::string_view kindName, int sequence, bool useServer,
                                  int& mode, NumberExtras& extras) {
    mode = -1;
    extras.Clear();
    if (context.session.numberServiceFlag && useServer && !kindName.empty()) {
        std::string number;
        if (NumberSource(context, kindName, number, mode, extras, NumberPurpose::Waybill) == NumberResult::Obtained &&
            UsableServerNumber(number))
            return number;
    }
    // The server's extras belong to its number, not to a local one.
    mode = -1;
    extras.Clear();

    if (sequence < 1 && context.nextId) sequence = context.nextId();
    int four = sequence % 10000;
    if (four < 0) four += 10000;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d%u", four, context.programNumber % 10);
    std::string number = DateCode(context.today ? context.today() : LocalToday()) + digits;
    if (LoggedIn(context.session) && !context.data.settings.disableLocalNumbers)
        number += CutAtCharBoundary(context.session.shortCode, 3);
    else
        number += kNumberPlaceholder;
    return number;
}

bool ReplacePlaceholder(const NumberContext& context, std::string& number, ShipmentRecord& shipment, int& mode) {
    mode = -1;
    if (!HasPlaceholder(number)) return false;

    if (context.session.numberServiceFlag) {
        const std::string kind(shipment.expressKind.view());
        std::string fetched;
        NumberExtras extras{};
        if (NumberSource(context, kind, fetched, mode, extras, NumberPurpose::Waybill) == NumberResult::Obtained &&
            UsableServerNumber(fetched)) {
            number = std::move(fetched);
            ApplyExtras(extras, shipment);
            if (mode >= 0 && mode == TransferKindNumber(context.data, kind) &&
                shipment.transferNumber.view().size() < kShortTransferNumber)
                shipment.transferNumber = number;
            return true;
        }
        mode = -1;
    }
    if (context.data.settings.disableLocalNumbers) return false;
    // Without a login there is no short code: the placeholder must stay.
    if (!LoggedIn(context.session) || context.session.shortCode.empty()) return false;
    std::string replaced = ReplaceEveryPlaceholder(number, CutAtCharBoundary(context.session.shortCode, 3));
    number = std::string(CutAtCharBoundary(replaced, kMaxWaybillBytes));
    return true;
}

bool FetchTransferNumber(const NumberContext& context, ShipmentRecord& shipment) {
    if (shipment.transferNumber.view().size() > 5) return false;
    const ExpressKind* kind = FindKindAny(context.data, shipment.expressKind.view());
    if (!kind) return false;
    const std::string code(kind->code.view());

    std::string number;
    int mode = -1;
    NumberExtras extras{};
    if (NumberSource(context, code, number, mode, extras, NumberPurpose::Transfer) == NumberResult::Obtained) {
        shipment.transferNumber = number;
        ApplyExtras(extras, shipment);
        return true;
    }

    const auto* entry = FindKindEntry(context.data.settings.transferKinds, *kind);
    if (!entry) return false;
    const std::string key = KeyFor(entry->number, *kind);
    std::optional<std::string> fetched = context.fetch ? context.fetch(key) : std::nullopt;
    if (!fetched || fetched->empty() || fetched->size() > kMaxWaybillBytes) return false;
    shipment.transferNumber = *fetched;
    if (FillExtras(context.data, code, extras)) ApplyExtras(extras, shipment);
    return true;
}

}  // namespace tallux
