#pragma once

#include <string>
#include <vector>

#include "quandrelle/engine/Inputs.h"

namespace quandrelle {

// One known result of a cartridge: a vapor at its concentration, under its use conditions, broke
// through at `breakConc` after `minutes` (a maker's service-life table, a laboratory test, a
// certification test).
struct FitPoint {
    UseConditions conditions;
    VaporInput vapor;      // with its concentration, ppm
    double breakConc = 0;  // ppm
    double minutes = 0;    // the known breakthrough time
};

// A point as the fitted cartridge predicts it.
struct FitPointOutcome {
    double minutes = 0;    // known
    double predicted = 0;  // by the fitted cartridge, as Calculate gives it
    // (predicted - known) / known, in percent: above 0 the cartridge is predicted to last longer
    // than it did.
    double errorPercent = 0;
};

// A time of the fit as its texts show it: to a tenth of a minute, halves to even.
std::string minutesText(double minutes);

}  // namespace quandrelle
