#include "store/SortedTextIndex.h"

#include <algorithm>
#include <numeric>

#include "text/GbkBytes.h"

namespace tallux {

void SortedTextIndex::Build(std::vector<std::string_view> keys) {
    keys_ = std::move(keys);
    order_.resize(keys_.size());
    std::iota(order_.begin(), order_.end(), 0);
    std::sort(order_.begin(), order_.end(), [this](int a, int b) {
        int c = CompareNoCase(keys_[static_cast<std::size_t>(a)], keys_[static_cast<std::size_t>(b)]);
        return c != 0 ? c < 0 : a > b;
    });
}

void SortedTextIndex::Clear() {
    keys_.clear();
    order_.clear();
}

int SortedTextIndex::FindPrefix(std::string_view prefix) const {
    auto first = std::partition_point(order_.begin(), order_.end(), [&](int item) {
        return CompareNoCase(keys_[static_cast<std::size_t>(item)], prefix, prefix.size()) < 0;
    });
    for (auto it = first; it != order_.end(); ++it) {
        std::string_view key = keys_[static_cast<std::size_t>(*it)];
        if (CompareNoCase(key, prefix, prefix.size()) != 0) break;
        if (StartsWithNoCase(key, prefix)) return static_cast<int>(it - order_.begin());
    }
    return -1;
}

int SortedTextIndex::FindEqual(std::string_view text) const {
    auto first = std::partition_point(order_.begin(), order_.end(), [&](int item) {
        return CompareNoCase(keys_[static_cast<std::size_t>(item)], text) < 0;
    });
    if (first == order_.end() || CompareNoCase(keys_[static_cast<std::size_t>(*first)], text) != 0) return -1;
    return static_cast<int>(first - order_.begin());
}

}  // namespace tallux
