#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/FixedText.h"

namespace tallux {

// One express kind of the base data. Texts are GBK.
struct ExpressKind {
    FixedText<16> code;  // sent to the server (uploads, pricing)
    FixedText<32> name;  // shown to the operator and stored in shipments
    // "TAB_<name>" from the kind-order section of emskind.txt; loading the
    // template itself is the printing code's business. Empty: none.
    std::string waybillTemplate;
    // Accepted destinations, each followed by a tab; empty when the base
    // data named none for this kind.
    std::string destinations;
};

// The kinds in display order with their parallel name list (UTF-16, for the
// choice lists) and number list (kind-order number, 0 when none).
class KindList {
public:
    void Clear();
    void Append(std::string_view code, std::string_view name);

    int Size() const { return static_cast<int>(kinds_.size()); }
    bool Empty() const { return kinds_.empty(); }
    const std::vector<std::u16string>& Names() const { return names_; }
    const std::vector<int>& Numbers() const { return numbers_; }

    // Linear, exact, case-sensitive; first match; nullptr when none.
    const ExpressKind* FindKindByName(std::string_view name) const;
    const ExpressKind* FindKindByCode(std::string_view code) const;
    ExpressKind* FindKindByCode(std::string_view code);
    // nullptr outside 0..Size()-1.
    const ExpressKind* KindAt(int index) const;

    // True when the kind's destination text takes the destination
    // (DestinationListTakes, which the server applies as well); false for an
    // unknown kind, a kind whose base data lists no destinations, and an
    // empty destination.
    bool KindAcceptsDestination(std::string_view kindName, std::string_view destination) const;
    // defaultNumber above 10 gives defaultNumber % 10; otherwise the kind's
    // kind-order number when not 0, else defaultNumber.
    int KindNumber(std::string_view kindName, int defaultNumber) const;

    struct OrderEntry {
        std::string name;
        int number = 0;
        std::string templateName;  // without the TAB_ prefix; empty: none
    };
    // Rebuilds the list in the order of the entries, keeping only listed
    // kinds that exist (each at most once); entries naming no kind are
    // skipped. Without any valid entry the list stays as it is. Returns
    // whether the list was rebuilt.
    bool ApplyOrder(const std::vector<OrderEntry>& entries);

private:
    std::vector<ExpressKind> kinds_;
    std::vector<std::u16string> names_;
    std::vector<int> numbers_;
};

}  // namespace tallux
