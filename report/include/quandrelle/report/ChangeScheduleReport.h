#pragma once

// The change-schedule report: the document a respiratory protection programme files to show the
// data and reasoning behind a cartridge change schedule. It holds everything a run was made of
// (cartridge, vapors, use conditions), the results as the results screen shows them, the run's
// method and notes with the cautions, and the model in general words. Built as a QTextDocument, so
// that the same document goes to a PDF file or to a printer.

#include <QDateTime>
#include <QImage>
#include <QPageSize>
#include <QString>
#include <QTextDocument>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/ChangeSchedule.h"

class QPagedPaintDevice;
class QSettings;

namespace quandrelle {

// What the user writes on the report; remembered between runs of the program.
struct ReportHeading {
    QString site;
    QString task;
    QString preparedBy;
};

// The user's own settings file of the program, where the heading is kept.
std::unique_ptr<QSettings> reportSettings();
ReportHeading loadReportHeading(QSettings& settings);
void saveReportHeading(QSettings& settings, const ReportHeading& heading);

// Everything on the report besides the run's own state.
struct ReportContent {
    ReportHeading heading;
    QDateTime madeAt;
    // How the run's answer was found ("model", "fallback", "conservative"); empty when not told.
    std::string method;
    // The run's notes and cautions, each a sentence, in the order the results screen shows them.
    std::vector<std::string> notes;
    // The run's breakthrough time against humidity; none when null.
    QImage humidityCurve;
    // The change schedule and the exposure check of the run; none leaves the schedule section
    // saying that no schedule was drawn.
    std::optional<ProgrammeResult> programme;
    // Where the cartridge's values came from, one sentence.
    std::string cartridgeSource = "Typed by the user; where its values come from is not recorded.";
};

// What the report of a finished run holds besides its state, as the results screen and the
// command-line calculator both make it: the heading the user wrote, made now, with the method and
// notes the run recorded, the run's schedule and exposure check, and the source of the cartridge's
// data as the data folder's records tell it (a typed cartridge without a data folder). Runs every
// vapor alone for the schedule: off the user-interface thread.
ReportContent runReportContent(const CalcState& state, const ReportHeading& heading,
                               const std::string& dataFolder = {});

// The heading a report starts from: what the calculation holds, part by part, else what was
// remembered from the last report.
ReportHeading headingFor(const CalcState& state, const ReportHeading& remembered);
ReportHeading headingFor(const ReportHeader& header, const ReportHeading& remembered);

inline const QString kReportTitle = QStringLiteral("Cartridge Change-Schedule Report");

// The report of a finished run: `state` holds its inputs and results (vapors in the run's order).
std::unique_ptr<QTextDocument> buildChangeScheduleReport(const CalcState& state,
                                                         const ReportContent& content);

// A4, or Letter where the system's locale measures in US units.
QPageSize defaultReportPageSize();

// Lays the document out on the device's pages (with page numbers) and paints it there.
void paintReport(QTextDocument& document, QPagedPaintDevice& device);

// Raised when a report file cannot be written; the text names the file and the reason.
class ReportWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the document as a PDF file. The file is replaced only once the whole report has been
// written, so a failure leaves any earlier file as it was. Throws ReportWriteError.
void writeReportPdf(QTextDocument& document, const QString& fileName,
                    const QPageSize& pageSize = defaultReportPageSize());

}  // namespace quandrelle
