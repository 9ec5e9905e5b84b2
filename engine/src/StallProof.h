#pragma once

// Why the iterative solver can be given up early: with more than two vapors in the run, one pass
// of the solver depends only on the reference vapor's fraction x (vapor mixCount). The other vapors'
// scans start afresh from the first grid step and stop against the reference vapor's spreading
// pressure at x; the pass sums their fractions G(x) and x, and leaves x / (x + G(x)). So the passes
// are the orbit of one function of one number. Some orbits never settle: they leap between tiny and
// small reference fractions whose sums lie far on either side of the sum the stage starts from,
// and used to run the full pass limit (or thousands of passes until they repeat) before the
// bracketing solver, whose answer does not depend on them, took over.
//
// The proof covers the reference fractions with cells and bounds a pass over each cell: a scan
// stops at the first grid step where the vapor's spreading pressure is at most the reference's
// (plus the tolerance), so a higher reference pressure can only stop it sooner; on one monotone
// stretch of the series the reference pressure over a cell lies between its values at the ends,
// widened by a bound on their rounding. Rounding to the nearest double is monotone, so the sums and
// the division the pass makes, taken in the pass's own order on those bounds, bound what the pass
// computes anywhere in the cell. When the cells reachable from the current fraction are closed
// under the pass and none can meet the stop test, no later pass can: the solver would never settle.
// A pass from a cell where some scan cannot end even against the highest reference pressure there
// fails at every fraction of the cell, and the bracketing solver takes over from it as well.

#include <functional>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// Where the scan of vapor `slot` ends against a fixed reference spreading pressure, as the iterative
// solver's scan would end against the reference vapor's: the fraction it stops at, or, for a scan
// shown never to end, the fraction at which that was shown. Past that fraction the vapor's spreading
// pressure only rises, so against any higher reference a scan that ends, ends before it.
struct ScanEnd {
    double fraction = 0;
    bool ended = true;
};
using ScanToReference = std::function<ScanEnd(CalcState& scratch, int slot, double referenceSpread)>;

// True when no pass from the current reference fraction state.adsFraction[mixCount] on can leave
// the fraction sum within `tolerance` of `startSum`. False when that cannot be shown within a
// bounded effort, or when the run has two vapors (every step of their scan moves both fractions).
bool passesNeverSettle(const CalcState& state, double startSum, double tolerance,
                       const ScanToReference& scan);

}  // namespace quandrelle
