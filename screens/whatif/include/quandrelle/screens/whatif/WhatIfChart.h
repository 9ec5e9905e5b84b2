#pragma once

// The what-if curves of a run: the values a quantity is varied over, the points computed there,
// and the chart that draws them. The what-if window and the change-schedule report draw with the
// same code, so the report's humidity curve is the window's humidity curve.

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/Sweep.h"
#include "quandrelle/engine/SweepCurves.h"

class QChart;
class QLineSeries;
class QScatterSeries;

namespace quandrelle {

// Enough points for a smooth curve of every quantity; a five-vapor sweep of this many takes well
// under a second on two cores.
inline constexpr int kWhatIfPointCount = 40;

// What the window varies the quantity over, each range inside the limits of the quantity's field:
// relative humidity from its field's lower limit to 95 %, the concentration of the whole mixture
// scaled from 0.1 to 10 times (evenly on a log scale), air flow 10 to 100 L/min, temperature 0 to
// 45 degrees C.
SweepRange whatIfRange(SweepQuantity quantity, int count = kWhatIfPointCount);

// One point of the curves: a value the quantity's field would refuse is refused as the command-line
// calculator refuses it; any other is a whole run of the Calculate command on a copy of `run`.
// Touches nothing but its own copy, so it may run on any thread.
CurvePoint whatIfPoint(const CalcState& run, SweepQuantity quantity, double value);
// The run again at its own values: the results screen's results, to the last bit.
CurvePoint whatIfOperatingPoint(const CalcState& run, SweepQuantity quantity);

// The quantity as the chart's axis and the window's choice name it, with its unit.
QString quantityCaption(SweepQuantity quantity);
// A value of the quantity as the window shows it ("62.5 %", "0.5 x").
QString quantityValueText(SweepQuantity quantity, double value);

// The curves of one quantity for one run.
struct WhatIfCurves {
    SweepQuantity quantity = SweepQuantity::RelHumidity;
    std::vector<std::string> vaporNames;  // the run's vapors, in its order
    std::vector<CurvePoint> points;       // in the order of the values
    CurvePoint operating;                 // the run itself
};

// The series the chart was given, for the window to follow the pointer over them.
struct DrawnCurves {
    std::vector<QLineSeries*> estimates;  // one per vapor, in the run's order
    QScatterSeries* operating = nullptr;
    QScatterSeries* remarked = nullptr;       // fallback and conservative points; null when none
    QScatterSeries* notCalculated = nullptr;  // refused and failed points; null when none
};

// Fills an empty chart: for every vapor a line of estimates and a band from the minimum to the
// maximum, the run's own values marked, points not found plainly by the model marked apart.
DrawnCurves drawWhatIfCurves(QChart& chart, const WhatIfCurves& curves);

// One sentence for every point not found plainly by the model, saying which point and why.
QStringList whatIfNotes(const WhatIfCurves& curves);

// All points of one quantity for the run, computed on worker threads (the calling thread waits).
WhatIfCurves computeWhatIfCurves(const CalcState& run, SweepQuantity quantity, int count = kWhatIfPointCount);

// The humidity curves of a finished run drawn offscreen, for the change-schedule report.
QImage humidityCurveImage(const CalcState& run, QSize size = QSize(900, 520));
// The same from the humidity curves already computed (on another thread, say).
QImage humidityCurveImage(const WhatIfCurves& curves, QSize size = QSize(900, 520));

}  // namespace quandrelle
