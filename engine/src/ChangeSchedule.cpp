#include "quandrelle/engine/ChangeSchedule.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "WaterMiscibleCaution.h"
#include "quandrelle/engine/Cautions.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle {
namespace {

constexpr double kMinutesPerHour = 60;

std::string ppmText(double ppm) {
    return generalText(ppm) + " ppm";
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : separator) + part;
    }
    return text;
}

std::vector<int> slotsInUse(const CalcState& state) {
    std::vector<int> slots;
    for (int slot = 1; slot <= state.vaporCount; ++slot) {
        if (isSlotInUse(state.vapors[slot])) {
            slots.push_back(slot);
        }
    }
    return slots;
}

void checkVaporExposure(const VaporData& vapor, int slot, ExposureCheck& check) {
    const double ppm = vapor.avgConc;
    if (ppm > kMaximumUseConcentrationPpm) {
        check.adequate = false;
        check.reasons.push_back(
            vapor.chemName + " at " + ppmText(ppm) +
            " exceeds the 1000 ppm maximum use concentration of organic-vapor cartridges.");
    }
    if (vapor.idlh && ppm > *vapor.idlh) {
        check.adequate = false;
        check.reasons.push_back(vapor.chemName + " at " + ppmText(ppm) + " exceeds its IDLH of " +
                                ppmText(*vapor.idlh) + ": an air-purifying respirator must not be used.");
    }
    if (!vapor.oel) {
        check.reasons.push_back(vapor.chemName +
                                " has no exposure limit entered: its exposure was not checked.");
        return;
    }
    const double ratio = ppm / *vapor.oel;
    check.hazardRatios.push_back({slot, vapor.chemName, ratio});
    check.sum += ratio;
    if (ratio > check.protectionFactor) {
        check.adequate = false;
        check.reasons.push_back(vapor.chemName + " at " + ppmText(ppm) + " exceeds " +
                                generalText(check.protectionFactor) + " times its exposure limit of " +
                                ppmText(*vapor.oel) + ": the facepiece does not protect enough.");
    }
}

// The run's conditions under which a partly used cartridge must not go back into service after
// storage, each as the words that finish "Service across shifts is not offered: ".
std::vector<std::string> reuseObstacles(const CalcState& state) {
    std::vector<std::string> obstacles;
    for (const int slot : slotsInUse(state)) {
        const VaporData& vapor = state.vapors[slot];
        const std::optional<double> boiling = normalBoilingPointC(vapor);
        if (!boiling) {
            obstacles.push_back(vapor.chemName + "'s boiling point cannot be told from its vapor pressure");
        } else if (*boiling < kMigratingBoilingPointC) {
            obstacles.push_back(vapor.chemName +
                                " boils below 65 °C and migrates through a stored cartridge");
        }
    }
    if (state.relHumidity > humidityFraction(kHumidCautionPercent)) {
        obstacles.push_back("the humidity is above 65 %");
    }
    if (smallWaterMiscibleCaution(state)) {
        obstacles.push_back("a small water-miscible vapor's estimate may be too long");
    }
    if (state.runReport.method == RunMethod::Conservative) {
        obstacles.push_back("the times are the conservative estimate");
    }
    return obstacles;
}

const SingleVaporEstimate* aloneEntry(std::span<const SingleVaporEstimate> alone, int slot) {
    const auto found = std::find_if(alone.begin(), alone.end(),
                                    [slot](const SingleVaporEstimate& e) { return e.slot == slot; });
    return found == alone.end() ? nullptr : &*found;
}

