#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/ContactRecord.h"
#include "store/RecordStore.h"
#include "store/SortedTextIndex.h"

namespace tallux {

// DATA/rsdata.dat: the address book, with indexes by code, name and phone.
// The indexes are rebuilt after Open and whenever the file changed since
// they were built, so a lookup never sees a stale position.
class ContactStore : public RecordStore<ContactRecord> {
public:
    using Suggestions = std::array<const ContactRecord*, 5>;

    int Open(const std::string& path);
    void RebuildIndexes();

    // Backwards exact scans; the newest match wins.
    const ContactRecord* FindByName(std::string_view text) const;
    const ContactRecord* FindByPhone(std::string_view text) const;

    // A text that starts with a digit or a..z and has at most 11 bytes is
    // looked up as a code prefix, any other as a name prefix; a hit fills the
    // slots with up to 5 consecutive entries of that index from the first
    // match. Without a hit, the records whose name contains the text fill
    // them in file order.
    Suggestions SuggestByCodeOrName(std::string_view text);
    // Up to 5 consecutive entries of the phone index from the first prefix match.
    Suggestions SuggestByPhone(std::string_view text);
    // An empty code counts as existing; otherwise true when a record other
    // than exceptId has exactly this code.
    bool CodeExists(std::string_view code, int exceptId);
    // A code no contact has yet: the pinyin initials of name (at most 11
    // bytes), else those initials with a number in place of their end (0, 1,
    // 2, ...), else for a name without initials a random number of up to 7
    // digits. Empty only when every candidate is taken.
    std::string MakeUniqueCode(std::string_view name);

private:
    void EnsureIndexes();
    Suggestions FromIndex(const SortedTextIndex& index, int position) const;

    SortedTextIndex byCode_, byName_, byPhone_;
    std::uint64_t indexedSerial_ = ~std::uint64_t{0};
};

}  // namespace tallux
