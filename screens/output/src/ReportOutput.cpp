#include "quandrelle/screens/output/ReportOutput.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <QTextDocument>

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

}  // namespace

void offerChangeScheduleReport(const CalcState& run, bool printerAvailable,
                               const CurveImageMaker& humidityCurve, QWidget* parent, Messenger& messenger,
                               DialogRunner& dialogs) {
    auto settings = reportSettings();
    ReportDialog dialog(loadReportHeading(*settings), printerAvailable, parent);
    const int choice = dialogs.runModal(dialog);
    if (choice == ReportDialog::Cancel) {
        return;
    }
    saveReportHeading(*settings, dialog.heading());
    ReportContent content = runReportContent(run, dialog.heading());
    {
        const BusyCursor busy;
        content.humidityCurve = humidityCurve(run);
    }
    const auto report = buildChangeScheduleReport(run, content);
    if (choice == ReportDialog::Print) {
        printReport(*report, parent, messenger, dialogs);
    } else {
        saveReport(*report, parent, messenger, dialogs);
    }
}

}  // namespace quandrelle
