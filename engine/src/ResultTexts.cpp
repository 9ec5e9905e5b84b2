#include "quandrelle/engine/ResultTexts.h"

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle {

BreakTimeTexts breakTimeTexts(double estimate, double minimum, double maximum, bool beyondServiceCap) {
    if (beyondServiceCap) {
        return {kLongerThanServiceCapText, {}, {}};
    }
    return {formatNumber(estimate, "#.#"), formatNumber(minimum, "0"), formatNumber(maximum, "0")};
}

BreakTimeTexts breakTimeTexts(const CalcState& state, int position) {
    return breakTimeTexts(state.breakTimeResult[position], state.breakTimeMin[position],
                          state.breakTimeMax[position], state.beyondServiceCap[position]);
}

std::string breakTimeSummary(const BreakTimeTexts& texts) {
    if (texts.minimum.empty() && texts.maximum.empty()) {
        return texts.estimate;
    }
    return texts.estimate + " min (range " + texts.minimum + " to " + texts.maximum + " min)";
}

ResultRows resultRows(const CalcState& state) {
    ResultRows rows;
    for (int slot = kFirstSlot; slot <= kMaxVapors; ++slot) {
        const VaporData& vapor = state.vapors[slot];
        ResultRowTexts& row = rows[static_cast<std::size_t>(slot)];
        row.inUse = isSlotInUse(vapor);
        if (!row.inUse) {
            // Whatever the arrays still hold for a free slot belongs to no vapor.
            row.name = kNoneSelected;
            continue;
        }
        row.name = vapor.chemName;
        row.concentration = generalText(vapor.avgConc);
        row.breakConc = generalText(state.breakConc[slot]);
        BreakTimeTexts times = breakTimeTexts(state, slot);
        row.estimate = std::move(times.estimate);
        row.minimum = std::move(times.minimum);
        row.maximum = std::move(times.maximum);
    }
    return rows;
}

std::string equivalentConcentrationText(const CalcState& state) {
    return generalText(roundHalfEven(equivalentConcentration(state), 2));
}

ConditionTexts conditionTexts(const CalcState& state) {
    ConditionTexts texts;
    texts.cartName = state.cartName;
    texts.temperature = generalText(state.tempC);
    texts.pressure = formatNumber(state.atmPressure, "0.00");
    // The percent is formed in single precision, as it is stored.
    const float percent = state.relHumidity * 100.0f;
    texts.relHumidity = formatNumber(roundHalfEven(percent, 2), "00");
    texts.airFlow = generalText(state.airFlow);
    if (isSlotInUse(state.vapors[1])) {
        texts.equivalentConcentration = equivalentConcentrationText(state);
    }
    return texts;
}

}  // namespace quandrelle
