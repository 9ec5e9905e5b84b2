#include "ScreenFakes.h"

namespace quandrelle::testing {

MessageAnswer RecordingMessenger::show(const Message& message) {
    shown.push_back(message);
    if (whileShown) {
        whileShown(message);
    }
    if (m_answers.empty()) {
        ++unscripted;
        // The answer that changes nothing.
        switch (message.buttons) {
            case MessageButtons::YesNo:
                return MessageAnswer::No;
            case MessageButtons::YesNoCancel:
                return MessageAnswer::Cancel;
            case MessageButtons::Ok:
                return MessageAnswer::Ok;
        }
    }
    const MessageAnswer next = m_answers.front();
    m_answers.pop_front();
    return next;
}

int ScriptedDialogRunner::runModal(QDialog& dialog) {
    shownTitles.push_back(dialog.windowTitle());
    if (m_steps.empty()) {
        return QDialog::Rejected;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    return step(dialog);
}

QString ScriptedDialogRunner::saveFileName(QWidget*, const QString& caption, const QString&, const QString&) {
    return nextFileName(caption);
}

QString ScriptedDialogRunner::openFileName(QWidget*, const QString& caption, const QString&, const QString&) {
    return nextFileName(caption);
}

QString ScriptedDialogRunner::nextFileName(const QString& caption) {
    fileCaptions.push_back(caption);
    if (m_fileNames.empty()) {
        return {};
    }
    QString next = m_fileNames.front();
    m_fileNames.pop_front();
    return next;
}

}  // namespace quandrelle::testing
