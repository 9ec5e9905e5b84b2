#include "PdfText.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

namespace quandrelle::testing {
namespace {

QString runTool(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        ADD_FAILURE() << tool.toStdString() << " is not installed (poppler-utils)";
        return {};
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString() << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString infoLine(const QString& info, const QString& key) {
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(key),
                                  QRegularExpression::MultilineOption);
    return line.match(info).captured(1).trimmed();
}

}  // namespace

PdfReading readPdf(const QString& file) {
    PdfReading reading;
    const QString layout =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    reading.text = layout.simplified();
    // pdftotext ends every page with a form feed.
    for (const QString& page : layout.split(QLatin1Char('\f'), Qt::SkipEmptyParts)) {
        if (!page.trimmed().isEmpty()) {
            reading.pageTexts.push_back(page.simplified());
        }
    }
    const QString info = runTool(QStringLiteral("pdfinfo"), {file});
    reading.pages = infoLine(info, QStringLiteral("Pages")).toInt();
    reading.pageSize = infoLine(info, QStringLiteral("Page size"));
    // The listing has two heading lines, then one line per image.
    const QStringList images =
        runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), file}).split('\n', Qt::SkipEmptyParts);
    reading.images = std::max<int>(0, static_cast<int>(images.size()) - 2);
    return reading;
}

}  // namespace quandrelle::testing
