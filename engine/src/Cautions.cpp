#include "quandrelle/engine/Cautions.h"

#include <cmath>

#include "ModelConstants.h"
#include "WaterMiscibleCaution.h"
#include "quandrelle/engine/ResultTexts.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle {
namespace {

// Torr at the normal boiling point.
constexpr double kStandardPressureTorr = 760;

// The mixture estimate of position p against the same vapor alone: longer by more than the share
// below, or beyond the simulated service where the vapor alone is not.
constexpr double kMarkedExcessOverAlone = 1.1;

bool markedlyLongerThanAlone(const CalcState& state, int p) {
    const SingleVaporEstimate& own = state.singleVapor[p];
    if (!own.answered() || own.beyondServiceCap) {
        return false;
    }
    return state.beyondServiceCap[p] || state.breakTimeResult[p] > kMarkedExcessOverAlone * own.estimate;
}

std::string longerThanAloneDetails(const CalcState& state) {
    std::string details;
    for (int p = 1; p <= state.vaporCount; ++p) {
        if (isSlotInUse(state.vapors[p]) && markedlyLongerThanAlone(state, p)) {
            const SingleVaporEstimate& own = state.singleVapor[p];
            details += (details.empty() ? "" : "; ") + state.vapors[p].chemName + " " +
                       breakTimeTexts(state, p).estimate + " min in the mixture, " +
                       breakTimeTexts(own.estimate, own.minimum, own.maximum, false).estimate + " min alone";
        }
    }
    return details;
}

bool boilsBelowMigrationLimit(const VaporData& vapor) {
    const std::optional<double> boiling = normalBoilingPointC(vapor);
    return boiling && *boiling < kMigratingBoilingPointC;
}

}  // namespace

std::string runVaporNamesWhere(const CalcState& state, const std::function<bool(int)>& applies) {
    std::string names;
    for (int slot = 1; slot <= state.vaporCount; ++slot) {
        if (isSlotInUse(state.vapors[slot]) && applies(slot)) {
            names += (names.empty() ? "" : ", ") + state.vapors[slot].chemName;
        }
    }
    return names;
}

std::optional<double> normalBoilingPointC(const VaporData& vapor) {
    // ln P = A - B / (T + C) solved for T at P = 760 torr.
    const double drop = static_cast<double>(vapor.antoineA) - std::log(kStandardPressureTorr);
    if (!(drop > 0) || !(vapor.antoineB > 0)) {
        return std::nullopt;
    }
    const double kelvin = vapor.antoineB / drop - vapor.antoineC;
    if (!std::isfinite(kelvin)) {
        return std::nullopt;
    }
    return kelvin - kCelsiusToKelvin;
}

std::vector<std::string> runCautions(const CalcState& state, bool conservativeEstimate) {
    std::vector<std::string> cautions;
    // Compared with the stored value of the percent typed, so that 65 itself raises no caution.
    if (state.relHumidity > humidityFraction(kHumidCautionPercent)) {
        cautions.push_back(
            "Humidity above 65 %: water shortens cartridge life and makes this estimate less certain.");
    }
    const std::string volatileVapors =
        runVaporNamesWhere(state, [&](int slot) { return boilsBelowMigrationLimit(state.vapors[slot]); });
    if (!volatileVapors.empty()) {
        cautions.push_back("Boiling point below 65 °C (" + volatileVapors +
                           "): the vapor migrates through a stored cartridge; do not reuse a partly used "
                           "cartridge after storage.");
    }
    const std::string longLived = runVaporNamesWhere(
        state, [&](int slot) { return state.breakTimeResult[slot] > kLongBreakthroughMinutes; });
    if (!longLived.empty()) {
        cautions.push_back("Breakthrough time above 8 hours (" + longLived +
                           "): take it as an upper bound for the schedule and consider the shift length.");
    }
    const std::string concentrated = runVaporNamesWhere(
        state, [&](int slot) { return state.vapors[slot].avgConc > kHighConcentrationPpm; });
    if (!concentrated.empty()) {
        cautions.push_back("Concentration above 1000 ppm (" + concentrated +
                           "): outside the range most cartridges are tested for.");
    }
    const std::string unheld = runVaporNamesWhere(state, [&](int p) {
        const SingleVaporEstimate& own = state.singleVapor[p];
        return own.answered() && !own.beyondServiceCap && own.estimate < kBarelyHeldMinutes;
    });
    if (!unheld.empty()) {
        cautions.push_back("Breaks through in under 1 minute even alone (" + unheld +
                           "): this cartridge does not remove it; another protection is needed.");
    }
    const std::string longerThanAlone = longerThanAloneDetails(state);
    if (!longerThanAlone.empty()) {
        cautions.push_back("Longer in the mixture than alone by more than 10 % (" + longerThanAlone +
                           "): competing vapors can only shorten a vapor's time, so the shorter time is the "
                           "safe basis for a change schedule.");
    }
    if (const std::optional<std::string> miscible = smallWaterMiscibleCaution(state)) {
        cautions.push_back(*miscible);
    }
    if (conservativeEstimate) {
        cautions.push_back(
            "Conservative estimate in use: the times are deliberately short and are not the mixture "
            "model's answer.");
    }
    return cautions;
}

}  // namespace quandrelle
