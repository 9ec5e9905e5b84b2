#include "BTSorting.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "WtdCalcs.h"

namespace quandrelle {

namespace {

VaporSortEntry takeEntry(const CalcState& state, int slot) {
    return VaporSortEntry{state.vapors[slot],        state.partialPress[slot], state.adsFraction[slot],
                          state.molarCapacity[slot], state.breakConc[slot],    state.breakFraction[slot]};
}

void putEntry(CalcState& state, int slot, const VaporSortEntry& entry) {
    state.vapors[slot] = entry.vapor;
    state.partialPress[slot] = entry.partialPress;
    state.adsFraction[slot] = entry.adsFraction;
    state.molarCapacity[slot] = entry.molarCapacity;
    state.breakConc[slot] = entry.breakConc;
    state.breakFraction[slot] = entry.breakFraction;
}

template <typename KeyOf>
void orderBy(CalcState& state, KeyOf keyOf) {
    for (int j = 1; j <= kMaxVapors; ++j) {
        state.sortKey[j] = kUnsortedKey;
    }
    for (int i = 1; i <= state.mixCount; ++i) {
        state.sortKey[i] = keyOf(i);
    }
    ReorderSlots(state);
}

}  // namespace

void ReorderSlots(CalcState& state) {
    const int k = state.mixCount;
    // A stable sort gives the order of picking the first smallest key again and again (ties to the
    // lower slot), and stays right for keys of any size.
    std::array<int, kMaxVapors> order{};
    const auto count = static_cast<std::size_t>(std::clamp(k, 0, kMaxVapors));
    std::iota(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count), 1);
    std::stable_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count),
                     [&](int a, int b) { return state.sortKey[a] < state.sortKey[b]; });
    for (std::size_t r = 0; r < count; ++r) {
        state.sortBuffers[static_cast<int>(r) + 1] = takeEntry(state, order[r]);
        state.sortKey[order[r]] = kUnsortedKey;
    }
    for (int r = 1; r <= static_cast<int>(count); ++r) {
        putEntry(state, r, state.sortBuffers[r]);
    }
}

void OrderByPolarizability(CalcState& state) {
    orderBy(state, [&](int i) { return static_cast<double>(state.vapors[i].molPolariz); });
}

void OrderByStoichiometricTime(CalcState& state) {
    orderBy(state, [&](int i) { return StoichiometricTime(state, i); });
}

}  // namespace quandrelle
