#pragma once

// From a finished run to what a respirator programme files: the exposure check (is the facepiece
// enough for these concentrations at all) and the cartridge change schedule drawn from the
// breakthrough times. The results screen, the command-line calculator and the report read the same
// ProgrammeResult, so a schedule is worded and rounded in this one place.
//
// Every step rounds towards the shorter time: a vapor's basis is never longer than its estimate
// divided by the safety factor, nor than its own time alone, and the change-out time is that basis
// rounded down to a step a worker can keep.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/SingleVaporBound.h"

namespace quandrelle {

// Below this wear time (min) the schedule steps by kShortStepMinutes, from it on by whole hours.
inline constexpr double kWholeHourFromMinutes = 240;
inline constexpr double kShortStepMinutes = 15;
// Organic-vapor cartridges are not used above this concentration (ppm), whatever the facepiece.
inline constexpr double kMaximumUseConcentrationPpm = 1000;

struct HazardRatio {
    int slot = 0;
    std::string name;
    double ratio = 0;  // concentration / exposure limit
};

struct ExposureCheck {
    double protectionFactor = 0;
    std::vector<HazardRatio> hazardRatios;  // the vapors with a limit, in slot order
    double sum = 0;                         // of the ratios: the mixture's effects add up
    bool adequate = true;                   // false: the schedule is refused
    std::vector<std::string> reasons;
};

// The check of the vapors in slots 1..vaporCount against their entered limits and the facepiece.
// Refused when a concentration exceeds the protection factor times its limit, the sum of the ratios
// exceeds the factor, a concentration exceeds the vapor's IDLH or the maximum use concentration.
// Equal to a bound passes. A vapor without a limit is named as not checked.
ExposureCheck checkExposure(const CalcState& state);

// The check in one line: the factor, whether it is adequate, each vapor's hazard ratio and their
// sum ("Exposure check (protection factor 10): adequate; Toluene 0.50").
std::string exposureSummary(const ExposureCheck& check);

// The time one vapor gives the schedule.
struct VaporBasis {
    int slot = 0;
    std::string name;
    double mixtureTime = 0;           // min: the run's estimate, or its minimum
    std::optional<double> aloneTime;  // min: the same time of the vapor run alone; none when that failed
    double basis = 0;                 // min
};

struct ChangeSchedule {
    bool refused = false;
    double changeAfterMinutes = 0;  // of wear; 0 when refused
    double shifts = 0;              // changeAfterMinutes in shifts of the worn hours
    bool endOfShift = true;         // cartridges are changed at the end of every shift as well
    std::string decidedBy;          // "vapor basis", "end of shift" or "refused"
    std::string sentence;           // the schedule with the reasons that decided it
    std::vector<std::string> reasons;
    std::vector<VaporBasis> bases;  // slot order
};

// `alone` holds the vapors of `finishedRun` run alone (singleVaporEstimates of the same state).
ChangeSchedule drawSchedule(const CalcState& finishedRun, std::span<const SingleVaporEstimate> alone,
                            const ExposureCheck& exposure);

// Rounds a wear time (min) down: to 15 min below 4 h, to whole hours from 4 h on.
double practicalStep(double minutes);

// A duration in minutes as the schedule words it, cut to the whole minute below: "45 min", "3 h",
// "6 h 10 min".
std::string wearText(double minutes);

struct ProgrammeResult {
    ExposureCheck exposure;
    ChangeSchedule schedule;
};

// Both, for a run that finished (Done), from the times of each vapor alone that the run found. A
// state that holds none (a run of a mixture made by hand) has every vapor run alone first, which
// takes as long as a run of each vapor by itself and belongs off the user-interface thread.
ProgrammeResult programmeResult(const CalcState& finishedRun);

}  // namespace quandrelle
