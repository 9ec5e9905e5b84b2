#pragma once

// What-if runs: the same calculation repeated with one input changed, the others held. Each point
// is a whole run (the limits check, PrepareRun and MixtureSequence) on its own copy of the state,
// with the input stored as the results screen stores an accepted entry, so the point at the
// operating values gives exactly the results screen's numbers. Points share nothing and may run
// on any thread.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/Calculate.h"

namespace quandrelle {

enum class SweepQuantity {
    RelHumidity,         // relative humidity of use, percent
    ConcentrationScale,  // factor applied to the concentration of every vapor of the mixture
    AirFlow,             // average breathing air flow, L/min
    Temperature,         // degrees C
};

inline constexpr SweepQuantity kSweepQuantities[] = {SweepQuantity::RelHumidity,
                                                     SweepQuantity::ConcentrationScale,
                                                     SweepQuantity::AirFlow, SweepQuantity::Temperature};

// The name used on the command line and in the JSON and CSV output ("relHumidity", ...).
std::string_view sweepQuantityName(SweepQuantity quantity);
std::optional<SweepQuantity> sweepQuantityNamed(std::string_view name);

// `count` values from `from` to `to`, both included, evenly spaced, or evenly spaced on a log
// scale (from and to above 0). A single value is `from`.
struct SweepRange {
    SweepQuantity quantity = SweepQuantity::RelHumidity;
    double from = 0;
    double to = 0;
    int count = 1;
    bool logarithmic = false;
};

std::vector<double> sweepValues(const SweepRange& range);

// The value of the quantity the state holds now (a concentration scale of 1).
double operatingValue(const CalcState& state, SweepQuantity quantity);

// Stores the value as the results screen stores an accepted entry of the field. A concentration
// scale stores every vapor's concentration times the scale, with its breakthrough concentration
// kept and its breakthrough fraction recomputed. Throws a CalcError for a value beyond single
// precision.
void storeSweptValue(CalcState& state, SweepQuantity quantity, double value);

// The rows of the results screen as it would show the state: concentrations in their shown form.
std::vector<BreakthroughRow> breakthroughRowsOf(const CalcState& state);

struct SweepPoint {
    double value = 0;
    CalculateOutcome outcome;
    CalcState state;  // as the run left it: the results of a Done point
    // The position after the run of the vapor entered in slot n (the run sorts the slots), so
    // that a vapor is followed from point to point; 0 for a free slot or a point not Done.
    std::array<int, kSlotCount> positionOfEntry{};
};

// One point: the value stored into a copy of `state`, then the Calculate command on the copy.
SweepPoint runSweepPoint(CalcState state, SweepQuantity quantity, double value);

// The Calculate command on a copy of the state as it is: the point at the operating values.
SweepPoint runOperatingPoint(CalcState state, SweepQuantity quantity);

}  // namespace quandrelle
