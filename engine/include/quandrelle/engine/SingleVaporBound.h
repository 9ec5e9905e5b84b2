#pragma once

// Every vapor of a mixture run alone, at its own concentration, under the same cartridge and use
// conditions. Competing vapors take carbon from each other, so no vapor can be held longer in the
// mixture than it would be alone: the single-vapor time bounds the mixture time from above, and
// where a mixture answer exceeds it, the single-vapor time is the safe basis for a change schedule.

#include <string>
#include <vector>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

enum class SingleVaporStatus {
    Answered,  // estimate, minimum and maximum hold the vapor's own times
    Failed,    // the vapor alone has no answer; failure says why
};

struct SingleVaporEstimate {
    int slot = 0;  // the slot of the given state that holds the vapor
    std::string name;
    SingleVaporStatus status = SingleVaporStatus::Answered;
    double estimate = 0;  // min
    double minimum = 0;   // min
    double maximum = 0;   // min
    std::string failure;  // for Failed: the text a failed Calculate of the vapor alone shows
};

// The state of one run of vapor `slot` alone: the same cartridge and use conditions, the vapor's
// own concentration, breakthrough concentration and breakthrough fraction, every other slot free.
CalcState vaporAlone(const CalcState& state, int slot);

// One entry per slot 1..vaporCount of `state`, in slot order, each from the same run as Calculate
// (PrepareRun and MixtureSequence) of vaporAlone. The state is not changed; it may be taken before
// or after a run (a run sorts the slots: the entries follow the slots as they stand). A run whose
// stop is asked for ends with RunStopped.
std::vector<SingleVaporEstimate> singleVaporEstimates(const CalcState& state);

}  // namespace quandrelle
