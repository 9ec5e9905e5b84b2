#include "quandrelle/screens/framework/CalculationFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <string>

#include "quandrelle/scenario/ScenarioFile.h"
#include "quandrelle/screens/dialogs/Note.h"

namespace quandrelle {
namespace {

const QString kRecentKey = QStringLiteral("calculations/recent");

QSettings userSettings() {
    return {QSettings::UserScope, QStringLiteral("Quandrelle"), QStringLiteral("Quandrelle")};
}

void rememberRecent(const QString& file) {
    const QString path = QFileInfo(file).absoluteFilePath();
    QStringList recent = recentCalculations();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentCalculationCount) {
        recent.removeLast();
    }
    userSettings().setValue(kRecentKey, recent);
}

std::string problemText(const calc::Problems& problems) {
    std::string text;
    for (const std::string& problem : problems) {
        text += "\n" + problem;
    }
    return text;
}

QString offeredFolder(const CalcDocument& document) {
    if (!document.fileName().isEmpty()) {
        return document.fileName();
    }
    const QStringList recent = recentCalculations();
    const QString folder = recent.isEmpty() ? QDir::homePath() : QFileInfo(recent.first()).absolutePath();
    return QDir(folder).filePath(QStringLiteral("calculation") + calc::kScenarioFileSuffix);
}

}  // namespace

QStringList recentCalculations() {
    QStringList recent;
    for (const QString& file : userSettings().value(kRecentKey).toStringList()) {
        if (QFileInfo::exists(file)) {
            recent << file;
        }
    }
    return recent;
}

bool saveCalculation(ScreenContext& context, QWidget* parent) {
    QString file = context.dialogs.saveFileName(parent, QStringLiteral("Save the Calculation"),
                                                offeredFolder(context.document), kCalculationFileFilter);
    if (file.isEmpty()) {
        return false;
    }
    if (QFileInfo(file).suffix().isEmpty()) {
        file += calc::kScenarioFileSuffix;
    }
    const calc::Problems problems = calc::saveScenarioFile(file.toStdString(), context.document.state());
    if (!problems.empty()) {
        showNote(context.messenger,
                 "The calculation was not saved to " + file.toStdString() + ":" + problemText(problems));
        return false;
    }
    context.document.markSaved(file);
    rememberRecent(file);
    return true;
}

QString askCalculationToOpen(ScreenContext& context, QWidget* parent) {
    return context.dialogs.openFileName(parent, QStringLiteral("Open a Calculation"),
                                        QFileInfo(offeredFolder(context.document)).absolutePath(),
                                        kCalculationFileFilter);
}

std::optional<calc::Scenario> readCalculationFile(ScreenContext& context, const QString& file) {
    calc::Scenario opened;
    const calc::Problems problems = calc::openScenarioFile(file.toStdString(), opened);
    if (!problems.empty()) {
        showNote(context.messenger,
                 "The calculation " + file.toStdString() + " was not opened:" + problemText(problems));
        return std::nullopt;
    }
    rememberRecent(file);
    return opened;
}

bool settleUnsavedChanges(ScreenContext& context, QWidget* parent) {
    if (!context.document.hasUnsavedChanges()) {
        return true;
    }
    const MessageAnswer answer =
        context.messenger.show(Message{"The calculation has changes that are not saved. Save them first?",
                                       std::string("Note"), MessageButtons::YesNoCancel, MessageIcon::None});
    switch (answer) {
        case MessageAnswer::Yes:
            return saveCalculation(context, parent);
        case MessageAnswer::No:
            return true;
        default:
            return false;
    }
}

bool confirmQuit(ScreenContext& context, QWidget* parent) {
    const MessageAnswer answer = context.messenger.show(
        Message{"Are you sure you want to quit?", std::string(), MessageButtons::YesNo, MessageIcon::None});
    return answer == MessageAnswer::Yes && settleUnsavedChanges(context, parent);
}

}  // namespace quandrelle