// One vapor's basis with the sentence that explains it.
VaporBasis vaporBasis(const CalcState& run, int slot, const SingleVaporEstimate* alone, std::string& reason) {
    const ScheduleInputs& rules = run.schedule;
    const bool fromMinimum = rules.basis == ScheduleBasis::Minimum;
    VaporBasis basis;
    basis.slot = slot;
    basis.name = run.vapors[slot].chemName;
    basis.mixtureTime = fromMinimum ? run.breakTimeMin[slot] : run.breakTimeResult[slot];
    const std::string which = fromMinimum ? "minimum" : "estimate";
    double used = basis.mixtureTime;
    if (alone && alone->status == SingleVaporStatus::Answered) {
        basis.aloneTime = fromMinimum ? alone->minimum : alone->estimate;
    }
    if (basis.aloneTime && *basis.aloneTime < used) {
        used = *basis.aloneTime;
        reason = basis.name + "'s " + which + " in the mixture, " + wearText(basis.mixtureTime) +
                 ", is longer than its " + wearText(used) + " alone, which is used instead";
    } else {
        reason = basis.name + "'s " + which + " " + wearText(used);
    }
    if (!basis.aloneTime) {
        reason += " (its time alone could not be found" +
                  (alone && !alone->failure.empty() ? ": " + alone->failure : std::string()) + ")";
    }
    if (fromMinimum) {
        basis.basis = used;
    } else {
        basis.basis = used / rules.safetyFactor;
        reason += " divided by the safety factor " + generalText(rules.safetyFactor);
    }
    return basis;
}

std::string shiftsText(double shifts) {
    // Cut, not rounded, so that the shifts never read longer than the wear time.
    return formatNumber(std::floor(shifts * 100) / 100, "0.00");
}

void refuse(ChangeSchedule& schedule, const std::vector<std::string>& why) {
    schedule.refused = true;
    schedule.changeAfterMinutes = 0;
    schedule.shifts = 0;
    schedule.decidedBy = "refused";
    schedule.sentence = "No change schedule: " + joined(why, " ");
}

}  // namespace

double practicalStep(double minutes) {
    const double step = minutes < kWholeHourFromMinutes ? kShortStepMinutes : kMinutesPerHour;
    return std::floor(minutes / step) * step;
}

std::string wearText(double minutes) {
    if (!std::isfinite(minutes) || minutes < 0) {
        return "an unknown time";
    }
    const long whole = static_cast<long>(std::floor(minutes));
    const long hours = whole / 60;
    const long rest = whole % 60;
    if (hours == 0) {
        return std::to_string(rest) + " min";
    }
    return std::to_string(hours) + " h" + (rest == 0 ? "" : " " + std::to_string(rest) + " min");
}

ExposureCheck checkExposure(const CalcState& state) {
    ExposureCheck check;
    check.protectionFactor = protectionFactor(state.exposure);
    for (const int slot : slotsInUse(state)) {
        checkVaporExposure(state.vapors[slot], slot, check);
    }
    if (check.hazardRatios.size() > 1 && check.sum > check.protectionFactor) {
        check.adequate = false;
        check.reasons.push_back("The hazard ratios add up to " + formatNumber(check.sum, "0.00") +
                                ", more than the protection factor " + generalText(check.protectionFactor) +
                                ": together the vapors exceed what the facepiece protects against.");
    }
    return check;
}

