#include "quandrelle/validation/SweepLimits.h"

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/validation/FieldLimitTables.h"

namespace quandrelle {

namespace {

std::optional<std::string> limitProblem(double value, const FieldLimits& limits, const std::string& what) {
    if (value < limits.lower) {
        return what + " " + generalText(value) + " is below the lower limit of " + limits.lowerText;
    }
    if (value > limits.upper) {
        return what + " " + generalText(value) + " is above the upper limit of " + limits.upperText;
    }
    return std::nullopt;
}

std::optional<std::string> scaleProblem(const CalcState& state, double scale) {
    const std::string what = "concentrationScale " + generalText(scale);
    if (!(scale > 0)) {
        return what + " must be above 0";
    }
    for (int n = 1; n <= state.vaporCount; ++n) {
        const double concentration = state.vapors[n].avgConc * scale;
        if (auto problem = limitProblem(concentration, limits::kVaporConcentration,
                                        what + " makes the concentration of " + state.vapors[n].chemName)) {
            return problem;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<FieldLimits> sweptFieldLimits(SweepQuantity quantity) {
    switch (quantity) {
        case SweepQuantity::RelHumidity:
            return limits::kRelHumidity;
        case SweepQuantity::AirFlow:
            return limits::kAirFlow;
        case SweepQuantity::Temperature:
            return limits::kTemperature;
        case SweepQuantity::ConcentrationScale:
            break;
    }
    return std::nullopt;
}

std::optional<std::string> sweptValueProblem(const CalcState& state, SweepQuantity quantity, double value) {
    if (quantity == SweepQuantity::ConcentrationScale) {
        return scaleProblem(state, value);
    }
    const std::optional<FieldLimits> limits = sweptFieldLimits(quantity);
    return limits ? limitProblem(value, *limits, std::string(sweepQuantityName(quantity))) : std::nullopt;
}

}  // namespace quandrelle
