#pragma once

// Every vapor of a mixture run alone, at its own concentration, under the same cartridge and use
// conditions. Competing vapors take carbon from each other, so no vapor can be held longer in the
// mixture than it would be alone: the single-vapor time bounds the mixture time from above, and
// where a mixture answer exceeds it, the single-vapor time is the safe basis for a change schedule.

#include <vector>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// The state of one run of vapor `slot` alone: the same cartridge and use conditions, the vapor's
// own concentration, breakthrough concentration and breakthrough fraction, every other slot free.
CalcState vaporAlone(const CalcState& state, int slot);
// The same at another concentration (ppm), with the breakthrough fraction that the vapor's own
// breakthrough concentration makes of it.
CalcState vaporAloneAt(const CalcState& state, int slot, float concentration);

// One entry per slot 1..vaporCount of `state`, in slot order, each from the same run as Calculate
// (PrepareRun and MixtureSequence) of vaporAlone. The state is not changed; it may be taken before
// or after a run (a run sorts the slots: the entries follow the slots as they stand). A run whose
// stop is asked for ends with RunStopped.
std::vector<SingleVaporEstimate> singleVaporEstimates(const CalcState& state);

}  // namespace quandrelle
