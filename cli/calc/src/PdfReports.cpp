#include <QGuiApplication>
#include <memory>

#include "quandrelle/calc/CommandLineReports.h"
#include "quandrelle/engine/Cautions.h"
#include "quandrelle/report/ChangeScheduleReport.h"

namespace quandrelle::calc {

namespace {

// Qt's notes about the platform it runs on (a missing runtime folder, say) are not the user's concern
// when a file is written; real failures are reported by the report itself.
void keepQtNotesOffTheTerminal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg) {
        return;
    }
    qt_message_output(type, context, message);
}

}  // namespace

// Laying out a document needs fonts, so a Qt application; the offscreen platform needs no display.
struct CommandLineReports::Qt {
    std::unique_ptr<QGuiApplication> application;
};

CommandLineReports::CommandLineReports(int argc, char** argv)
    : m_qt(std::make_unique<Qt>()), m_argc(argc), m_argv(argv) {}

CommandLineReports::~CommandLineReports() = default;

ReportWriter CommandLineReports::writer() {
    return [this](const CalcState& state, const ReportRequest& request) {
        if (m_qt->application == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            qInstallMessageHandler(keepQtNotesOffTheTerminal);
            m_qt->application = std::make_unique<QGuiApplication>(m_argc, m_argv);
        }
        const ReportHeading heading{QString::fromStdString(request.site),
                                    QString::fromStdString(request.task),
                                    QString::fromStdString(request.preparedBy)};
        const auto document = buildChangeScheduleReport(state, runReportContent(state, heading));
        writeReportPdf(*document, QString::fromStdString(request.path));
    };
}

}  // namespace quandrelle::calc
