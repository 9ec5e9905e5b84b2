#pragma once

// Orders the first mixCount vapor slots, moving every quantity that belongs to a vapor with it.

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// Key of a slot outside the mixture, and of a slot already placed.
inline constexpr double kUnsortedKey = 1000000;

void OrderByPolarizability(CalcState& state);
void OrderByStoichiometricTime(CalcState& state);

// Sorts slots 1..mixCount by ascending sortKey; equal keys keep their slot order. Any key works,
// including keys of 1000000 or more.
void ReorderSlots(CalcState& state);

}  // namespace quandrelle
