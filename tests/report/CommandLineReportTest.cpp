// quandrelle-calc --report: the program itself, run as a user runs it, without a display.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "PdfText.h"

namespace quandrelle::testing {
namespace {

struct Finished {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Finished calc(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUANDRELLE_CALC), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

TEST(CommandLineReport, WritesTheRunsReportWithoutADisplay) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString scenario = QStringLiteral(QUANDRELLE_EXAMPLES_DIR "/paint-shop-3-vapors.json");
    const QString pdf = folder.filePath("schedule.pdf");
    const Finished written = calc({scenario, "--json", "--report", pdf, "--site", "Shop A", "--task",
                                   "Spray booth", "--prepared-by", "J. Hygienist"});
    ASSERT_EQ(written.status, 0) << written.err.toStdString();
    EXPECT_TRUE(written.err.isEmpty()) << written.err.toStdString();

    const PdfReading report = readPdf(pdf);
    for (const char* words : {"Shop A", "Spray booth", "J. Hygienist", "Quandrelle " QUANDRELLE_VERSION}) {
        EXPECT_TRUE(report.text.contains(QString::fromUtf8(words))) << words;
    }
    const QJsonArray results = QJsonDocument::fromJson(written.out).object()["results"].toArray();
    ASSERT_EQ(results.size(), 3);
    for (const QJsonValue& value : results) {
        const QJsonObject result = value.toObject();
        const QJsonObject display = result["display"].toObject();
        const QString times =
            QStringList{display["estimate"].toString(), display["min"].toString(), display["max"].toString()}
                .join(' ');
        EXPECT_TRUE(report.text.contains(
            QStringLiteral("Vapor #%1 %2").arg(result["position"].toInt()).arg(result["name"].toString())));
        EXPECT_TRUE(report.text.contains(times)) << times.toStdString();
    }
}

TEST(CommandLineReport, AFileThatCannotBeWrittenIsAFailure) {
    const Finished failed = calc({QStringLiteral(QUANDRELLE_EXAMPLES_DIR "/benzene-half-mask.json"),
                                  "--report", "/nonexistent/x.pdf"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.err.startsWith("The report could not be written to /nonexistent/x.pdf: "))
        << failed.err.toStdString();
}

}  // namespace
}  // namespace quandrelle::testing
