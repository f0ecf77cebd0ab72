#include "store/ContactStore.h"

#include <chrono>
#include <random>

#include "text/GbkBytes.h"
#include "text/PinyinInitials.h"

namespace tallux {
namespace {
constexpr std::size_t kLongestCodeQuery = 11;
constexpr std::size_t kLongestCode = 11;
constexpr int kNoRecord = 0;  // ids start at 1
}  // namespace

int ContactStore::Open(const std::string& path) {
    int count = RecordStore::Open(path);
    RebuildIndexes();
    return count;
}

void ContactStore::RebuildIndexes() {
    std::vector<std::string_view> codes, names, phones;
    int n = Count();
    codes.reserve(static_cast<std::size_t>(n));
    names.reserve(static_cast<std::size_t>(n));
    phones.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const ContactRecord* r = At(i);
        codes.push_back(r->code.view());
        names.push_back(r->name.view());
        phones.push_back(r->phone.view());
    }
    byCode_.Build(std::move(codes));
    byName_.Build(std::move(names));
    byPhone_.Build(std::move(phones));
    indexedSerial_ = ChangeSerial();
}

void ContactStore::EnsureIndexes() {
    if (indexedSerial_ != ChangeSerial()) RebuildIndexes();
}

const ContactRecord* ContactStore::FindByName(std::string_view text) const {
    return FindNewest(&ContactRecord::name, text);
}

const ContactRecord* ContactStore::FindByPhone(std::string_view text) const {
    return FindNewest(&ContactRecord::phone, text);
}

ContactStore::Suggestions ContactStore::FromIndex(const SortedTextIndex& index, int position) const {
    Suggestions out{};
    for (std::size_t slot = 0; slot < out.size() && position < index.Size(); ++slot, ++position)
        out[slot] = At(index.ItemAt(position));
    return out;
}

ContactStore::Suggestions ContactStore::SuggestByCodeOrName(std::string_view text) {
    EnsureIndexes();
    unsigned char first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    bool codeLike =
        ((first >= '0' && first <= '9') || (first >= 'a' && first <= 'z')) && text.size() <= kLongestCodeQuery;
    const SortedTextIndex& index = codeLike ? byCode_ : byName_;
    int position = index.FindPrefix(text);
    if (position >= 0) return FromIndex(index, position);

    Suggestions out{};
    std::size_t slot = 0;
    for (int i = 0, n = Count(); i < n && slot < out.size(); ++i) {
        const ContactRecord* r = At(i);
        if (FindAtCharBoundary(r->name.view(), text, false) != std::string_view::npos) out[slot++] = r;
    }
    return out;
}

ContactStore::Suggestions ContactStore::SuggestByPhone(std::string_view text) {
    EnsureIndexes();
    int position = byPhone_.FindPrefix(text);
    return position >= 0 ? FromIndex(byPhone_, position) : Suggestions{};
}

bool ContactStore::CodeExists(std::string_view code, int exceptId) {
    if (code.empty()) return true;
    EnsureIndexes();
    // The index is ordered ignoring case; look through the entries equal
    // ignoring case for an exact one.
    for (int p = byCode_.FindEqual(code); p >= 0 && p < byCode_.Size(); ++p) {
        std::string_view key = byCode_.KeyAt(p);
        if (CompareNoCase(key, code) != 0) break;
        if (key == code && At(byCode_.ItemAt(p))->id != exceptId) return true;
    }
    return false;
}

}  // namespace tallux

namespace tallux {

std::string ContactStore::MakeUniqueCode(std::string_view name) {
    std::string initials = PinyinInitials(name).substr(0, kLongestCode);
    if (initials.empty()) {
        // Two draws of 0..32767 as n = a x 100 + b: at most 3,309,467, so
        // the number always fits the code and never overflows.
        std::mt19937 random(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
        std::uniform_int_distribution<long long> draw(0, 32767);
        for (int attempt = 0; attempt < 1000000; ++attempt) {
            long long n = draw(random) * 100 + draw(random);
            std::string code = std::to_string(n < 10000000 ? n : n / 10);
            if (!CodeExists(code, kNoRecord)) return code;
        }
        return {};
    }
    if (!CodeExists(initials, kNoRecord)) return initials;
    for (int i = 0; i <= 99999; ++i) {
        std::string number = std::to_string(i);
        std::string code = initials.substr(0, kLongestCode - number.size()) + number;
        if (!CodeExists(code, kNoRecord)) return code;
    }
    return {};
}

}  // namespace tallux
