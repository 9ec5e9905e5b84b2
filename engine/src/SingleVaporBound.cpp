#include "quandrelle/engine/SingleVaporBound.h"

#include "quandrelle/engine/Calculate.h"

namespace quandrelle {

CalcState vaporAlone(const CalcState& state, int slot) {
    CalcState alone = state;
    alone.vapors[1] = state.vapors[slot];
    alone.breakConc[1] = state.breakConc[slot];
    alone.breakFraction[1] = state.breakFraction[slot];
    for (int i = 2; i <= kMaxVapors; ++i) {
        alone.vapors[i] = VaporData{};
        alone.breakConc[i] = 0;
        alone.breakFraction[i] = 0;
    }
    alone.vaporCount = 1;
    alone.runReport = RunReport{};
    return alone;
}

std::vector<SingleVaporEstimate> singleVaporEstimates(const CalcState& state) {
    std::vector<SingleVaporEstimate> estimates;
    for (int slot = 1; slot <= state.vaporCount; ++slot) {
        CalcState alone = vaporAlone(state, slot);
        SingleVaporEstimate entry;
        entry.slot = slot;
        entry.name = state.vapors[slot].chemName;
        const CalculateOutcome outcome = runCalculation(alone);
        if (outcome.status == CalculateStatus::Done) {
            entry.estimate = alone.breakTimeResult[1];
            entry.minimum = alone.breakTimeMin[1];
            entry.maximum = alone.breakTimeMax[1];
        } else {
            entry.status = SingleVaporStatus::Failed;
            entry.failure = outcome.errorText;
        }
        estimates.push_back(std::move(entry));
    }
    return estimates;
}

}  // namespace quandrelle
