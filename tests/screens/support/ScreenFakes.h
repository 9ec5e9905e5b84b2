#pragma once

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "quandrelle/screens/dialogs/DialogRunner.h"
#include "quandrelle/screens/dialogs/ProgramControl.h"
#include "quandrelle/validation/Messenger.h"

namespace quandrelle::testing {

// Records every message box a screen would show and answers from a script. An answer nobody
// scripted is counted, so a test fails when a box appears it did not expect.
class RecordingMessenger : public Messenger {
public:
    MessageAnswer show(const Message& message) override;

    void answer(MessageAnswer next) { m_answers.push_back(next); }
    // Runs while the box would be open (to look at the screen behind it).
    std::function<void(const Message&)> whileShown;

    std::vector<Message> shown;
    int unscripted = 0;

private:
    std::deque<MessageAnswer> m_answers;
};

// Runs modal dialogs by a script instead of a modal loop: each scripted step acts on the dialog
// (pressing one of its buttons, say) and gives its result; without a script the dialog is
// rejected at once.
class ScriptedDialogRunner : public DialogRunner {
public:
    using Step = std::function<int(QDialog&)>;

    int runModal(QDialog& dialog) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override;

    void script(Step step) { m_steps.push_back(std::move(step)); }
    void scriptFileName(const QString& name) { m_fileNames.push_back(name); }

    std::vector<QString> shownTitles;
    std::vector<QString> fileCaptions;

private:
    QString nextFileName(const QString& caption);

    std::deque<Step> m_steps;
    std::deque<QString> m_fileNames;
};

class RecordingProgramControl : public ProgramControl {
public:
    void endProgram() override { ++endCount; }
    bool isEnding() const override { return endCount > 0; }
    int endCount = 0;
};

}  // namespace quandrelle::testing
