#pragma once

// Fits a cartridge's carbon to known breakthrough times. The user gives what can be measured or
// read off (bed, carbon weight, granule size, preconditioning, water affinity) and one or more
// known results; the fit finds the micropore volume, and where the points can tell it apart also
// the adsorption potential, that make the model give those times. It minimises the sum of
// ln(predicted / known)^2 over the points, so that a point off by a factor counts the same at 5
// minutes as at 500, within the cartridge screen's limits of both values.
//
// Every prediction is a whole Calculate of the point's scenario, and the values found are those the
// cartridge record can hold: running the saved record gives exactly the times the fit reports.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/fit/FitPoint.h"

namespace quandrelle {

// The adsorption potential held when the points cannot tell it from the micropore volume and the
// user gave none: the value of the program's example half-mask cartridge, typical of respirator
// carbons.
inline constexpr double kTypicalBenzenePotential = 19.0;  // kJ/mol

// A fitted point may be off by no more than this share of its known time.
inline constexpr double kMaxPointError = 0.5;

// Passes of the least-squares search; each costs a few runs of every point.
inline constexpr int kMaxFitIterations = 40;

struct FitRequest {
    // The measurable data; its micropore volume is ignored (it is what the fit finds).
    CartridgeInput cartridge;
    // The adsorption potential to hold, kJ/mol; without it the fit finds it too where it can.
    std::optional<double> benzenePotential;
    std::vector<FitPoint> points;
};

enum class FitStatus {
    Fitted,
    NoFit,  // no value within the limits reproduces the points: `problem` names the point
};

struct FitResult {
    FitStatus status = FitStatus::NoFit;
    // The cartridge with the fitted values, as its record holds them.
    CartridgeInput cartridge;
    std::vector<std::string> fitted;  // "microporeVolume", and "benzenePotential" when fitted
    std::vector<FitPointOutcome> points;
    std::vector<std::string> notes;
    std::string problem;  // NoFit: why, naming the point
    int runs = 0;         // Calculate runs made
};

// Called after each pass with the passes done and the most there can be.
using FitProgress = std::function<void(int done, int most)>;

// Every problem with a request, each naming the point or value ("point 2: ..."): no points, a
// breakthrough concentration outside the limits Calculate checks, a known time of 0 or less.
std::vector<std::string> fitRequestProblems(const FitRequest& request);

// The fit. The request must have no problems. Throws RunStopped when the stop of the calling thread
// (ScopedRunStop) is asked for.
FitResult fitCartridge(const FitRequest& request, const FitProgress& progress = {});

// The state Calculate runs for one point with this cartridge, stored as the screens store typed
// values, with the results screen's rows for the limits check.
CalcState pointState(const CartridgeInput& cartridge, const FitPoint& point);

// The breakthrough time Calculate gives for the point with this cartridge. Throws FitRunError with
// the text the "Error" box would show when the run fails.
double predictedMinutes(const CartridgeInput& cartridge, const FitPoint& point);

class FitRunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A point as the messages name it: "point 2 (Toluene at 500 ppm, 120 min)".
std::string pointLabel(const std::vector<FitPoint>& points, std::size_t index);

// A fitted value as the cartridge record can hold it (eight characters), never above the value
// found, so that rounding can only shorten a predicted life.
double recordValue(double value);

}  // namespace quandrelle
