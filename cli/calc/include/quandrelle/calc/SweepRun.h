#pragma once

// The what-if sweep of the command-line calculator: the scenario run again at every value of one
// quantity, the other inputs held.
//   --sweep QUANTITY=FROM:TO:COUNT[:log]   COUNT values from FROM to TO, both included
//   --jobs N                               points run at once (default: every core)

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quandrelle/engine/Sweep.h"
#include "quandrelle/scenario/Scenario.h"

namespace quandrelle::calc {

// The most points one sweep may ask for.
inline constexpr int kMaxSweepPoints = 10000;

// Reads "QUANTITY=FROM:TO:COUNT" or "QUANTITY=FROM:TO:COUNT:log". On failure returns nothing and
// `problem` says what is wrong.
std::optional<SweepRange> parseSweep(std::string_view text, std::string& problem);

// Every value of the sweep that the scenario's field would refuse, named with its limit: the
// humidity, air flow and temperature against their fields' limits, a concentration scale against
// the concentration limits of every vapor it scales.
Problems sweepProblems(const CalcState& state, SweepQuantity quantity, std::span<const double> values);

// Runs every point, up to `jobs` at once, each on its own copy of `state`; the points come back in
// the order of `values`.
std::vector<SweepPoint> runSweep(const CalcState& state, SweepQuantity quantity,
                                 std::span<const double> values, unsigned jobs);

}  // namespace quandrelle::calc
