#include "quandrelle/screens/output/ReportOutput.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <QTextDocument>
#include <QtConcurrent/QtConcurrentRun>

#include "quandrelle/report/ChangeScheduleReport.h"
#include "quandrelle/screens/dialogs/DialogRunner.h"
#include "quandrelle/screens/dialogs/Note.h"
#include "quandrelle/screens/output/ReportDialog.h"
#include "quandrelle/screens/widgets/BusyCursor.h"
#include "quandrelle/validation/Messenger.h"

namespace quandrelle {
namespace {

void saveReport(QTextDocument& report, QWidget* parent, Messenger& messenger, DialogRunner& dialogs) {
    QString fileName =
        dialogs.saveFileName(parent, QStringLiteral("Save the Change-Schedule Report"),
                             QDir::home().filePath(QStringLiteral("change-schedule-report.pdf")),
                             QStringLiteral("PDF files (*.pdf)"));
    if (fileName.isEmpty()) {
        return;
    }
    if (QFileInfo(fileName).suffix().isEmpty()) {
        fileName += QStringLiteral(".pdf");
    }
    try {
        writeReportPdf(report, fileName);
    } catch (const ReportWriteError& error) {
        showNote(messenger, error.what());
    }
}

void printReport(QTextDocument& report, QWidget* parent, Messenger& messenger, DialogRunner& dialogs) {
    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    printer.setDocName(kReportTitle);
    QPrintDialog dialog(&printer, parent);
    if (dialogs.runModal(dialog) != QDialog::Accepted) {
        return;
    }
    paintReport(report, printer);
    if (printer.printerState() == QPrinter::Error) {
        showNote(messenger, "The report could not be printed.");
    }
}

// What the worker thread prepares: the report's content and the drawing of its curve, or the
// description of the failure that stopped it.
struct PreparedReport {
    ReportContent content;
    CurveDrawing drawCurve;
    std::string failure;
};

PreparedReport prepareReport(const CalcState& run, const ReportHeading& heading,
                             const std::string& dataFolder, const CurveImageMaker& humidityCurve) {
    PreparedReport prepared;
    try {
        prepared.content = runReportContent(run, heading, dataFolder);
        prepared.drawCurve = humidityCurve(run);
    } catch (const std::exception& failure) {
        prepared.failure = failure.what();
    }
    return prepared;
}

// Waits for the worker without holding the window: it keeps painting while it takes no input, so
// that nothing the user does meanwhile reaches a report half made. Gives none when the window was
// closed meanwhile (the program ending).
std::optional<PreparedReport> prepareOffThread(const ReportRequest& request, const ReportHeading& heading,
                                               QWidget* parent) {
    // The worker has its own copy of the run: the window may change or go while it works.
    const QPointer<QWidget> window(parent);
    const bool wasEnabled = parent != nullptr && parent->isEnabled();
    if (wasEnabled) {
        parent->setEnabled(false);
    }
    const BusyCursor busy;
    QFutureWatcher<PreparedReport> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcher<PreparedReport>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run(
        [run = request.run, heading, dataFolder = request.dataFolder, curve = request.humidityCurve] {
            return prepareReport(run, heading, dataFolder, curve);
        }));
    if (!watcher.isFinished()) {
        loop.exec();
    }
    if (window.isNull()) {
        return std::nullopt;
    }
    if (wasEnabled) {
        window->setEnabled(true);
    }
    if (!watcher.isFinished()) {
        return std::nullopt;  // the program is ending
    }
    return watcher.result();
}

ReportHeader headerOf(const ReportHeading& heading) {
    return ReportHeader{heading.site.toStdString(), heading.task.toStdString(),
                        heading.preparedBy.toStdString()};
}

}  // namespace

std::optional<ReportHeader> offerChangeScheduleReport(const ReportRequest& request, QWidget* parent,
                                                      Messenger& messenger, DialogRunner& dialogs) {
    auto settings = reportSettings();
    ReportDialog dialog(headingFor(request.calculationHeader, loadReportHeading(*settings)),
                        request.printerAvailable, parent);
    const int choice = dialogs.runModal(dialog);
    if (choice == ReportDialog::Cancel) {
        return std::nullopt;
    }
    const ReportHeading heading = dialog.heading();
    saveReportHeading(*settings, heading);
    // Kept here: the window that handed the run in may be gone once the report is prepared.
    const CalcState run = request.run;
    std::optional<PreparedReport> prepared = prepareOffThread(request, heading, parent);
    if (!prepared) {
        return std::nullopt;
    }
    if (!prepared->failure.empty()) {
        showNote(messenger, "The report could not be prepared: " + prepared->failure);
        return headerOf(heading);
    }
    ReportContent& content = prepared->content;
    if (prepared->drawCurve) {
        const BusyCursor busy;
        content.humidityCurve = prepared->drawCurve();
    }
    const auto report = buildChangeScheduleReport(run, content);
    if (choice == ReportDialog::Print) {
        printReport(*report, parent, messenger, dialogs);
    } else {
        saveReport(*report, parent, messenger, dialogs);
    }
    return headerOf(heading);
}

}  // namespace quandrelle
