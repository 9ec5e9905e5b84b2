#pragma once

#include <QImage>
#include <functional>
#include <optional>
#include <string>

#include "quandrelle/engine/CalcState.h"

class QWidget;

namespace quandrelle {

class DialogRunner;
class Messenger;

// The run's breakthrough times against humidity for the report, in two steps: the points are
// computed off the user-interface thread, then the drawing that comes back is painted on it.
using CurveDrawing = std::function<QImage()>;
using CurveImageMaker = std::function<CurveDrawing(const CalcState& run)>;

struct ReportRequest {
    // The finished run the report is of.
    const CalcState& run;
    // The report header the calculation holds (none written yet: empty parts).
    ReportHeader calculationHeader;
    // Where the cartridge's source is looked up; empty gives it as typed.
    std::string dataFolder;
    bool printerAvailable = false;
    CurveImageMaker humidityCurve;
};

// The change-schedule report of a finished run: asks for its heading, starting from the
// calculation's header and, where that is empty, the heading of the last report; then prepares the
// report off the user-interface thread (each vapor is run alone for the schedule) and saves it as a
// PDF file or prints it, as the user chose. Gives the heading the user accepted, for the
// calculation to keep; none when the dialog was cancelled or the window went away meanwhile.
std::optional<ReportHeader> offerChangeScheduleReport(const ReportRequest& request, QWidget* parent,
                                                      Messenger& messenger, DialogRunner& dialogs);

}  // namespace quandrelle
