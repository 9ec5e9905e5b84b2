#pragma once

// Every text the results screen shows for the state, in its display formats. The results screen,
// the command-line calculator and anything else that shows a run take their texts from here.

#include <array>
#include <string>

#include "quandrelle/engine/CalcState.h"

namespace quandrelle {

// How a time beyond the simulated service (kMaxServiceMinutes) is shown in place of its estimate.
inline constexpr const char* kLongerThanServiceCapText = "longer than 100,000 min";

// The texts of one vapor's times, as every reader of a run shows them: the estimate "#.#", the
// range "0"; a time beyond the simulated service shows kLongerThanServiceCapText and no range.
struct BreakTimeTexts {
    std::string estimate;
    std::string minimum;
    std::string maximum;
};

BreakTimeTexts breakTimeTexts(double estimate, double minimum, double maximum, bool beyondServiceCap);
// The times of position p of a run.
BreakTimeTexts breakTimeTexts(const CalcState& state, int position);
// The times in a sentence: "12.3 min (range 10 to 15 min)", or kLongerThanServiceCapText.
std::string breakTimeSummary(const BreakTimeTexts& texts);

// One row of the results: the vapor in slot n (after a run, the n-th in the mixture's order).
// A free slot shows the free-slot marker and empty texts.
struct ResultRowTexts {
    bool inUse = false;
    std::string name;
    std::string concentration;  // ppm, general form
    std::string breakConc;      // ppm, general form
    std::string estimate;       // min, "#.#" (see BreakTimeTexts)
    std::string minimum;        // min, "0"
    std::string maximum;        // min, "0"
};

using ResultRows = std::array<ResultRowTexts, kMaxVapors + 1>;  // index = slot, 0 unused

struct ConditionTexts {
    std::string cartName;
    std::string temperature;  // general form
    std::string pressure;     // "0.00"
    std::string relHumidity;  // percent, "00"
    std::string airFlow;      // general form
    // Vapor #1 in mg/m3 rounded to two decimals (halves to even); empty when slot 1 is free.
    std::string equivalentConcentration;
};

ResultRows resultRows(const CalcState& state);
// Throws a CalcError when the equivalent concentration cannot be computed (a temperature of
// -273.15 degrees C).
ConditionTexts conditionTexts(const CalcState& state);
std::string equivalentConcentrationText(const CalcState& state);

}  // namespace quandrelle
