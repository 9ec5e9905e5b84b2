#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quandrelle {

// Width of a name key, and so of every entry of a record screen's name list.
inline constexpr std::size_t kNameKeyWidth = 41;

// The text a name is searched by: blanks removed at both ends, upper case.
std::string nameSearchText(std::string_view name);

// The index key of a name: its search text filled with blanks to 41 characters.
std::string nameKey(std::string_view name);

// Sorts entries 1..size-1 (entry 0 is never used) by key, comparing character codes, with the
// exchange sort the name lists have always used: for i < j, entries i and j swap when key i is
// greater. The order it leaves among equal names is kept on purpose, since a search for a name on
// file more than once finds the entry that this order puts last (vapors) or meets first (cartridges).
// Keys are compared as ranks, and a list without equal keys is sorted directly, because the
// procedure then leaves the one ascending order any sort gives.
template <typename Entry, typename KeyOf>
void exchangeSortIndex(std::vector<Entry>& entries, KeyOf keyOf) {
    if (entries.size() < 3) {
        return;
    }
    const auto less = [&](const Entry& a, const Entry& b) { return keyOf(a) < keyOf(b); };
    std::vector<std::string> keys;
    keys.reserve(entries.size() - 1);
    for (std::size_t i = 1; i < entries.size(); ++i) {
        keys.emplace_back(keyOf(entries[i]));
    }
    std::sort(keys.begin(), keys.end());
    if (std::adjacent_find(keys.begin(), keys.end()) == keys.end()) {
        std::sort(entries.begin() + 1, entries.end(), less);
        return;
    }
    std::vector<std::size_t> rank(entries.size());
    for (std::size_t i = 1; i < entries.size(); ++i) {
        rank[i] = static_cast<std::size_t>(std::lower_bound(keys.begin(), keys.end(), keyOf(entries[i])) -
                                           keys.begin());
    }
    const std::size_t n = entries.size() - 1;
    for (std::size_t i = 1; i < n; ++i) {
        for (std::size_t j = i + 1; j <= n; ++j) {
            if (rank[i] > rank[j]) {
                std::swap(rank[i], rank[j]);
                std::swap(entries[i], entries[j]);
            }
        }
    }
}

}  // namespace quandrelle
