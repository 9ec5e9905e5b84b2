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
#include <stdexcept>
#include <string>
#include <vector>

#include "quandrelle/engine/CalcState.h"

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
};

// What the report of a finished run holds besides its state, as the results screen and the
// command-line calculator both make it: the heading the user wrote, made now, with the method and
// notes the run recorded.
ReportContent runReportContent(const CalcState& state, const ReportHeading& heading);

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