ChangeSchedule drawSchedule(const CalcState& finishedRun, std::span<const SingleVaporEstimate> alone,
                            const ExposureCheck& exposure) {
    ChangeSchedule schedule;
    const VaporBasis* shortest = nullptr;
    std::string shortestReason;
    for (const int slot : slotsInUse(finishedRun)) {
        std::string reason;
        schedule.bases.push_back(vaporBasis(finishedRun, slot, aloneEntry(alone, slot), reason));
        schedule.reasons.push_back(reason + ": " + wearText(schedule.bases.back().basis) + ".");
    }
    for (std::size_t i = 0; i < schedule.bases.size(); ++i) {
        // NaN never wins a comparison, so a vapor without a number is taken as shortest.
        if (!shortest || !(schedule.bases[i].basis >= shortest->basis)) {
            shortest = &schedule.bases[i];
            shortestReason = schedule.reasons[i];
        }
    }
    if (!exposure.adequate) {
        refuse(schedule, exposure.reasons);
        return schedule;
    }
    const double allowed = shortest ? practicalStep(shortest->basis) : 0;
    if (!(allowed >= kShortStepMinutes)) {
        refuse(schedule, {"the cartridges last less than 15 min of wear."});
        return schedule;
    }

    const ScheduleInputs& rules = finishedRun.schedule;
    const double wornMinutes = std::floor(rules.wornHoursPerShift * kMinutesPerHour);
    const std::vector<std::string> obstacles = reuseObstacles(finishedRun);
    std::string shiftRule;
    if (!rules.acrossShifts) {
        shiftRule = "cartridges are changed at the end of every shift, whatever the time";
    } else if (!obstacles.empty()) {
        shiftRule = "service across shifts is not offered: " + joined(obstacles, "; ");
    } else {
        schedule.endOfShift = false;
        shiftRule = "service across shifts: no vapor migrates in storage and no caution forbids it";
    }
    schedule.reasons.push_back(std::string(1, static_cast<char>(std::toupper(shiftRule[0]))) +
                               shiftRule.substr(1) + ".");

    schedule.changeAfterMinutes = allowed;
    schedule.decidedBy = "vapor basis";
    std::string decided = shortestReason;
    if (schedule.endOfShift && wornMinutes <= allowed) {
        schedule.changeAfterMinutes = wornMinutes;
        schedule.decidedBy = "end of shift";
        decided = "the " + wearText(wornMinutes) + " worn in a shift end before the " + wearText(allowed) +
                  " the cartridges allow (" + shortestReason.substr(0, shortestReason.size() - 1) + ")";
    } else if (decided.ends_with(".")) {
        decided.pop_back();
    }
    schedule.shifts = schedule.changeAfterMinutes / (rules.wornHoursPerShift * kMinutesPerHour);

    const std::string wear = wearText(schedule.changeAfterMinutes) + " of wear (" +
                             shiftsText(schedule.shifts) + (schedule.shifts == 1 ? " shift)" : " shifts)");
    if (schedule.decidedBy == "end of shift") {
        schedule.sentence =
            "Change cartridges at the end of every shift, after at most " + wear + ": " + decided + ".";
    } else {
        schedule.sentence = "Change cartridges after " + wear +
                            (schedule.endOfShift ? ", and at the end of every shift: " : ": ") + decided +
                            "; " + shiftRule + ".";
    }
    return schedule;
}

std::string exposureSummary(const ExposureCheck& check) {
    std::string text = "Exposure check (protection factor " + generalText(check.protectionFactor) +
                       "): " + (check.adequate ? "adequate" : "NOT ADEQUATE");
    for (const HazardRatio& ratio : check.hazardRatios) {
        text += "; " + ratio.name + " " + formatNumber(ratio.ratio, "0.00");
    }
    if (check.hazardRatios.size() > 1) {
        text += "; sum " + formatNumber(check.sum, "0.00");
    }
    return text;
}

namespace {

// The vapors alone as the run itself found them, where it looked at every vapor; else found now.
std::vector<SingleVaporEstimate> aloneEstimates(const CalcState& finishedRun) {
    std::vector<SingleVaporEstimate> alone;
    for (int p = kFirstSlot; p <= finishedRun.vaporCount; ++p) {
        const SingleVaporEstimate& own = finishedRun.singleVapor[p];
        if (own.status == SingleVaporStatus::NotRun && isSlotInUse(finishedRun.vapors[p])) {
            return singleVaporEstimates(finishedRun);
        }
        alone.push_back(own);
    }
    return alone;
}

}  // namespace

ProgrammeResult programmeResult(const CalcState& finishedRun) {
    ProgrammeResult result;
    result.exposure = checkExposure(finishedRun);
    result.schedule = drawSchedule(finishedRun, aloneEstimates(finishedRun), result.exposure);
    return result;
}

}  // namespace quandrelle
