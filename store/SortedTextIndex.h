#pragma once

#include <string_view>
#include <vector>

namespace tallux {

// Items (by their position in file order) sorted by one text key with
// CompareNoCase rules. Among equal keys the later item comes first, as if
// each item had been inserted before any existing equal entry.
class SortedTextIndex {
public:
    // keys[i] is the key of item i; the views must outlive the index.
    void Build(std::vector<std::string_view> keys);
    void Clear();

    int Size() const { return static_cast<int>(order_.size()); }
    int ItemAt(int position) const { return order_[static_cast<std::size_t>(position)]; }
    std::string_view KeyAt(int position) const { return keys_[static_cast<std::size_t>(ItemAt(position))]; }

    // First position whose key starts with prefix, ignoring case; -1 when none.
    int FindPrefix(std::string_view prefix) const;
    // First position whose key equals text, ignoring case; -1 when none.
    int FindEqual(std::string_view text) const;

private:
    std::vector<std::string_view> keys_;
    std::vector<int> order_;
};

}  // namespace tallux
