#include "quandrelle/screens/output/WindowPrinting.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>
#include <string>

#include "quandrelle/screens/dialogs/DialogRunner.h"
#include "quandrelle/screens/dialogs/Note.h"
#include "quandrelle/validation/Messenger.h"

namespace quandrelle {
namespace {

// Offers the window's image as a PDF file when it cannot go to a printer.
void savePdfInstead(QWidget& window, const std::string& reason, Messenger& messenger, DialogRunner& dialogs) {
    const MessageAnswer answer =
        messenger.show(Message{reason + " Do you want to save an image of this window as a PDF file instead?",
                               std::string("Note"), MessageButtons::YesNo, MessageIcon::None});
    if (answer != MessageAnswer::Yes) {
        return;
    }
    QString fileName =
        dialogs.saveFileName(&window, QStringLiteral("Save this Window as a PDF File"),
                             QDir::home().filePath(window.windowTitle() + QStringLiteral(".pdf")),
                             QStringLiteral("PDF files (*.pdf)"));
    if (fileName.isEmpty()) {
        return;
    }
    if (QFileInfo(fileName).suffix().isEmpty()) {
        fileName += QStringLiteral(".pdf");
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setDocName(window.windowTitle());
    if (!printWindowImage(window, printer)) {
        showNote(messenger,
                 "The file " + QDir::toNativeSeparators(fileName).toStdString() + " could not be written.");
    }
}

}  // namespace

bool printWindowImage(QWidget& window, QPrinter& printer) {
    const QPixmap image = window.grab();
    // The windows printed are wider than they are tall.
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    QSize size = image.size();
    size.scale(painter.viewport().size(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(QPoint(0, 0), size), image);
    return painter.end();
}

void printWindow(QWidget& window, bool printerAvailable, Messenger& messenger, DialogRunner& dialogs) {
    if (!printerAvailable) {
        savePdfInstead(window, "No printer is available.", messenger, dialogs);
        return;
    }
    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    printer.setDocName(window.windowTitle());
    if (!printWindowImage(window, printer)) {
        savePdfInstead(window, "The printer could not be started.", messenger, dialogs);
    }
}

}  // namespace quandrelle
