#pragma once

// The curves of a what-if sweep: for every vapor of a run, its breakthrough time with the range
// at each value of the varied quantity. A vapor is followed by its entry, not by its row, since a
// run sorts its rows and the order may change from one value to the next. A point whose times do
// not come plainly from the model says so and why, so that no reader takes it for one that does.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quandrelle/engine/Sweep.h"

namespace quandrelle {

enum class CurvePointKind {
    Model,         // the model answered
    Fallback,      // times found with the bracketing solver at one stage or more
    Conservative,  // every vapor was given the shortest single-vapor time
    Refused,       // a field limit or the breakthrough-fraction limit refused the value: no times
    Failed,        // the run failed: no times
};

// "model", "fallback", "conservative", "refused" or "failed".
std::string_view curvePointKindName(CurvePointKind kind);

struct VaporTimes {
    double estimate = 0;  // min
    double minimum = 0;   // min
    double maximum = 0;   // min
    // The front had not passed at the simulated service's end: the times are that bound.
    bool beyondServiceCap = false;
};

struct CurvePoint {
    double value = 0;
    CurvePointKind kind = CurvePointKind::Model;
    // Why the point is not a plain model point: the refusal, the failure, or the run's notes on how
    // its equilibrium was found.
    std::string reason;
    // One entry per vapor of the varied run, in the run's entry order; empty without times.
    std::vector<VaporTimes> times;

    bool hasTimes() const { return !times.empty(); }
};

// The point of a finished (or refused, or failed) run of `vaporCount` vapors.
CurvePoint curvePointOf(const SweepPoint& point, int vaporCount);
// A value refused before any run, with the reason the user reads.
CurvePoint refusedCurvePoint(double value, std::string reason);

// Comma-separated text of the curves, one line per point: the value of the quantity, then the
// estimate, minimum and maximum of every vapor, then how the point was found and why. Numbers are
// written in the shortest form that reads back as the same double, so the file holds exactly the
// numbers drawn; a time beyond the simulated service is written as the results show it, with no
// range.
std::string curvesCsv(SweepQuantity quantity, std::span<const std::string> vaporNames,
                      std::span<const CurvePoint> points);

}  // namespace quandrelle
