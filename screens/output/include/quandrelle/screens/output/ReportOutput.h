#pragma once

#include <QImage>
#include <functional>

#include "quandrelle/engine/CalcState.h"

class QWidget;

namespace quandrelle {

class DialogRunner;
class Messenger;

// Draws the run's breakthrough times against humidity for the report.
using CurveImageMaker = std::function<QImage(const CalcState& run)>;

// The change-schedule report of a finished run: asks for its heading (remembered for the next
// report), then saves the report as a PDF file or prints it, as the user chose.
void offerChangeScheduleReport(const CalcState& run, bool printerAvailable,
                               const CurveImageMaker& humidityCurve, QWidget* parent, Messenger& messenger,
                               DialogRunner& dialogs);

}  // namespace quandrelle
